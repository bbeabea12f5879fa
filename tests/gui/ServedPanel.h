#pragma once

#include "gui/CommandPanel.h"
#include "rules/UnitSource.h"

#include <QFile>
#include <QVBoxLayout>
#include <memory>

namespace guitest {

// What a test's command panel reads: `text` written to the staging file by each run, counted, failing when
// told to; and whether the program is closing, for the rule dialogs.
struct StagedText
{
    QString path;
    QByteArray text;
    bool works = true;
    int stagings = 0;
    bool closing = false;

    std::unique_ptr<rules::UnitSource> source()
    {
        return std::make_unique<rules::StagingSource>([this] { return path; },
                                                      [this](const QString& file) {
                                                          ++stagings;
                                                          QFile f(file);
                                                          return works && f.open(QIODevice::WriteOnly) &&
                                                                 f.write(text) == text.size();
                                                      });
    }

    // The panel of the main window, in a bare window.
    gui::CommandPanel* panelIn(QWidget& window, gui::WindowContext& context)
    {
        auto* panel = new gui::CommandPanel(
            context,
            {.module = QStringLiteral("Form1"),
             .optionCaptions = {QStringLiteral("case"), QStringLiteral("duplicates"), QStringLiteral("source")},
             .units = [this] { return source(); },
             .fieldChosen = {},
             .mayOpenDialog = {},
             .modalDialogs = false,
             .betweenModule = QStringLiteral("Form2"),
             .textSetsModule = QStringLiteral("Form3"),
             .appClosing = [this] { return closing; }},
            window);
        (new QVBoxLayout(&window))->addWidget(panel);
        return panel;
    }
};

} // namespace guitest

#pragma once

#include "core/Settings.h"
#include "gui/CommandPanel.h"
#include "gui/RuleDialog.h"
#include "gui/WindowContext.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "sources/express/StoreDiscovery.h"
#include "support/FakeOutlook.h"
#include "support/ResultsRows.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace guitest {

// Names written as one space-separated list.
inline QStringList names(const char* spaced)
{
    return QString::fromLatin1(spaced).split(u' ', Qt::SkipEmptyParts);
}

// A scripted desktop and a settings file of its own for each window test; and the main window's panel in a
// bare window, each of its runs staging `staged` afresh.
class WindowFixture : public ::testing::Test
{
public:
    // The settings file as an earlier run left it.
    void storeRaw(const char* ini) { dir.write(u"Brindlewick.ini"_qs, QByteArray("[Quillmere]\n") + ini); }
    // A new program run: the settings read afresh.
    gui::WindowContext& freshContext()
    {
        settings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        context = std::make_unique<gui::WindowContext>(
            gui::WindowContext{desktop.platform(), *settings, *outlookFactory, programFolder, profileStores});
        return *context;
    }
    QStringList shown() const { return desktop.dialogs.messageTexts(); }

    std::unique_ptr<rules::UnitSource> stagedSource()
    {
        return std::make_unique<rules::StagingSource>([this] { return dir.file(u"test.txt"_qs); },
                                                      [this](const QString&) {
                                                          ++stagings;
                                                          return stagingWorks &&
                                                                 !dir.write(u"test.txt"_qs, staged).isEmpty();
                                                      });
    }
    gui::CommandPanel& servedPanel()
    {
        if (panel)
            return *panel;
        panel = new gui::CommandPanel(freshContext(),
                                      {.module = u"Form1"_qs,
                                       .optionCaptions = {u"case"_qs, u"duplicates"_qs, u"source"_qs},
                                       .units = [this] { return stagedSource(); },
                                       .fieldChosen = {},
                                       .mayOpenDialog = {},
                                       .betweenModule = u"Form2"_qs,
                                       .textSetsModule = u"Form3"_qs,
                                       .appClosing = [this] { return closing; }},
                                      host);
        (new QVBoxLayout(&host))->addWidget(panel);
        results::SetInitialLayout(panel->results()); // as the windows' load does
        return *panel;
    }
    // A rule dialog serving the panel, loaded on its first opening in a new program run.
    template <class Dialog>
    std::unique_ptr<Dialog> openDialog()
    {
        dialogSettings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        auto dialog = std::make_unique<Dialog>(
            gui::DialogContext{servedPanel(), stagedSource(), *dialogSettings, programFolder}, nullptr);
        dialog->showDialog(false);
        return dialog;
    }

    testsupport::TempDir dir;
    platform::ScriptedPlatform desktop;
    fake::Outlook outlook; // holds no store
    sources::outlook::ApplicationFactory* outlookFactory = &outlook;
    std::function<QStringList()> profileStores;
    QString programFolder = QStringLiteral(QUILLMERE_PROGRAM_DIR);
    std::unique_ptr<core::Settings> settings;
    std::unique_ptr<gui::WindowContext> context;
    QByteArray staged;
    bool stagingWorks = true;
    int stagings = 0;
    bool closing = false; // the program, for the rule dialogs
    QWidget host;
    gui::CommandPanel* panel = nullptr;
    std::unique_ptr<core::Settings> dialogSettings;
    sources::express::StoreDiscovery discovery;
};

using testsupport::rows;

inline void moveMouseOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace guitest

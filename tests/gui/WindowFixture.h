#pragma once

#include "core/Settings.h"
#include "gui/WindowContext.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "support/KeyboardChecks.h"
#include "support/OutlookStub.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>

namespace guitest {

using testsupport::names;

// A scripted desktop and a settings file of its own for each window test.
class WindowFixture : public ::testing::Test
{
public:
    // The settings file as an earlier run left it.
    void storeRaw(const char* ini) { dir.write(u"Brindlewick.ini"_qs, QByteArray("[Quillmere]\n") + ini); }
    // A new program run: the settings read afresh.
    gui::WindowContext& freshContext()
    {
        settings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        context = std::make_unique<gui::WindowContext>(gui::WindowContext{
            desktop.platform(), *settings, *outlookFactory, QStringLiteral(QUILLMERE_PROGRAM_DIR), profileStores});
        return *context;
    }
    QStringList shown() const { return desktop.dialogs.messageTexts(); }

    testsupport::TempDir dir;
    platform::ScriptedPlatform desktop;
    testsupport::EmptyOutlook outlook;
    sources::outlook::ApplicationFactory* outlookFactory = &outlook;
    std::function<QStringList()> profileStores;
    std::unique_ptr<core::Settings> settings;
    std::unique_ptr<gui::WindowContext> context;
};

inline QStringList rows(const results::ResultsList& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.count(); ++i)
        texts << list.row(i).extracted();
    return texts;
}

inline void moveMouseOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace guitest

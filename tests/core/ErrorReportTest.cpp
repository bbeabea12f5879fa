#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "core/Startup.h"
#include "platform/ScriptedPlatform.h"

#include <gtest/gtest.h>
#include <stdexcept>

// The support sentence is there only when the build names an address; the start-up page likewise.
TEST(ErrorReport, TextNamesLocationLineAndTheSupportAddressOnlyWhenThereIsOne)
{
    EXPECT_EQ(core::errorReportText(u"Form1"_qs, u"PushButton5_Click"_qs, 7, u"D"_qs, u"help@example.org"_qs),
              QStringLiteral("D\r\nin Quillmere2021/08/31.Form1.PushButton5_Click at line 7\r\r"
                             "Please email screenshot of this message to help@example.org"));
    EXPECT_EQ(core::errorReportText(u"Form1"_qs, u"PushButton5_Click"_qs, 7, u"D"_qs, QString()),
              QStringLiteral("D\r\nin Quillmere2021/08/31.Form1.PushButton5_Click at line 7"));

    platform::ScriptedRandom lucky(7), unlucky(8);
    platform::ScriptedOpener opener;
    core::OpenHomePageAtRandom(lucky, opener, QString());
    core::OpenHomePageAtRandom(unlucky, opener, u"https://example.org/"_qs);
    core::OpenHomePageAtRandom(lucky, opener, u"https://example.org/"_qs);
    EXPECT_EQ(opener.opened, QStringList{u"https://example.org/"_qs});
}

// Any exception is reported under the statement's number; the next statement still runs.
TEST(Trap, ReportsFailingStatementByNumberAndRunsTheNextOne)
{
    platform::ScriptedDialogs dialogs;
    core::Trap trap(dialogs, u"Form1"_qs, u"PushButton5_Click"_qs);
    QStringList ran;
    EXPECT_TRUE(trap(6, [&] { ran << u"6"_qs; }));
    EXPECT_FALSE(trap(7, [&] { throw core::AppError(53, u"File not found"_qs); }));
    EXPECT_TRUE(trap(8, [&] { ran << u"8"_qs; }));
    EXPECT_FALSE(trap(9, [&] { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(trap(10, [&] { throw 42; }));
    EXPECT_EQ(ran, (QStringList{u"6"_qs, u"8"_qs}));
    const QStringList shown = dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_TRUE(shown[0].startsWith(u"File not found\r\nin Quillmere2021/08/31.Form1.PushButton5_Click at line 7"_qs));
    EXPECT_TRUE(shown[1].startsWith(u"boom\r\n"_qs) && shown[1].contains(u"at line 9"_qs));
    EXPECT_TRUE(shown[2].contains(u"at line 10"_qs));
}

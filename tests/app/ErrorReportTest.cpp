#include "app/AppError.h"
#include "app/ErrorReport.h"
#include "platform/ScriptedPlatform.h"

#include <gtest/gtest.h>
#include <stdexcept>

using app::AppError;
using app::Trap;

TEST(ErrorReport, TextNamesLocationLineAndSupportAddress)
{
    EXPECT_EQ(
        app::errorReportText(QStringLiteral("Form1"), QStringLiteral("PushButton5_Click"), 7, QStringLiteral("D")),
        QStringLiteral("D\r\nin Quillmere2021/08/31.Form1.PushButton5_Click at line 7\r\r"
                       "Please email screenshot of this message to support@brindlewick.example"));
}

TEST(ErrorReport, ShownAsExclamationBoxTitledApplicationError)
{
    platform::ScriptedDialogs dialogs;
    app::ShowErrorReport(dialogs, QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced"), 0,
                         QStringLiteral("Disk full"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(dialogs.messages()[0].icon, platform::Icon::Exclamation);
    EXPECT_EQ(dialogs.messages()[0].buttons, platform::Buttons::Ok);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
        QStringLiteral("Disk full\r\nin Quillmere2021/08/31.Main.SaveListviewProperlySpaced at line 0\r\r")));
}

TEST(Trap, ReportsFailingStatementByNumberAndRunsTheNextOne)
{
    platform::ScriptedDialogs dialogs;
    Trap trap(dialogs, QStringLiteral("Form1"), QStringLiteral("PushButton5_Click"));
    QStringList ran;
    EXPECT_TRUE(trap(6, [&] { ran << QStringLiteral("6"); }));
    EXPECT_FALSE(trap(7, [&] { throw AppError(53, QStringLiteral("File not found")); }));
    EXPECT_TRUE(trap(8, [&] { ran << QStringLiteral("8"); }));
    EXPECT_FALSE(trap(9, [&] { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(trap(10, [&] { throw 42; }));

    EXPECT_EQ(ran, (QStringList{QStringLiteral("6"), QStringLiteral("8")}));
    const QStringList shown = dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_TRUE(shown[0].startsWith(
        QStringLiteral("File not found\r\nin Quillmere2021/08/31.Form1.PushButton5_Click at line 7\r\r")));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("boom\r\n")));
    EXPECT_TRUE(shown[1].contains(QStringLiteral("at line 9\r\r")));
    EXPECT_TRUE(shown[2].contains(QStringLiteral("at line 10\r\r")));
}

TEST(Trap, FailureInsideUntrappedCalleeIsReportedAtTheCallersStatement)
{
    platform::ScriptedDialogs dialogs;
    Trap trap(dialogs, QStringLiteral("Form1"), QStringLiteral("PushButton13_Click"));
    auto untrappedHelper = [] { throw AppError(70, QStringLiteral("Permission denied")); };
    trap(3, [&] { untrappedHelper(); });
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("Form1.PushButton13_Click at line 3")));
}

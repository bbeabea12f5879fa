#include "results/ClipboardExport.h"

#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"

#include <gtest/gtest.h>

namespace {

using results::ResultsList;

TEST(ClipboardText, OneColumnRowsWithoutHeader)
{
    ResultsList list;
    list.setColumns({{QStringLiteral("Results"), 7000}});
    list.add({QStringLiteral("a"), {}, false});
    list.add({QStringLiteral("bbb"), {}, false});
    EXPECT_EQ(results::ClipboardText(list), QStringLiteral("a\r\nbbb\r\n"));
}

TEST(ClipboardText, WidthsFromCellsOnlyAndOnlyPlainSpacesTrimmed)
{
    ResultsList list;
    list.setColumns({{QStringLiteral("Source Filename"), 3000}, {QStringLiteral("Extraction Results"), 4400}});
    list.add({QStringLiteral("/a"), QStringLiteral("tail \u00a0  "), true});
    list.add({QStringLiteral("/long"), QStringLiteral("x\t"), true});
    list.add({QStringLiteral("/b"), QString(), true});
    EXPECT_EQ(results::ClipboardText(list), QStringLiteral("/a   \ttail \u00a0\r\n"
                                                           "/long\tx\t\r\n"
                                                           "/b   \t\r\n"));
}

TEST(CopyListview, EmptyListLeavesTheClipboardAlone)
{
    ResultsList list;
    list.setColumns({{QStringLiteral("Results"), 7000}});
    platform::ScriptedClipboard clipboard;
    clipboard.text = QStringLiteral("before");
    results::CopyListviewToClipboard(list, clipboard);
    EXPECT_EQ(clipboard.text, QStringLiteral("before"));

    list.add({QStringLiteral("x"), {}, false});
    results::CopyListviewToClipboard(list, clipboard);
    EXPECT_EQ(clipboard.text, QStringLiteral("x\r\n"));
}

TEST(ClipboardRetries, EachStepGivesUpAfterAThousandAttempts)
{
    platform::ScriptedClipboard clipboard;
    clipboard.failuresLeft = 1500;
    results::ClearClipboardRetrying(clipboard);
    EXPECT_EQ(clipboard.failuresLeft, 500);

    clipboard.failuresLeft = 1000;
    EXPECT_FALSE(results::SetClipboardTextRetrying(clipboard, QStringLiteral("t")));
    EXPECT_EQ(clipboard.failuresLeft, 0);
    EXPECT_TRUE(clipboard.text.isEmpty());

    clipboard.failuresLeft = 999;
    EXPECT_TRUE(results::SetClipboardTextRetrying(clipboard, QStringLiteral("t")));
    EXPECT_EQ(clipboard.text, QStringLiteral("t"));
}

} // namespace

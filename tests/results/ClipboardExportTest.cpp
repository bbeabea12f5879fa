#include "results/ClipboardExport.h"

#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"

#include <gtest/gtest.h>

namespace {

using results::ResultsList;

TEST(ClipboardText, OneColumnRowsWithoutHeader)
{
    ResultsList list;
    list.setColumns({{u"Results"_qs, 7000}});
    list.add({u"a"_qs, {}, false});
    list.add({u"bbb"_qs, {}, false});
    EXPECT_EQ(results::ClipboardText(list), u"a\r\nbbb\r\n"_qs);
}

TEST(ClipboardText, WidthsFromCellsOnlyAndOnlyPlainSpacesTrimmed)
{
    ResultsList list;
    list.setColumns({{u"Source Filename"_qs, 3000}, {u"Extraction Results"_qs, 4400}});
    list.add({u"/a"_qs, u"tail \u00a0  "_qs, true});
    list.add({u"/long"_qs, u"x\t"_qs, true});
    list.add({u"/b"_qs, QString(), true});
    EXPECT_EQ(results::ClipboardText(list), QStringLiteral("/a   \ttail \u00a0\r\n"
                                                           "/long\tx\t\r\n"
                                                           "/b   \t\r\n"));
}

TEST(ClipboardRetries, EachStepGivesUpAfterAThousandAttempts)
{
    platform::ScriptedClipboard clipboard;
    clipboard.failuresLeft = 1500;
    results::ClearClipboardRetrying(clipboard);
    EXPECT_EQ(clipboard.failuresLeft, 500);

    clipboard.failuresLeft = 1000;
    EXPECT_FALSE(results::SetClipboardTextRetrying(clipboard, u"t"_qs));
    EXPECT_EQ(clipboard.failuresLeft, 0);
    EXPECT_TRUE(clipboard.text.isEmpty());

    clipboard.failuresLeft = 999;
    EXPECT_TRUE(results::SetClipboardTextRetrying(clipboard, u"t"_qs));
    EXPECT_EQ(clipboard.text, u"t"_qs);
}

} // namespace

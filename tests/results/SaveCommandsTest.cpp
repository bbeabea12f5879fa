#include "results/SaveCommands.h"

#include "core/ErrorReport.h"
#include "platform/ScriptedPlatform.h"
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using platform::Pointer;
using results::ResultsList;
using testsupport::TempDir;

class SaveCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.setColumns({{u"Results"_qs, 7000}});
        list.add({u"x"_qs, {}, false});
        list.add({u"y"_qs, {}, false});
    }
    results::SaveContext context(const QString& window = u"Form1"_qs)
    {
        return {desk.dialogs, desk.loop, pointer, progress, desk.clipboard, desk.opener, desk.associations, window};
    }
    // Every command that ran showed the busy pointer and put the pointer back.
    void expectBusyWhileRunning(qsizetype commands)
    {
        EXPECT_EQ(pointer.history().count(Pointer::Hourglass), commands);
        EXPECT_EQ(pointer.pointer(), Pointer::Default);
    }

    TempDir dir;
    testsupport::EnvGuard temp{"TEMP", dir.path()}; // workbooks go to the private temporary folder in here
    ResultsList list;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    platform::ScriptedProgress progress;
};

// The chosen filter picks the form (aligned, comma, aligned for "All Files"); no extension is added. A cancelled
// dialog does nothing, and an existing file is replaced only when the user agrees.
TEST_F(SaveCommands, TextFileWritesTheChosenFormAndAsksBeforeOverwriting)
{
    const auto save = [&](const char* name, int filter) {
        desk.dialogs.answerFile({dir.file(QString::fromLatin1(name)), filter});
        results::SaveResultsAsTextFile(list, context());
    };
    results::SaveResultsAsTextFile(list, context()); // cancelled
    EXPECT_TRUE(pointer.history().isEmpty());
    const QString all = dir.write(u"all"_qs, "old");
    save("all", 3); // refused
    EXPECT_EQ(TempDir::read(all), QByteArray("old"));
    desk.dialogs.answerMessage(platform::Answer::Yes);
    save("all", 3);
    save("a.txt", 1);
    save("c.txt", 2);
    EXPECT_TRUE(desk.dialogs.lastFileDialogWasSave());
    EXPECT_TRUE(TempDir::read(dir.file(u"a.txt"_qs)).startsWith("Results\r\nx"));
    EXPECT_EQ(TempDir::read(all), TempDir::read(dir.file(u"a.txt"_qs)));
    EXPECT_EQ(TempDir::read(dir.file(u"c.txt"_qs)), results::CommaDelimitedText(list).toUtf8());
    const QString ask = u"Are you sure you wish to overwrite "_qs + all + u" ?"_qs, done = u"Done."_qs;
    EXPECT_EQ(desk.dialogs.messageTexts(), (QStringList{ask, ask, done, done, done}));
    EXPECT_EQ(desk.dialogs.messages()[0].buttons, platform::Buttons::YesNo);
    expectBusyWhileRunning(3);
}

TEST_F(SaveCommands, TextFileFailuresAreReportedWhereTheyHappen)
{
    const QString blocker = dir.write(u"blocker"_qs, "");
    desk.dialogs.answerFile({blocker + u"/c.txt"_qs, 2});
    desk.dialogs.answerFile({blocker + u"/a.txt"_qs, 1});
    results::SaveResultsAsTextFile(list, context(u"Form11"_qs));
    results::SaveResultsAsTextFile(list, context(u"Form11"_qs));
    const QString notFound = u"Path not found"_qs;
    EXPECT_EQ(
        desk.dialogs.messageTexts(),
        (QStringList{core::errorReportText(u"Form11"_qs, u"PushButton6_Click"_qs, 4, notFound), u"Done."_qs,
                     core::errorReportText(u"Main"_qs, u"SaveListviewProperlySpaced"_qs, 1, notFound), u"Done."_qs}));
    expectBusyWhileRunning(2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"blocker"_qs}); // nothing partial
}

// Without a spreadsheet program: said twice, nothing written. With one: each save opens a new workbook in the
// private folder; an empty list does nothing; cut cells and a failed opening are said.
TEST_F(SaveCommands, ExcelOpensANewWorkbookWhenASpreadsheetProgramIsThere)
{
    const QString xlsx = QLatin1String(results::kXlsxMimeType);
    results::SaveResultsAsExcelFile(list, context());
    EXPECT_EQ(desk.dialogs.messageTexts().filter(u"Excel is not installed on this computer."_qs).size(), 2);
    EXPECT_EQ(desk.dialogs.messageTexts().size(), 2);

    desk.dialogs.clearRecord();
    desk.associations.known = QStringList{xlsx};
    results::SaveResultsAsExcelFile(list, context());
    results::SaveResultsAsExcelFile(list, context());
    results::SaveResultsAsExcelFile(ResultsList(), context());
    ASSERT_EQ(desk.opener.opened.size(), 2);
    EXPECT_NE(desk.opener.opened[0], desk.opener.opened[1]);
    const QFileInfo workbook(desk.opener.opened[0]);
    EXPECT_TRUE(workbook.fileName().endsWith(u".xlsx"_qs));
    EXPECT_TRUE(workbook.absolutePath().startsWith(QDir(dir.path()).absolutePath()));
    EXPECT_TRUE(TempDir::read(workbook.filePath()).startsWith("PK"));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());
    expectBusyWhileRunning(2);

    desk.opener.succeeds = false;
    list.add({QString(40000, u'x'), {}, false});
    results::SaveResultsAsExcelFile(list, context());
    const QStringList texts = desk.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(u"in Quillmere2021/08/31.Form1.PushButton12_Click at line 5"_qs));
    EXPECT_TRUE(texts[0].contains(desk.opener.opened.value(2)));
    EXPECT_TRUE(texts[1].startsWith(u"1 of the results held more than 32,767 characters"_qs));
}

// A clipboard that refuses at first is asked again. An empty list leaves the clipboard alone.
TEST_F(SaveCommands, ClipboardCopyRetriesAndSaysSo)
{
    desk.clipboard.failuresLeft = 1500; // past the thousand tries to clear it, within the thousand to set it
    results::CopyResultsToClipboard(list, context());
    EXPECT_EQ(desk.clipboard.text, results::ClipboardText(list));
    desk.clipboard.text = u"before"_qs;
    results::CopyResultsToClipboard(ResultsList(), context());
    EXPECT_EQ(desk.clipboard.text, u"before"_qs);
    EXPECT_EQ(desk.dialogs.messageTexts().filter(u"Results have been copied to the clipboard."_qs).size(), 2);
    expectBusyWhileRunning(2);
    desk.clipboard.failuresLeft = 2000; // a clipboard that never takes the text: given up, not retried forever
    results::CopyResultsToClipboard(list, context());
    EXPECT_EQ(desk.clipboard.failuresLeft, 0);
    EXPECT_EQ(desk.clipboard.text, u"before"_qs);
}

} // namespace

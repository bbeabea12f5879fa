#include "results/SaveCommands.h"

#include "core/ErrorReport.h"
#include "core/TempFolder.h"
#include "platform/ScriptedPlatform.h"
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
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
    testsupport::EnvGuard temp{"TEMP", dir.path()}; // the private temporary folder is in here
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

// Without a spreadsheet program: said twice, nothing asked. With one, the user picks where the workbook goes
// (Results.xlsx in the documents folder at first; ".xlsx" added), is asked before a file is replaced, and the
// saved workbook opens; nothing is left in the private folder. An empty list does nothing; cut cells and a
// failed opening are said.
TEST_F(SaveCommands, ExcelSavesWhereTheUserChoosesThenOpensTheWorkbook)
{
    results::SaveResultsAsExcelFile(list, context());
    EXPECT_EQ(desk.dialogs.messageTexts().filter(u"Excel is not installed on this computer."_qs).size(), 2);
    EXPECT_EQ(desk.dialogs.messageTexts().size(), 2);
    EXPECT_TRUE(desk.dialogs.fileRequests().isEmpty());

    desk.dialogs.clearRecord();
    desk.associations.known = QStringList{QLatin1String(results::kXlsxMimeType)};
    results::SaveResultsAsExcelFile(list, context()); // cancelled
    ASSERT_EQ(desk.dialogs.fileRequests().size(), 1);
    EXPECT_EQ(desk.dialogs.fileRequests()[0].fileName,
              QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(u"Results.xlsx"_qs));
    EXPECT_TRUE(desk.dialogs.lastFileDialogWasSave());
    EXPECT_TRUE(desk.opener.opened.isEmpty());

    const QString old = dir.write(u"old.xlsx"_qs, "old");
    const auto save = [&](const QString& path) {
        desk.dialogs.answerFile({path, 1});
        results::SaveResultsAsExcelFile(list, context());
    };
    save(dir.file(u"report"_qs));
    save(old); // refused
    EXPECT_EQ(TempDir::read(old), QByteArray("old"));
    desk.dialogs.answerMessage(platform::Answer::Yes);
    save(old);
    results::SaveResultsAsExcelFile(ResultsList(), context());
    EXPECT_EQ(desk.opener.opened, (QStringList{dir.file(u"report.xlsx"_qs), old}));
    for (const QString& workbook : desk.opener.opened)
        EXPECT_TRUE(TempDir::read(workbook).startsWith("PK"));
    const QString ask = u"Are you sure you wish to overwrite "_qs + old + u" ?"_qs;
    EXPECT_EQ(desk.dialogs.messageTexts(), (QStringList{ask, ask}));
    EXPECT_EQ(QDir(dir.path()).entryList({u"*.xlsx*"_qs}, QDir::Files),
              (QStringList{u"old.xlsx"_qs, u"report.xlsx"_qs}));
    EXPECT_TRUE(QDir(core::privateTempFolder()).entryList({u"*.xlsx*"_qs}, QDir::Files).isEmpty());
    expectBusyWhileRunning(2);

    desk.dialogs.clearRecord();
    desk.opener.succeeds = false;
    list.add({QString(40000, u'x'), {}, false});
    desk.dialogs.answerFile({dir.file(u"long.XLSX"_qs), 1});
    results::SaveResultsAsExcelFile(list, context());
    const QStringList texts = desk.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(u"in Quillmere2021/08/31.Form1.PushButton12_Click at line 7"_qs));
    EXPECT_TRUE(texts[0].contains(dir.file(u"long.XLSX"_qs)));
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
    EXPECT_EQ(desk.dialogs.messageTexts().last(),
              u"The clipboard did not take the results. Try again, or save them as a text file."_qs);
}

} // namespace

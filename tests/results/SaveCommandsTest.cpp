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

const QString kXlsx = QLatin1String(results::kXlsxMimeType);

// Records every text and value the progress bar is given.
class RecordingProgress : public platform::ScriptedProgress
{
public:
    void setText(const QString& text) override
    {
        texts.append(text);
        ScriptedProgress::setText(text);
    }
    void setValue(int value) override
    {
        values.append(value);
        ScriptedProgress::setValue(value);
    }
    QStringList texts;
    QList<int> values;
};

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
    RecordingProgress progress;
};

TEST_F(SaveCommands, TextFileWritesTheFormOfTheChosenFilter)
{
    desk.dialogs.answerFile({dir.file(u"a.txt"_qs), 1});
    desk.dialogs.answerFile({dir.file(u"c.txt"_qs), 2});
    desk.dialogs.answerFile({dir.file(u"all"_qs), 3});
    for (int i = 0; i < 3; ++i)
        results::SaveResultsAsTextFile(list, context());

    ASSERT_EQ(desk.dialogs.fileRequests().size(), 3);
    EXPECT_TRUE(desk.dialogs.lastFileDialogWasSave());
    EXPECT_EQ(desk.dialogs.fileRequests()[0].fileName, QString());
    // The aligned file starts with its header; no extension is added to the name given.
    EXPECT_TRUE(TempDir::read(dir.file(u"a.txt"_qs)).startsWith("Results\r\nx"));
    EXPECT_EQ(TempDir::read(dir.file(u"c.txt"_qs)), results::CommaDelimitedText(list).toUtf8());
    EXPECT_EQ(TempDir::read(dir.file(u"all"_qs)), TempDir::read(dir.file(u"a.txt"_qs)));
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList(3, u"Done."_qs));
    expectBusyWhileRunning(3);
    // The aligned file moves the bar row by row and puts it back; the comma line leaves it alone.
    EXPECT_EQ(progress.values, (QList<int>{50, 100, 0, 50, 100, 0}));
}

TEST_F(SaveCommands, TextFileCancelledOrOverwriteRefusedChangesNothing)
{
    results::SaveResultsAsTextFile(list, context()); // cancelled
    const QString path = dir.write(u"keep.txt"_qs, "old");
    desk.dialogs.answerFile({path, 1});
    desk.dialogs.answerMessage(platform::Answer::No);
    results::SaveResultsAsTextFile(list, context());

    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{u"Are you sure you wish to overwrite "_qs + path + u" ?"_qs});
    EXPECT_EQ(desk.dialogs.messages()[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(TempDir::read(path), QByteArray("old"));
    EXPECT_TRUE(pointer.history().isEmpty());

    desk.dialogs.answerFile({path, 2});
    desk.dialogs.answerMessage(platform::Answer::Yes);
    results::SaveResultsAsTextFile(list, context());
    EXPECT_EQ(TempDir::read(path), results::CommaDelimitedText(list).toUtf8());
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
    results::SaveResultsAsExcelFile(list, context());
    EXPECT_EQ(desk.associations.asked, QStringList{kXlsx});
    const QStringList notInstalled = desk.dialogs.messageTexts();
    ASSERT_EQ(notInstalled.size(), 2);
    for (const QString& text : notInstalled)
        EXPECT_TRUE(text.startsWith(u"Excel is not installed on this computer."_qs));
    EXPECT_TRUE(desk.opener.opened.isEmpty());

    desk.dialogs.clearRecord();
    desk.associations.known = QStringList{kXlsx};
    results::SaveResultsAsExcelFile(list, context());
    results::SaveResultsAsExcelFile(list, context());
    ASSERT_EQ(desk.opener.opened.size(), 2);
    EXPECT_NE(desk.opener.opened[0], desk.opener.opened[1]);
    const QFileInfo workbook(desk.opener.opened[0]);
    EXPECT_TRUE(workbook.fileName().endsWith(u".xlsx"_qs));
    EXPECT_TRUE(workbook.absolutePath().startsWith(QDir(dir.path()).absolutePath()));
    EXPECT_TRUE(TempDir::read(workbook.filePath()).startsWith("PK"));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());
    expectBusyWhileRunning(2);

    ResultsList empty;
    results::SaveResultsAsExcelFile(empty, context());
    EXPECT_EQ(desk.opener.opened.size(), 2);
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

TEST_F(SaveCommands, ClipboardCopyRetriesShowsProgressTextAndItsMessage)
{
    // Clearing gives up after a thousand refusals, and setting then has a thousand attempts of its own.
    desk.clipboard.failuresLeft = 1500;
    results::CopyResultsToClipboard(list, context());
    EXPECT_EQ(desk.clipboard.text, results::ClipboardText(list));
    desk.clipboard.text = u"before"_qs;
    desk.clipboard.failuresLeft = 2000;
    results::CopyResultsToClipboard(list, context()); // gives up quietly
    EXPECT_EQ(desk.clipboard.failuresLeft, 0);
    EXPECT_EQ(desk.clipboard.text, u"before"_qs);
    list.clear();
    results::CopyResultsToClipboard(list, context()); // an empty list leaves the clipboard alone
    EXPECT_EQ(desk.clipboard.text, u"before"_qs);

    const QString copying = u"Copying text to clipboard.. please wait.."_qs;
    EXPECT_EQ(progress.texts,
              (QStringList{copying, u"Progress Bar"_qs, copying, u"Progress Bar"_qs, copying, u"Progress Bar"_qs}));
    const QStringList texts = desk.dialogs.messageTexts();
    EXPECT_EQ(texts.size(), 3);
    EXPECT_EQ(texts.filter(u"Results have been copied to the clipboard."_qs).size(), 3);
    expectBusyWhileRunning(3);
}

} // namespace

#include "results/SaveCommands.h"

#include "core/ErrorReport.h"
#include "platform/ScriptedFileAssociations.h"
#include "platform/ScriptedPlatform.h"
#include "platform/XdgFileAssociations.h"
#include "results/ResultsList.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using platform::Pointer;
using results::ResultsList;
using testsupport::TempDir;

const QString kXlsx = QLatin1String(results::kXlsxMimeType);
const QString kNoExcelFeature =
    u"Excel is not installed on this computer. You need to have it installed to use this feature."_qs;
const QString kNoExcelSoftware = QStringLiteral(
    "Excel is not installed on this computer. You need to have it installed to use this software without error.");

class SaveCommands : public ::testing::Test
{
protected:
    void SetUp() override { list.setColumns({{u"Results"_qs, 7000}}); }

    results::SaveContext context(const QString& window = u"Form1"_qs) { return context(desk.clipboard, window); }
    results::SaveContext context(platform::Clipboard& clipboard, const QString& window = u"Form1"_qs)
    {
        return {desk.dialogs, desk.loop, pointer, progress, clipboard, desk.opener, associations, window};
    }
    void addRows(const QStringList& hits)
    {
        for (const QString& hit : hits)
            list.add({hit, {}, false});
    }

    TempDir dir;
    testsupport::EnvGuard temp{"TEMP", dir.path()}; // workbooks go to the private temporary folder in here
    ResultsList list;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    platform::ScriptedProgress progress;
    platform::ScriptedFileAssociations associations;
};

TEST_F(SaveCommands, TextFileAsksWithTheFixedDialogAndSaysDone)
{
    addRows({u"a"_qs, u"bbb"_qs});
    const QString path = dir.file(u"out.txt"_qs);
    desk.dialogs.answerFile({path, 1});
    results::SaveResultsAsTextFile(list, context());

    ASSERT_EQ(desk.dialogs.fileRequests().size(), 1);
    const platform::FileDialogRequest& request = desk.dialogs.fileRequests()[0];
    EXPECT_TRUE(desk.dialogs.lastFileDialogWasSave());
    EXPECT_EQ(request.fileName, QString());
    EXPECT_EQ(request.flags, 0x280201u);
    EXPECT_EQ(request.title, u"Save"_qs);
    EXPECT_EQ(request.filter, QStringLiteral("Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|"
                                             "All Files (*.*)|*.*|"));
    EXPECT_EQ(TempDir::read(path), QByteArray("Results\r\na\r\nbbb\r\n\r\n"));
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{u"Done."_qs});
    EXPECT_EQ(pointer.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
}

TEST_F(SaveCommands, TextFileCancelledOrOverwriteRefusedChangesNothing)
{
    addRows({u"x"_qs});
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
    EXPECT_EQ(TempDir::read(path), QByteArray("x,"));
}

TEST_F(SaveCommands, TextFileFiltersChooseTheForm)
{
    addRows({u"x"_qs, u"y"_qs});
    const QString comma = dir.file(u"c.txt"_qs);
    const QString all = dir.file(u"all"_qs);
    desk.dialogs.answerFile({comma, 2});
    desk.dialogs.answerFile({all, 3});
    results::SaveResultsAsTextFile(list, context());
    results::SaveResultsAsTextFile(list, context());
    EXPECT_EQ(TempDir::read(comma), QByteArray("x,y,"));
    // No extension is added to the chosen name.
    EXPECT_EQ(TempDir::read(all), QByteArray("Results\r\nx\r\ny\r\n\r\n"));

    ResultsList empty;
    empty.setColumns({{u"Results"_qs, 7000}});
    desk.dialogs.answerFile({dir.file(u"e1.txt"_qs), 1});
    desk.dialogs.answerFile({dir.file(u"e2.txt"_qs), 2});
    results::SaveResultsAsTextFile(empty, context());
    results::SaveResultsAsTextFile(empty, context());
    EXPECT_EQ(TempDir::read(dir.file(u"e1.txt"_qs)), QByteArray("Results\r\n\r\n"));
    EXPECT_TRUE(QFileInfo::exists(dir.file(u"e2.txt"_qs)));
    EXPECT_EQ(TempDir::read(dir.file(u"e2.txt"_qs)), QByteArray());
    EXPECT_EQ(desk.dialogs.messageTexts().count(u"Done."_qs), 4);
}

TEST_F(SaveCommands, TextFileFailuresAreReportedWhereTheyHappen)
{
    addRows({u"x"_qs});
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
    EXPECT_EQ(pointer.pointer(), Pointer::Default);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"blocker"_qs}); // nothing partial
}

TEST_F(SaveCommands, ExcelWithoutASpreadsheetProgramSaysSoTwice)
{
    addRows({u"x"_qs});
    results::SaveResultsAsExcelFile(list, context());
    EXPECT_EQ(associations.asked, QStringList{kXlsx});
    EXPECT_EQ(desk.dialogs.messageTexts(), (QStringList{kNoExcelSoftware, kNoExcelFeature}));
    EXPECT_TRUE(desk.opener.opened.isEmpty());
}

TEST_F(SaveCommands, ExcelOpensANewWorkbookInThePrivateFolder)
{
    associations.known = QStringList{kXlsx};
    results::SaveResultsAsExcelFile(list, context()); // empty list: nothing at all
    EXPECT_TRUE(desk.opener.opened.isEmpty());
    EXPECT_TRUE(pointer.history().isEmpty());

    addRows({u"=1+1"_qs, u"a=b"_qs});
    results::SaveResultsAsExcelFile(list, context());
    results::SaveResultsAsExcelFile(list, context());
    ASSERT_EQ(desk.opener.opened.size(), 2);
    EXPECT_NE(desk.opener.opened[0], desk.opener.opened[1]);
    const QFileInfo workbook(desk.opener.opened[0]);
    EXPECT_TRUE(workbook.fileName().endsWith(u".xlsx"_qs));
    EXPECT_TRUE(workbook.absolutePath().startsWith(QDir(dir.path()).absolutePath()));
    EXPECT_TRUE(TempDir::read(workbook.filePath()).startsWith("PK"));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());
    EXPECT_EQ(pointer.pointer(), Pointer::Default);
}

TEST_F(SaveCommands, ExcelSaysWhenCellsWereCutOrNothingCouldOpenTheWorkbook)
{
    associations.known = QStringList{kXlsx};
    desk.opener.succeeds = false;
    addRows({QString(40000, u'x')});
    results::SaveResultsAsExcelFile(list, context());
    const QStringList texts = desk.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(u"in Quillmere2021/08/31.Form1.PushButton12_Click at line 5"_qs));
    EXPECT_TRUE(texts[0].contains(desk.opener.opened.value(0)));
    EXPECT_TRUE(texts[1].startsWith(u"1 of the results held more than 32,767 characters"_qs));
}

// Records what the progress bar said while the text went onto the clipboard.
class WatchingClipboard : public platform::ScriptedClipboard
{
public:
    explicit WatchingClipboard(const platform::ProgressControl& progress) : m_progress(progress) {}
    bool setText(const QString& text) override
    {
        progressText = m_progress.text();
        return ScriptedClipboard::setText(text);
    }
    QString progressText;

private:
    const platform::ProgressControl& m_progress;
};

TEST_F(SaveCommands, ClipboardCopyShowsProgressTextAndItsMessage)
{
    const QString done = QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                                        "normally type and press Ctrl+V to paste the clipboard.");
    WatchingClipboard clipboard(progress);
    clipboard.text = u"before"_qs;
    const results::SaveContext watched = context(clipboard);
    results::CopyResultsToClipboard(list, watched);
    EXPECT_EQ(clipboard.text, u"before"_qs);

    addRows({u"a"_qs, u"bbb"_qs});
    results::CopyResultsToClipboard(list, watched);
    EXPECT_EQ(clipboard.text, u"a\r\nbbb\r\n"_qs);
    EXPECT_EQ(clipboard.progressText, u"Copying text to clipboard.. please wait.."_qs);
    EXPECT_EQ(progress.text(), u"Progress Bar"_qs);
    EXPECT_EQ(desk.dialogs.messageTexts(), (QStringList{done, done}));
    EXPECT_EQ(pointer.history(),
              (QList<Pointer>{Pointer::Hourglass, Pointer::Default, Pointer::Hourglass, Pointer::Default}));
}

// A desktop laid out in a test folder: config/ and data/ as the XDG folders.
class XdgAssociations : public ::testing::Test
{
protected:
    void write(const QString& relative, const QByteArray& body)
    {
        const QString path = dir.file(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    void desktopFile(const QString& relative, const QByteArray& body)
    {
        write(relative, "[Desktop Entry]\nType=Application\nName=Calc\nExec=calc %U\n" + body);
    }
    bool answer()
    {
        platform::XdgFileAssociations xdg({dir.file(u"config"_qs)}, {dir.file(u"home"_qs), dir.file(u"system"_qs)});
        return xdg.hasProgramFor(kXlsx);
    }
    TempDir dir;
};

TEST_F(XdgAssociations, InstalledProgramsListingTheTypeCountUnlessHiddenOrRemoved)
{
    EXPECT_FALSE(answer());
    desktopFile(u"system/applications/viewer.desktop"_qs, "MimeType=text/plain;\n");
    write(u"config/mimeapps.list"_qs, "[Default Applications]\n" + kXlsx.toUtf8() + "=gone.desktop\n");
    EXPECT_FALSE(answer()); // another type, and a default that is not installed
    desktopFile(u"system/applications/office/calc.desktop"_qs, "MimeType=" + kXlsx.toUtf8() + ";\n");
    EXPECT_TRUE(answer());
    // The user's own copy of the same ID hides the program.
    desktopFile(u"home/applications/office-calc.desktop"_qs, "Hidden=true\n");
    EXPECT_FALSE(answer());
    desktopFile(u"system/applications/sheets.desktop"_qs, "");
    write(u"system/applications/mimeinfo.cache"_qs, "[MIME Cache]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
    EXPECT_TRUE(answer());
    write(u"config/mimeapps.list"_qs, "[Removed Associations]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
    EXPECT_FALSE(answer());
}

} // namespace

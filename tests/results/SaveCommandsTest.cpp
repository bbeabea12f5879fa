#include "results/SaveCommands.h"

#include "app/ErrorReport.h"
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
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to use this feature.");
const QString kNoExcelSoftware = QStringLiteral(
    "Excel is not installed on this computer. You need to have it installed to use this software without error.");

class SaveCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Workbooks go to the private temporary folder; keep them inside this test's folder.
        m_oldTemp = qgetenv("TEMP");
        qputenv("TEMP", QFile::encodeName(dir.path()));
        list.setColumns({{QStringLiteral("Results"), 7000}});
    }
    void TearDown() override { qputenv("TEMP", m_oldTemp); }

    results::SaveContext context(const QString& window = QStringLiteral("Form1"))
    {
        return context(desk.clipboard, window);
    }
    results::SaveContext context(platform::Clipboard& clipboard, const QString& window = QStringLiteral("Form1"))
    {
        return {desk.dialogs, desk.loop, pointer, progress, clipboard, desk.opener, associations, window};
    }
    void addRows(const QStringList& hits)
    {
        for (const QString& hit : hits)
            list.add({hit, {}, false});
    }

    TempDir dir;
    ResultsList list;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    platform::ScriptedProgress progress;
    platform::ScriptedFileAssociations associations;

private:
    QByteArray m_oldTemp;
};

TEST_F(SaveCommands, TextFileAsksWithTheFixedDialogAndSaysDone)
{
    addRows({QStringLiteral("a"), QStringLiteral("bbb")});
    const QString path = dir.file(QStringLiteral("out.txt"));
    desk.dialogs.answerFile({path, 1});
    results::SaveResultsAsTextFile(list, context());

    ASSERT_EQ(desk.dialogs.fileRequests().size(), 1);
    const platform::FileDialogRequest& request = desk.dialogs.fileRequests()[0];
    EXPECT_TRUE(desk.dialogs.lastFileDialogWasSave());
    EXPECT_EQ(request.fileName, QString());
    EXPECT_EQ(request.flags, 0x280201u);
    EXPECT_EQ(request.title, QStringLiteral("Save"));
    EXPECT_EQ(request.filter, QStringLiteral("Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|"
                                             "All Files (*.*)|*.*|"));
    EXPECT_EQ(TempDir::read(path), QByteArray("Results\r\na\r\nbbb\r\n\r\n"));
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(pointer.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
}

TEST_F(SaveCommands, TextFileCancelledOrOverwriteRefusedChangesNothing)
{
    addRows({QStringLiteral("x")});
    results::SaveResultsAsTextFile(list, context()); // cancelled
    const QString path = dir.write(QStringLiteral("keep.txt"), "old");
    desk.dialogs.answerFile({path, 1});
    desk.dialogs.answerMessage(platform::Answer::No);
    results::SaveResultsAsTextFile(list, context());

    EXPECT_EQ(desk.dialogs.messageTexts(),
              QStringList{QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?")});
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
    addRows({QStringLiteral("x"), QStringLiteral("y")});
    const QString comma = dir.file(QStringLiteral("c.txt"));
    const QString all = dir.file(QStringLiteral("all"));
    desk.dialogs.answerFile({comma, 2});
    desk.dialogs.answerFile({all, 3});
    results::SaveResultsAsTextFile(list, context());
    results::SaveResultsAsTextFile(list, context());
    EXPECT_EQ(TempDir::read(comma), QByteArray("x,y,"));
    // No extension is added to the chosen name.
    EXPECT_EQ(TempDir::read(all), QByteArray("Results\r\nx\r\ny\r\n\r\n"));

    ResultsList empty;
    empty.setColumns({{QStringLiteral("Results"), 7000}});
    desk.dialogs.answerFile({dir.file(QStringLiteral("e1.txt")), 1});
    desk.dialogs.answerFile({dir.file(QStringLiteral("e2.txt")), 2});
    results::SaveResultsAsTextFile(empty, context());
    results::SaveResultsAsTextFile(empty, context());
    EXPECT_EQ(TempDir::read(dir.file(QStringLiteral("e1.txt"))), QByteArray("Results\r\n\r\n"));
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("e2.txt"))));
    EXPECT_EQ(TempDir::read(dir.file(QStringLiteral("e2.txt"))), QByteArray());
    EXPECT_EQ(desk.dialogs.messageTexts().count(QStringLiteral("Done.")), 4);
}

TEST_F(SaveCommands, TextFileFailuresAreReportedWhereTheyHappen)
{
    addRows({QStringLiteral("x")});
    const QString blocker = dir.write(QStringLiteral("blocker"), "");
    desk.dialogs.answerFile({blocker + QStringLiteral("/c.txt"), 2});
    desk.dialogs.answerFile({blocker + QStringLiteral("/a.txt"), 1});
    results::SaveResultsAsTextFile(list, context(QStringLiteral("Form11")));
    results::SaveResultsAsTextFile(list, context(QStringLiteral("Form11")));
    const QString notFound = QStringLiteral("Path not found");
    EXPECT_EQ(
        desk.dialogs.messageTexts(),
        (QStringList{
            app::errorReportText(QStringLiteral("Form11"), QStringLiteral("PushButton6_Click"), 4, notFound),
            QStringLiteral("Done."),
            app::errorReportText(QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced"), 1, notFound),
            QStringLiteral("Done.")}));
    EXPECT_EQ(pointer.pointer(), Pointer::Default);
}

TEST_F(SaveCommands, ExcelWithoutASpreadsheetProgramSaysSoTwice)
{
    addRows({QStringLiteral("x")});
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

    addRows({QStringLiteral("=1+1"), QStringLiteral("a=b")});
    results::SaveResultsAsExcelFile(list, context());
    results::SaveResultsAsExcelFile(list, context());
    ASSERT_EQ(desk.opener.opened.size(), 2);
    EXPECT_NE(desk.opener.opened[0], desk.opener.opened[1]);
    const QFileInfo workbook(desk.opener.opened[0]);
    EXPECT_TRUE(workbook.fileName().endsWith(QStringLiteral(".xlsx")));
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
    EXPECT_TRUE(texts[0].contains(QStringLiteral("in Quillmere2021/08/31.Form1.PushButton12_Click at line 5")));
    EXPECT_TRUE(texts[0].contains(desk.opener.opened.value(0)));
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("1 of the results held more than 32,767 characters")));
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
    clipboard.text = QStringLiteral("before");
    const results::SaveContext watched = context(clipboard);
    results::CopyResultsToClipboard(list, watched);
    EXPECT_EQ(clipboard.text, QStringLiteral("before"));

    addRows({QStringLiteral("a"), QStringLiteral("bbb")});
    results::CopyResultsToClipboard(list, watched);
    EXPECT_EQ(clipboard.text, QStringLiteral("a\r\nbbb\r\n"));
    EXPECT_EQ(clipboard.progressText, QStringLiteral("Copying text to clipboard.. please wait.."));
    EXPECT_EQ(progress.text(), QStringLiteral("Progress Bar"));
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
        platform::XdgFileAssociations xdg({dir.file(QStringLiteral("config"))},
                                          {dir.file(QStringLiteral("home")), dir.file(QStringLiteral("system"))});
        return xdg.hasProgramFor(kXlsx);
    }
    TempDir dir;
};

TEST_F(XdgAssociations, ProgramsThatListTheTypeCountUnlessHidden)
{
    EXPECT_FALSE(answer());
    desktopFile(QStringLiteral("system/applications/viewer.desktop"), "MimeType=text/plain;\n");
    EXPECT_FALSE(answer());
    desktopFile(QStringLiteral("system/applications/office/calc.desktop"),
                "MimeType=application/vnd.oasis.opendocument.spreadsheet;" + kXlsx.toUtf8() + ";\n");
    EXPECT_TRUE(answer());
    // The user's own copy of the same ID hides the program.
    desktopFile(QStringLiteral("home/applications/office-calc.desktop"), "Hidden=true\n");
    EXPECT_FALSE(answer());
}

TEST_F(XdgAssociations, MimeappsListAndCacheNameInstalledProgramsOnly)
{
    write(QStringLiteral("config/mimeapps.list"), "[Default Applications]\n" + kXlsx.toUtf8() + "=gone.desktop\n");
    EXPECT_FALSE(answer());
    desktopFile(QStringLiteral("system/applications/sheets.desktop"), "");
    write(QStringLiteral("system/applications/mimeinfo.cache"),
          "[MIME Cache]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
    EXPECT_TRUE(answer());
    write(QStringLiteral("config/mimeapps.list"), "[Removed Associations]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
    EXPECT_FALSE(answer());
}

} // namespace

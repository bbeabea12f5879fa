#include "core/TempFolder.h"
#include "FakeLineWindow.h"
#include "rules/OutlookExtraction.h"
#include "rules/ResultsSink.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace rules;
using platform::Pointer;
using testsupport::TempDir;

namespace {

// The Outlook window as the commands see it; staging writes a prepared text.
class FakeWindow : public FakeLineWindow<StagingWindow>
{
public:
    bool from = true, body = false;
    QByteArray staged = "\r\nann@example.org\r\n\r\nbob@example.org\r\n\r\n";
    bool stagingWorks = true;
    int stagings = 0;
    QString stagedPath;

    bool fromFieldChecked() const override { return from; }
    bool bodyFieldChecked() const override { return body; }
    bool stageMail(const QString& path) override
    {
        ++stagings;
        stagedPath = path;
        if (!stagingWorks)
            return false;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(staged);
        return true;
    }
    QString stagingPath() const override { return core::stagingFilePath(); }
};

class OutlookExtractionTest : public ::testing::Test
{
protected:
    TempDir dir;
    testsupport::EnvGuard temp{"TEMP", dir.path()};
    FakeWindow window;
};

} // namespace

TEST_F(OutlookExtractionTest, AllEmailDataListsEveryStagedLineAndRestsAfterwards)
{
    runOutlookCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.rows(),
              (QStringList{QString(), u"ann@example.org"_qs, QString(), u"bob@example.org"_qs, QString()}));
    EXPECT_EQ(window.stagedPath, core::stagingFilePath());
    EXPECT_EQ(window.pointerScript.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
    EXPECT_EQ(window.progressScript.text(), u"Progress Bar"_qs);
    EXPECT_EQ(window.progressScript.value(), 0);
    EXPECT_TRUE(window.dialogsScript.messages().isEmpty());
}

TEST_F(OutlookExtractionTest, BodyOnlyRecordsGiveEmptySenderLinesThatDedupeCollapses)
{
    window.from = false;
    window.body = true;
    window.dedupe = true;
    window.staged = "\r\n\r\nHello\r\nthere\r\n\r\nHello\r\n";
    runOutlookCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.rows(), (QStringList{QString(), u"Hello"_qs, u"there"_qs}));
}

TEST_F(OutlookExtractionTest, NeitherFieldTickedStopsBeforeStaging)
{
    window.from = false;
    window.list.add({u"earlier"_qs, {}, false});
    runOutlookCommand(window, containingCommand());
    EXPECT_EQ(window.dialogsScript.messageTexts(), QStringList{u"You must check at least one Field option"_qs});
    EXPECT_EQ(window.stagings, 0);
    EXPECT_EQ(window.rows(), QStringList{u"earlier"_qs});

    window.from = true;
    window.stagingWorks = false; // a failed staging leaves the list untouched too
    runOutlookCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.rows(), QStringList{u"earlier"_qs});
    EXPECT_TRUE(window.pointerScript.history().isEmpty());
}

TEST_F(OutlookExtractionTest, EmptySearchBoxIsRefusedBeforeStagingAndKeepsTheList)
{
    window.list.add({u"earlier"_qs, {}, false});
    runOutlookCommand(window, containingCommand());
    runOutlookCommand(window, notContainingCommand());
    runOutlookCommand(window, lineNumbersCommand());
    EXPECT_EQ(window.dialogsScript.messageTexts(), QStringList(3, u"Fill out text to use to extract lines."_qs));
    EXPECT_EQ(window.stagings, 0);
    EXPECT_EQ(window.rows(), QStringList{u"earlier"_qs});
}

// "Containing" tells which file it reads while it runs; "not containing" leaves the bar's text alone.
TEST_F(OutlookExtractionTest, ContainingShowsWhatItReadsWhileRunningNotContainingDoesNot)
{
    QStringList texts;
    window.loopScript.msPerRead = 1000; // every reading of the clock ends a time slice
    window.loopScript.onYield = [&] { texts << window.progressScript.text(); };
    window.text1 = u"ANN"_qs;
    runOutlookCommand(window, containingCommand());
    EXPECT_EQ(window.rows(), QStringList{u"ann@example.org"_qs});
    EXPECT_TRUE(texts.contains(u"Please wait.. Looking at.. "_qs + window.stagedPath))
        << texts.join(u'|').toStdString();

    texts.clear();
    window.text2 = u"example"_qs;
    window.progressScript.setText(u"unchanged"_qs);
    window.caseOff = false;
    runOutlookCommand(window, notContainingCommand());
    EXPECT_EQ(window.rows(), QStringList(3, QString()));
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts, QStringList(texts.size(), u"unchanged"_qs));
    EXPECT_EQ(window.progressScript.text(), u"Progress Bar"_qs);
}

TEST_F(OutlookExtractionTest, FailureMidRunIsReportedWithItsStatementAndTheRunComesToRest)
{
    // The staging "succeeds" but leaves no file to read.
    class VanishingWindow : public FakeWindow
    {
    public:
        bool stageMail(const QString& path) override
        {
            QFile::remove(path);
            return true;
        }
    } vanishing;
    runOutlookCommand(vanishing, allEmailDataCommand());
    const QStringList shown = vanishing.dialogsScript.messageTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"File not found\r\nin Quillmere2021/08/31.Form1.PushButton13_Click at line 8"_qs));
    EXPECT_EQ(vanishing.pointerScript.pointer(), Pointer::Default);
    EXPECT_EQ(vanishing.progressScript.text(), u"Progress Bar"_qs);
}

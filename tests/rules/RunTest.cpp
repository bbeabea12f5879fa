#include "core/AppError.h"
#include "rules/ResultsSink.h"
#include "rules/Run.h"
#include "rules/UnitSource.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace rules;
using platform::Pointer;

namespace {

struct Options : results::ListOptions
{
    bool dedupe = false, source = false;
    bool removeDuplicates() const override { return dedupe; }
    bool showSource() const override { return source; }
};

// The results list of a window; a hit of the given text fails, as a full disk would.
struct FailingSink : ResultsSink
{
    using ResultsSink::ResultsSink;
    QString failOn = u"\x01"_qs;
    void addHit(const QString& text, const QString& sourcePath) override
    {
        if (text == failOn)
            throw core::AppError(61, u"Disk full"_qs);
        ResultsSink::addHit(text, sourcePath);
    }
};

// A request runs over a staging file whose staging writes a prepared text, or over messages held in memory,
// into a results list, on a scripted desktop.
class RunTest : public ::testing::Test
{
protected:
    static RunRequest request(RuleKind rule, const QString& module = u"Form1"_qs)
    {
        RunRequest r;
        r.rule = rule;
        r.module = module;
        return r;
    }

    void runStaged(const RunRequest& r)
    {
        StagingSource units([this] { return dir.file(u"test.txt"_qs); },
                            [this](const QString& path) {
                                ++stagings;
                                if (stagingWorks)
                                    dir.write(QFileInfo(path).fileName(), staged);
                                return stagingWorks;
                            });
        run(r, units, sink, feedback);
    }

    void runMessages(const RunRequest& r)
    {
        MessagesSource units({{u"/q/a.eml"_qs, 50}, {u"/q/b.eml"_qs, 100}}, [this](const QString& path) {
            loadedAt << progress.value();
            if (path == failingMessage)
                throw core::AppError(53, u"File not found"_qs);
            return path.endsWith(u"a.eml") ? u"Hello\r\nshared line\r\nbye"_qs : u"shared line\r\nother\r\n"_qs;
        });
        run(r, units, sink, feedback);
    }

    QStringList rows() const
    {
        QStringList texts;
        for (qsizetype i = 0; i < list.count(); ++i)
            texts << list.row(i).extracted();
        return texts;
    }

    // The one error report shown, from its location on.
    QString reported() const
    {
        const QStringList shown = dialogs.messageTexts();
        return shown.size() == 1 ? shown[0].section(u"in "_qs, 1).section(u"\r"_qs, 0, 0) : shown.join(u'|');
    }

    testsupport::TempDir dir;
    QByteArray staged = "\r\nann@example.org\r\n\r\nbob@example.org\r\n\r\n";
    bool stagingWorks = true;
    int stagings = 0;
    QString failingMessage;
    QList<int> loadedAt;
    platform::ScriptedDialogs dialogs;
    platform::ScriptedEventLoop loop;
    platform::ScriptedPointer pointer;
    platform::ScriptedProgress progress;
    RunFeedback feedback{dialogs, pointer, progress, loop};
    results::ResultsList list;
    Options options;
    FailingSink sink{list, options};
};

} // namespace

TEST_F(RunTest, StagedLinesAreListedAndTheWindowComesToRest)
{
    runStaged(request(RuleKind::AllEmailData));
    EXPECT_EQ(rows(), (QStringList{QString(), u"ann@example.org"_qs, QString(), u"bob@example.org"_qs, QString()}));
    EXPECT_EQ(pointer.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
    EXPECT_EQ(progress.text(), u"Progress Bar"_qs);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RunTest, InputChecksComeBeforeStagingAndKeepTheList)
{
    list.add({u"earlier"_qs, {}, false});
    RunRequest noField = request(RuleKind::AllEmailData);
    noField.fieldChosen = false;
    runStaged(noField);
    for (const RuleKind rule : {RuleKind::Containing, RuleKind::NotContaining, RuleKind::LineNumbers})
        runStaged(request(rule));
    runMessages(request(RuleKind::Containing, u"Form11"_qs));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{u"You must check at least one Field option"_qs} +
                                          QStringList(4, u"Fill out text to use to extract lines."_qs));
    RunRequest between = request(RuleKind::Between, u"Form2"_qs);
    between.startText = u"x"_qs;
    runStaged(between);
    EXPECT_EQ(dialogs.messageTexts().constLast(),
              u"Fill out starting text (or character) and fill out ending text (or character)."_qs);
    EXPECT_EQ(stagings, 0);

    stagingWorks = false; // a failed staging leaves the list untouched too
    runStaged(request(RuleKind::AllEmailData));
    runStaged(request(RuleKind::TextSets, u"Form3"_qs));
    EXPECT_EQ(stagings, 2);
    EXPECT_EQ(rows(), QStringList{u"earlier"_qs});
    EXPECT_EQ(pointer.history(), QList<Pointer>{Pointer::Default}); // the text-set run always puts it back
}

// "Containing" tells which file it reads while it runs; "not containing" leaves the bar's text alone.
TEST_F(RunTest, ContainingShowsWhatItReadsWhileRunningNotContainingDoesNot)
{
    QStringList texts;
    loop.msPerRead = 1000; // every reading of the clock ends a time slice
    loop.onYield = [&] { texts << progress.text(); };
    RunRequest containing = request(RuleKind::Containing);
    containing.searchText = u"ANN"_qs;
    containing.ignoreCase = true;
    runStaged(containing);
    EXPECT_EQ(rows(), QStringList{u"ann@example.org"_qs});
    EXPECT_TRUE(texts.contains(u"Please wait.. Looking at.. "_qs + dir.file(u"test.txt"_qs)))
        << texts.join(u'|').toStdString();

    texts.clear();
    progress.setText(u"unchanged"_qs);
    RunRequest notContaining = request(RuleKind::NotContaining);
    notContaining.searchText = u"example"_qs;
    runStaged(notContaining);
    EXPECT_EQ(rows(), QStringList(3, QString()));
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts, QStringList(texts.size(), u"unchanged"_qs));
    EXPECT_EQ(progress.text(), u"Progress Bar"_qs);
}

TEST_F(RunTest, EveryMessageIsReadWithItsPathAndShownOnTheProgressBar)
{
    options.source = true;
    runMessages(request(RuleKind::AllEmailData, u"Form11"_qs));
    EXPECT_EQ(rows(),
              (QStringList{u"Hello"_qs, u"shared line"_qs, u"bye"_qs, u"shared line"_qs, u"other"_qs, QString()}));
    EXPECT_EQ(list.row(0).text, u"/q/a.eml"_qs);
    EXPECT_EQ(list.row(3).text, u"/q/b.eml"_qs);
    EXPECT_EQ(loadedAt, (QList<int>{50, 100}));
    EXPECT_EQ(progress.value(), 0);
    EXPECT_EQ(progress.text(), u"Progress Bar"_qs);
    EXPECT_EQ(pointer.pointer(), Pointer::Default);
}

// A text-set run relabels the first column and puts the bar back only where it showed progress on it.
TEST_F(RunTest, TextSetRunsRelabelTheListAndRestTheBarTheyUsed)
{
    options.source = true;
    RunRequest sets = request(RuleKind::TextSets, u"Form33"_qs);
    sets.textSets = QStringList{u"SHARED"_qs, u"line"_qs};
    sets.ignoreCase = true;
    runMessages(sets);
    EXPECT_EQ(rows(), QStringList(4, u"shared line"_qs));
    EXPECT_EQ(list.columns()[0].title, u"Results"_qs);
    EXPECT_EQ(progress.text(), u"Progress Bar"_qs);

    sets.module = u"Form3"_qs;
    sets.textSets.clear();
    progress.setText(u"kept"_qs);
    runStaged(sets);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{u"Fill out combobox text to use to extract lines."_qs});
    EXPECT_EQ(progress.text(), u"kept"_qs);
    EXPECT_EQ(pointer.pointer(), Pointer::Default);
}

// A failure is reported at its statement of the handler that started the run, which then comes to rest; a
// message whose hits cannot be listed does not stop the others.
TEST_F(RunTest, FailuresAreReportedWhereTheyHappenAndTheRunComesToRest)
{
    const struct
    {
        RuleKind rule;
        QString module;
        bool messages;
        const char* location;
    } cases[] = {
        {RuleKind::AllEmailData, u"Form1"_qs, false, "Quillmere2021/08/31.Form1.PushButton13_Click at line 8"},
        {RuleKind::Between, u"Form2"_qs, false, "Quillmere2021/08/31.Form2.PushButton4_Click at line 5"},
        {RuleKind::TextSets, u"Form3"_qs, false, "Quillmere2021/08/31.Form3.PushButton4_Click at line 5"},
        {RuleKind::AllEmailData, u"Form11"_qs, true, "Quillmere2021/08/31.Form11.PushButton13_Click at line 5"},
        {RuleKind::Between, u"Form22"_qs, true, "Quillmere2021/08/31.Form22.PushButton4_Click at line 5"},
    };
    for (const auto& c : cases) {
        dialogs.clearRecord();
        stagingWorks = false;
        RunRequest r = request(c.rule, c.module);
        r.startText = r.endText = u"x"_qs;
        r.textSets = QStringList{u"x"_qs};
        if (c.messages) {
            failingMessage = u"/q/a.eml"_qs; // its body cannot be loaded
            runMessages(r);
        } else {
            StagingSource vanished([this] { return dir.file(u"none.txt"_qs); }, [](const QString&) { return true; });
            run(r, vanished, sink, feedback);
        }
        EXPECT_EQ(reported(), QLatin1String(c.location));
        EXPECT_EQ(pointer.pointer(), Pointer::Default) << c.location;
        EXPECT_EQ(progress.text(), u"Progress Bar"_qs) << c.location;
    }

    dialogs.clearRecord();
    failingMessage.clear();
    sink.failOn = u"bye"_qs;
    runMessages(request(RuleKind::AllEmailData, u"Form11"_qs));
    EXPECT_EQ(reported(), u"Quillmere2021/08/31.Form11.PushButton13_Click at line 7"_qs);
    EXPECT_EQ(rows(), (QStringList{u"Hello"_qs, u"shared line"_qs, u"shared line"_qs, u"other"_qs, QString()}));
}

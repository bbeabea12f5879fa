#include "core/AppError.h"
#include "rules/LineRule.h"
#include "rules/Run.h"
#include "rules/UnitSource.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace rules;
using platform::Pointer;

namespace {

// What a results list would hold: the rows a run leaves. A hit of failOn fails, as a full disk would.
struct Rows : HitSink
{
    QStringList rows{u"earlier"_qs};
    QString failOn = u"\x01"_qs;
    bool relabelled = false;
    std::function<void(const QString& text, const QString& source)> onHit; // sees each hit first
    void prepare() override { rows.clear(); }
    void addHit(const QString& text, const QString& source) override
    {
        if (onHit)
            onHit(text, source);
        if (text == failOn)
            throw core::AppError(61, u"Disk full"_qs);
        rows << text;
    }
    void relabelFirstColumn() override { relabelled = true; }
};

// Runs over a staging file that staging writes, or over messages held in memory, on a scripted desktop.
class RunTest : public ::testing::Test
{
protected:
    // A request whose every text input is the given text, adjusted as asked.
    static RunRequest request(RuleKind rule, const char* module, const QString& text = {},
                              const std::function<void(RunRequest&)>& adjust = {})
    {
        RunRequest r;
        r.rule = rule;
        r.module = QLatin1String(module);
        r.searchText = r.lineNumbers = r.startText = r.endText = text;
        r.textSets = text.isEmpty() ? QStringList() : QStringList{text};
        if (adjust)
            adjust(r);
        return r;
    }

    // A null staged text is never written: the staging file is missing.
    void runStaged(const RunRequest& r)
    {
        StagingSource units([this] { return dir.file(u"test.txt"_qs); },
                            [this](const QString& path) {
                                ++stagings;
                                if (stagingWorks && !staged.isNull())
                                    dir.write(QFileInfo(path).fileName(), staged);
                                return stagingWorks;
                            });
        run(r, units, sink, feedback);
    }

    // Message files a.eml and b.eml unless others are given; the loader makes up their bodies, and an empty one
    // for empty.eml.
    void runMessages(const RunRequest& r, QList<MessageFile> messages = {})
    {
        if (messages.isEmpty())
            messages = {{dir.write(u"a.eml"_qs, "a"), 50}, {dir.write(u"b.eml"_qs, "b"), 100}};
        // One worker: this loader notes the bar as it loads, which only the calling thread may read.
        MessagesSource units(
            messages,
            [this](const QString& path) {
                loadedAt << progress.value();
                if (path == failingMessage)
                    throw core::AppError(53, u"File not found"_qs);
                if (path.endsWith(u"empty.eml"))
                    return QString();
                return path.endsWith(u"a.eml") ? u"Hello\r\nshared line\r\nbye"_qs : u"shared line\r\nother\r\n"_qs;
            },
            1);
        run(r, units, sink, feedback);
    }

    // The one error report shown, from its location on.
    QString reported() const
    {
        const QStringList shown = dialogs.messageTexts();
        return shown.size() == 1 ? shown[0].section(u"in "_qs, 1).section(u"\r"_qs, 0, 0) : shown.join(u'|');
    }

    void expectAtRest(const char* run) const
    {
        EXPECT_EQ(pointer.pointer(), Pointer::Default) << run;
        EXPECT_EQ(progress.text(), u"Progress Bar"_qs) << run;
        EXPECT_EQ(progress.value(), 0) << run;
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
    Rows sink;
};

} // namespace

TEST_F(RunTest, InputChecksComeBeforeStagingAndKeepTheList)
{
    runStaged(request(RuleKind::AllEmailData, "Form1", {}, [](RunRequest& r) { r.fieldChosen = false; }));
    for (const RuleKind rule : {RuleKind::Containing, RuleKind::NotContaining, RuleKind::LineNumbers})
        runStaged(request(rule, "Form1"));
    runMessages(request(RuleKind::Containing, "Form11"));
    runStaged(request(RuleKind::Between, "Form2", {}, [](RunRequest& r) { r.startText = u"x"_qs; }));
    runStaged(request(RuleKind::Pattern, "Form1", u"(ann"_qs));
    runMessages(request(RuleKind::Pattern, "Form11", u"x{2,1}"_qs));
    EXPECT_EQ(stagings, 0);

    stagingWorks = false; // a failed staging leaves the list untouched too
    runStaged(request(RuleKind::AllEmailData, "Form1"));
    runStaged(request(RuleKind::TextSets, "Form3", u"x"_qs));
    EXPECT_EQ(pointer.history(), QList<Pointer>{Pointer::Default}); // the text-set run always puts it back

    stagingWorks = true; // the text sets are checked once the mail is staged; the bar's text stays
    progress.setText(u"kept"_qs);
    runStaged(request(RuleKind::TextSets, "Form3"));
    EXPECT_EQ(stagings, 3);
    EXPECT_EQ(progress.text(), u"kept"_qs);
    EXPECT_EQ(sink.rows, QStringList{u"earlier"_qs});
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{u"You must check at least one Field option"_qs} +
               QStringList(4, u"Fill out text to use to extract lines."_qs) +
               QStringList{u"Fill out starting text (or character) and fill out ending text (or character)."_qs,
                           u"The pattern cannot be used: at character 1, \"(\" is not closed by \")\"."_qs,
                           u"The pattern cannot be used: at character 2, the repetition's least count is larger "
                           u"than its greatest."_qs,
                           u"Fill out combobox text to use to extract lines."_qs}));
}

// "Containing" tells which file it reads while it runs; "not containing" leaves the bar's text alone.
TEST_F(RunTest, ContainingShowsWhatItReadsWhileRunningNotContainingDoesNot)
{
    QStringList texts;
    loop.msPerRead = 1000; // every reading of the clock ends a time slice
    loop.onYield = [&] { texts << progress.text(); };
    runStaged(request(RuleKind::Containing, "Form1", u"ann"_qs));
    EXPECT_TRUE(texts.contains(u"Please wait.. Looking at.. "_qs + dir.file(u"test.txt"_qs)))
        << qPrintable(texts.join(u'|'));
    EXPECT_EQ(pointer.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
    expectAtRest("containing");

    texts.clear();
    progress.setText(u"unchanged"_qs);
    runStaged(request(RuleKind::NotContaining, "Form1", u"example"_qs));
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts, QStringList(texts.size(), u"unchanged"_qs));
    expectAtRest("not containing");
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// A failure is reported at its statement of the handler that started the run, which then comes to rest; a
// message whose hits cannot be listed does not stop the others.
TEST_F(RunTest, FailuresAreReportedWhereTheyHappenAndTheRunComesToRest)
{
    const std::tuple<RuleKind, const char*, bool, const char*> cases[] = {
        {RuleKind::AllEmailData, "Form1", false, "Quillmere2021/08/31.Form1.PushButton13_Click at line 8"},
        {RuleKind::Between, "Form2", false, "Quillmere2021/08/31.Form2.PushButton4_Click at line 5"},
        {RuleKind::TextSets, "Form3", false, "Quillmere2021/08/31.Form3.PushButton4_Click at line 5"},
        {RuleKind::AllEmailData, "Form11", true, "Quillmere2021/08/31.Form11.PushButton13_Click at line 7"},
        {RuleKind::Between, "Form22", true, "Quillmere2021/08/31.Form22.PushButton4_Click at line 5"},
        {RuleKind::TextSets, "Form33", true, "Quillmere2021/08/31.Form33.PushButton4_Click at line 5"},
        {RuleKind::Addresses, "Form1", false, "Quillmere2021/08/31.Form1.PushButton24_Click at line 8"},
        {RuleKind::Pattern, "Form11", true, "Quillmere2021/08/31.Form11.PushButton26_Click at line 7"},
    };
    staged = QByteArray();
    failingMessage = dir.file(u"a.eml"_qs); // its body cannot be loaded
    for (const auto& [rule, module, messages, location] : cases) {
        dialogs.clearRecord();
        const RunRequest r = request(rule, module, u"x"_qs);
        messages ? runMessages(r) : runStaged(r);
        EXPECT_EQ(reported().toStdString(), std::string(location));
        expectAtRest(location);
    }

    EXPECT_TRUE(sink.relabelled); // by the text-set run, on every path

    dialogs.clearRecord();
    failingMessage.clear();
    loadedAt.clear();
    sink.failOn = u"bye"_qs;
    runMessages(request(RuleKind::AllEmailData, "Form11"));
    EXPECT_EQ(reported(), u"Quillmere2021/08/31.Form11.PushButton13_Click at line 7"_qs);
    EXPECT_EQ(sink.rows, (QStringList{u"Hello"_qs, u"shared line"_qs, u"shared line"_qs, u"other"_qs, QString()}));
    EXPECT_EQ(loadedAt, (QList<int>{50, 100})); // each message shows its share of the list while it is read
    expectAtRest("listing failed");
}

// A message file that is missing (or cannot be read) is reported by name and adds no row, nor does a message
// without a body; the run goes on with the next message.
TEST_F(RunTest, MessagesThatCannotBeReadOrHaveNoBodyAddNoRow)
{
    QList<MessageFile> messages{{dir.file(u"gone.eml"_qs), 25}, {dir.write(u"empty.eml"_qs, ""), 50}};
    QStringList unread{dir.file(u"gone.eml"_qs)};
    if (geteuid() != 0) { // root reads every file
        const QString locked = dir.write(u"locked.eml"_qs, "x");
        QFile::setPermissions(locked, {});
        messages.append({locked, 75});
        unread.append(locked);
    }
    messages.append({dir.write(u"b.eml"_qs, "b"), 100});
    const std::tuple<RuleKind, const char*, int, QStringList> cases[] = {
        {RuleKind::AllEmailData, "Form11", 7, {u"shared line"_qs, u"other"_qs, QString()}},
        {RuleKind::NotContaining, "Form11", 7, {u"shared line"_qs, u"other"_qs, QString()}},
        {RuleKind::TextSets, "Form33", 5, {u"shared line"_qs}},
        {RuleKind::Between, "Form22", 5, {u"shared line\r\nother"_qs}},
    };
    for (const auto& [rule, module, line, rows] : cases) {
        dialogs.clearRecord();
        runMessages(request(rule, module, {},
                            [](RunRequest& r) {
                                r.searchText = u"zzz"_qs;
                                r.textSets = QStringList{u"line"_qs};
                                r.startText = u"shared"_qs;
                                r.endText = u"other"_qs;
                            }),
                    messages);
        EXPECT_EQ(sink.rows, rows) << module;
        const QStringList shown = dialogs.messageTexts();
        ASSERT_EQ(shown.size(), unread.size()) << shown.join(u'|').toStdString();
        for (qsizetype i = 0; i < unread.size(); ++i) {
            EXPECT_TRUE(shown[i].startsWith((i == 0 ? u"File not found: "_qs : u"Permission denied: "_qs) + unread[i]));
            EXPECT_TRUE(
                shown[i].contains(u".%1.%2 at line %3"_qs.arg(QLatin1String(module), procedureOf(rule)).arg(line)));
        }
        expectAtRest(module);
    }
}

// Bodies loaded by several workers reach the rule as one worker hands them on: the same hits in the same order,
// each while its own message shows on the bar, a message that cannot be read reported at its own place among
// them; and the workers load only a few bodies ahead of the rule.
TEST_F(RunTest, WorkersHandTheBodiesOnAsOneWorkerDoes)
{
    QList<MessageFile> messages;
    for (int i = 0; i < 60; ++i) {
        const QString name = u"m%1.eml"_qs.arg(i);
        // The 21st is missing, the 42nd cannot be read (but by root, who reads every file).
        messages.append({i == 20 ? dir.file(name) : dir.write(name, "x"), (i + 1) * 100 / 60});
        if (i == 41 && geteuid() != 0)
            QFile::setPermissions(messages.last().path, {});
    }
    std::atomic<int> reading{0}, mostAhead{0};
    const MessagesSource::BodyLoader load = [&](const QString& path) {
        const int index = QFileInfo(path).baseName().mid(1).toInt();
        for (int most = mostAhead; index - reading > most && !mostAhead.compare_exchange_weak(most, index - reading);) {
        }
        return index % 7 == 3 ? QString() : u"m%1 first\r\nshared line\r\nzzz %1\r\nlast"_qs.arg(index);
    };
    // Every hit with the reports shown so far and the bar; a message's first line comes slowly.
    QStringList log;
    sink.onHit = [&](const QString& text, const QString& source) {
        if (text.startsWith(u'm')) {
            reading = text.mid(1).section(u' ', 0, 0).toInt();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        log << u"%1|%2|%3|%4|%5"_qs.arg(dialogs.messages().size())
                   .arg(progress.text())
                   .arg(progress.value())
                   .arg(source, text);
    };
    const RunRequest requests[] = {
        request(RuleKind::AllEmailData, "Form11"),
        request(RuleKind::Between, "Form22", {},
                [](RunRequest& r) {
                    r.startText = u"first"_qs;
                    r.endText = u"zzz"_qs;
                }),
        request(RuleKind::TextSets, "Form33", u"line"_qs),
    };
    for (const RunRequest& r : requests) {
        QStringList oneWorker, reports;
        for (const int workers : {1, 2, 5}) {
            dialogs.clearRecord();
            log.clear();
            mostAhead = 0;
            MessagesSource units(messages, load, workers);
            run(r, units, sink, feedback);
            if (workers == 1) {
                oneWorker = log;
                reports = dialogs.messageTexts();
                ASSERT_EQ(reports.size(), geteuid() != 0 ? 2 : 1);
                EXPECT_TRUE(reports[0].startsWith(u"File not found: "_qs + messages[20].path));
                if (r.rule == RuleKind::AllEmailData) {
                    const QString m21 = messages[21].path;
                    EXPECT_TRUE(log.contains(u"1|Please wait.. Looking at.. %1|36|%1|m21 first"_qs.arg(m21)));
                }
                continue;
            }
            EXPECT_EQ(log, oneWorker) << qPrintable(r.module) << workers;
            EXPECT_EQ(dialogs.messageTexts(), reports) << qPrintable(r.module) << workers;
            if (r.rule == RuleKind::AllEmailData) {
                EXPECT_LE(mostAhead, 5 * workers) << workers;
            }
        }
        expectAtRest(qPrintable(r.module));
    }
}

// Esc while workers load bodies ahead stops the run at the rule's next yield, and no worker is left running.
TEST_F(RunTest, CancellingWhileWorkersLoadBodiesLeavesNoWorkerRunning)
{
    QList<MessageFile> messages;
    for (int i = 0; i < 200; ++i)
        messages.append({dir.write(u"m%1.eml"_qs.arg(i), "x"), i / 2});
    std::atomic<int> loads{0};
    MessagesSource units(
        messages,
        [&](const QString&) {
            ++loads;
            return u"line\r\n"_qs.repeated(1000);
        },
        3);
    const auto threads = [] { return QDir(u"/proc/self/task"_qs).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    const qsizetype before = threads();
    const platform::RunScope scope(loop);
    loop.msPerRead = 1000; // every reading of the clock ends a time slice
    loop.onYield = [&] { loop.requestCancel(); };
    EXPECT_THROW(run(request(RuleKind::AllEmailData, "Form11"), units, sink, feedback), platform::RunCancelled);
    EXPECT_EQ(threads(), before);
    EXPECT_LT(loads, 200);
    EXPECT_GT(sink.rows.size(), 0);
    EXPECT_LT(sink.rows.size(), 1000);
}

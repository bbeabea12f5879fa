#include "CliArguments.h"
#include "sources/express/ExpressFixtures.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testsupport::mboxMessage;
using testsupport::TempDir;

namespace {

const QString kProgram = QStringLiteral(QUILLMERE_PROGRAM_DIR "/quillmere-cli");

// The words of a command as the shell reads them (single quotes only), up to a pipe.
QStringList shellWords(const QString& command)
{
    QStringList words;
    static const QRegularExpression word(u"'([^']*)'|(\\S+)"_qs);
    for (const QRegularExpressionMatch& m : word.globalMatch(command)) {
        if (m.captured(2) == u"|")
            break;
        words << (m.hasCaptured(1) ? m.captured(1) : m.captured(2));
    }
    return words;
}

struct CliResult
{
    int status;
    QByteArray out, err;
};

class CliTest : public ::testing::Test
{
protected:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TEMP"_qs, dir.path());
        env.insert(u"QUILLMERE_SETTINGS_DIR"_qs, dir.path());
        if (!home.isEmpty())
            env.insert(u"HOME"_qs, home);
        return env;
    }

    CliResult run(const QStringList& arguments, const QProcessEnvironment& env)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(kProgram, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }
    // The program run on the words of a command, $D in it standing for the test's folder.
    CliResult cli(const QByteArray& command)
    {
        return run(shellWords(QString::fromUtf8(withDir(command))), environment());
    }
    QByteArray withDir(QByteArray text) const { return text.replace("$D", dir.path().toUtf8()); }
    // A command's status, all its output and a part of its messages (none at all when empty).
    void expectRun(const QByteArray& command, int status, const QByteArray& out, const QByteArray& err)
    {
        const CliResult result = cli(command);
        EXPECT_EQ(result.status, status) << command.constData();
        EXPECT_EQ(result.out, withDir(out)) << command.constData();
        EXPECT_TRUE(err.isEmpty() ? result.err.isEmpty() : result.err.contains(withDir(err)))
            << command.constData() << ": " << result.err.constData();
    }
    // One worker and several give the same status, output and messages; what one gives.
    CliResult sameForEveryWorkerCount(const QStringList& arguments, const QProcessEnvironment& env)
    {
        const CliResult oneWorker = run(arguments + QStringList{u"--jobs"_qs, u"1"_qs}, env);
        for (const QString& jobs : {u"2"_qs, u"4"_qs}) {
            const CliResult result = run(arguments + QStringList{u"--jobs"_qs, jobs}, env);
            EXPECT_EQ(result.status, oneWorker.status) << jobs.toStdString();
            EXPECT_EQ(result.out, oneWorker.out) << jobs.toStdString();
            EXPECT_EQ(result.err, oneWorker.err) << jobs.toStdString();
        }
        return oneWorker;
    }

    TempDir dir;
    QString home; // empty: the user's own
};

} // namespace

// Every rule over staged text and over message bodies (lines numbered from 1 in each), the message list, and
// every output format.
TEST_F(CliTest, EveryRuleFormatAndListingGivesItsExactOutput)
{
    dir.write(u"staged.txt"_qs,
              "\r\nAnn <ann@example.org>\r\nHello Ann\r\nThe rain in spain falls mainly on the plain.\r\n"
              "\xC3\x89t\xC3\xA9\r\nAnn <ann@example.org>\r\n");
    dir.write(u"mail/1.eml"_qs,
              "From: =?UTF-8?B?w4lsaXNl?= <elise@example.org>\r\nTo: bob@example.org\r\nSubject: hi\r\n"
              "Date: Mon, 1 Dec 2003 10:00:00 +0100\r\n\r\nfirst line\r\nshared\r\n");
    dir.write(u"mail/2.eml"_qs, "From: bob@example.org\r\nDate: Tue, 2 Dec 2003 10:00:00 +0100\r\n\r\nshared\r\n");
    // Saved on Linux: LF line ends and folded fields.
    dir.write(u"lf/a.eml"_qs, "From: ann@example.org\nTo: bob@example.org,\n\tcy@example.org\n"
                              "Subject: a long\n subject\nDate: Mon, 1 Dec 2003\n\nbody\n");
    dir.write(u"items.txt"_qs, " \r\n\r\n ann\r\n"); // blank lines are no items, the others stay untrimmed
    dir.write(u"xy.txt"_qs, "x\r\ny\r\n");
    dir.write(u"span.txt"_qs, "one X a\tb\r\nc\\d Y two X e Y\r\n");
    const expresstest::WinePrefixFixture wine(dir.file(u"wine"_qs));
    dir.write(u"bom.txt"_qs, "x\r\n\xEF\xBB\xBF"
                             "ab\r\nab\r\n"); // decoding drops a byte-order mark
    dir.write(u"blocks.txt"_qs, QByteArray(65530, '.') + "<<middle>>tail<<no end");
    const QByteArray text = "--staged $D/staged.txt ", mail = "--eml $D/mail ", xy = "--staged $D/xy.txt --all-data ",
                     span = "--staged $D/span.txt --between=X Y ";
    const QByteArray ann = "Ann <ann@example.org>\n", rain = "The rain in spain falls mainly on the plain.\n";
    const std::pair<QByteArray, QByteArray> cases[] = {
        {text + "--all-data", "\n" + ann + "Hello Ann\n" + rain + "\xC3\x89t\xC3\xA9\n" + ann},
        {text + "--containing ANN", ann + "Hello Ann\n" + ann},
        {text + "--containing ANN --case-sensitive", ""},
        {text + "--containing \xC3\xA9T\xC3\x89 --dedupe", "\xC3\x89t\xC3\xA9\n"},
        {text + "--not-containing @ --dedupe", "\nHello Ann\n" + rain + "\xC3\x89t\xC3\xA9\n"},
        // Runs of lines between hits are copied whole, without the CR of their line breaks.
        {text + "--not-containing \xC3\xA9T\xC3\x89 --null",
         "\0Ann <ann@example.org>\0Hello Ann\0"_ba + rain.chopped(1) + "\0Ann <ann@example.org>\0"_ba},
        {"--staged $D/bom.txt --all-data --dedupe", "x\nab\n"},
        {text + "--lines 2,4", ann + rain},
        {text + "--between < > --exclude-y", "<ann@example.org\n<ann@example.org\n"},
        {text + "--between < > --exclude-x --exclude-y --dedupe", "ann@example.org\n"},
        // X ends the first 65,536-character block of the staged text, Y begins the second.
        {"--staged $D/blocks.txt --between << >> --exclude-x", "middle>>\n"},
        {text + "--text-set rain --text-sets-file $D/items.txt", "Hello Ann\n" + rain},
        {text + "--addresses", "ann@example.org\nann@example.org\n"},
        {text + "--addresses --dedupe --show-source", "$D/staged.txt\tann@example.org\n"},
        {text + "--matching '^h.*n$'", "Hello Ann\n"},
        {text + "--matching '^h.*n$' --case-sensitive", ""},
        {mail + "--matching 'l[a-z]+e$' --show-source", "$D/mail/1.eml\tfirst line\n"},
        {mail + "--all-data", "first line\nshared\n\nshared\n\n"},
        {mail + "--containing shared --show-source", "$D/mail/1.eml\tshared\n$D/mail/2.eml\tshared\n"},
        {mail + "--not-containing shared", "first line\n\n\n"},
        {"--dbx $D/none.dbx --eml $D/mail --lines 1", "first line\nshared\n"},
        {mail + "--between sh ed --exclude-x", "ared\nared\n"},
        {mail + "--text-set SHARED --text-set line", "first line\nshared\nshared\n"},
        {mail + "--list-messages",
         "\xC3\x89lise <elise@example.org>\tbob@example.org\thi\tMon, 1 Dec 2003 10:00:00 +0100\n"
         "bob@example.org\t\t\tTue, 2 Dec 2003 10:00:00 +0100\n"},
        {mail + "--list-messages --null", "\xC3\x89lise <elise@example.org>\tbob@example.org\thi\tMon, 1 Dec 2003 "
                                          "10:00:00 +0100\0bob@example.org\t\t\tTue, 2 Dec 2003 10:00:00 +0100\0"_ba},
        {"--eml $D/lf/a.eml --list-messages",
         "ann@example.org\tbob@example.org, cy@example.org\ta long subject\tMon, 1 Dec 2003\n"},
        {"--staged $D/none.txt --staged=$D/xy.txt --all-data --format xlsx --format=comma", "x,y,"}, // the last wins
        {xy + "--format aligned", "Results\r\nx\r\ny\r\n\r\n"},
        {xy + "--format tsv", "x\r\ny\r\n"},
        {xy + "--show-source", "$D/xy.txt\tx\n$D/xy.txt\ty\n"},
        // A result that spans lines stays whole, apart from the next with --null or tsv.
        {span, "X a\tb\r\nc\\d Y\nX e Y\n"},
        {span + "--null", "X a\tb\r\nc\\d Y\0X e Y\0"_ba},
        {span + "--null --show-source", "$D/span.txt\tX a\tb\r\nc\\d Y\0$D/span.txt\tX e Y\0"_ba},
        {span + "--format tsv", "X a\\tb\\r\\nc\\\\d Y\r\nX e Y\r\n"},
        {"--find-dbx --wine-prefix $D/wine/prefix",
         (expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3))
                 .join(u'\n')
                 .toUtf8() +
             '\n'},
    };
    for (const auto& [command, out] : cases)
        expectRun(command, 0, out, {});
    EXPECT_EQ(cli(xy + "--format xlsx -o $D/no.xlsx --output $D/out.xlsx").status, 0);
    EXPECT_TRUE(TempDir::read(dir.file(u"out.xlsx"_qs)).startsWith("PK"));
}

// 0 for success, also without results; 1 for a failed run, with the error report's place; 2 for a usage error.
TEST_F(CliTest, ExitStatusOutputAndMessagesOfUsageErrorsAndFailedRuns)
{
    dir.write(u"abc.txt"_qs, "a\r\nb\r\nc\r\n");
    dir.write(u"abc/1.eml"_qs, "Date: Mon, 1 Dec 2003\r\n\r\na\r\nb\r\nc\r\n");
    dir.write(u"undated/b.eml"_qs, "From: ann@example.org\n\nbody\n");
    const std::tuple<QByteArray, int, QByteArray, QByteArray> cases[] = {
        {"--all-data --folders inbox --staged $D/abc.txt", 2, "",
         "quillmere-cli: --folders does not apply to --staged: the staged text is read as it was staged\n\nUsage:"},
        {"--help --all-data --lines 1", 0, cli::usageText().toUtf8(), ""},
        {"--staged $D/abc.txt --containing --all-data", 0, "", ""}, // a value, whatever it looks like; no results
        {"--version", 0, "quillmere-cli " QUILLMERE_VERSION "\n", ""},
        {"--staged $D/abc.txt --lines ''", 1, "", "quillmere-cli: Fill out text to use to extract lines.\n"},
        {"--staged $D/abc.txt --matching 'a(b'", 2, "",
         "quillmere-cli: --matching: The pattern cannot be used: at character 2, \"(\" is not closed by \")\".\n"},
        {"--pst $D/none.pst --all-data", 1, "", "quillmere-cli: PST File not found.\n"},
        {"--staged $D/abc.txt --lines 1,,3", 1, "a\nc\n",
         "quillmere-cli: Type mismatch in Quillmere2021/08/31.Form1.PushButton7_Click at line 7"},
        {"--eml $D/abc --lines 1,,3", 1, "a\nc\n",
         "quillmere-cli: Type mismatch in Quillmere2021/08/31.Form11.PushButton7_Click at line 7"},
        {"--staged $D/gone.txt --between a b", 1, "",
         "quillmere-cli: File not found in Quillmere2021/08/31.Form2.PushButton4_Click at line 5"},
        {"--eml $D/undated/b.eml $D/empty --list-messages", 1, "",
         "quillmere-cli: $D/undated/b.eml: not listed, the message has no Date field"},
        {"--eml $D/undated --all-data", 1, "", "quillmere-cli: $D/undated: no message file (*.eml) with a Date field"},
        {"--eml $D/undated/b.eml $D/abc --lines 1", 0, "a\n", ""}, // one listable file is enough
        {"--find-dbx --wine-prefix $D", 0, "", ""},                // no stores is no error
    };
    for (const auto& [command, status, out, err] : cases)
        expectRun(command, status, out, err);
}

TEST_F(CliTest, ReaderLeavingEndsTheRunQuietlyAsGrep)
{
    // Far more than a pipe holds, so the run is still writing when head has read its lines and gone.
    const QString file = dir.write(u"staged.txt"_qs, QByteArray("line\r\n").repeated(100000));
    // Some callers (services, some language runtimes) start programs with SIGPIPE ignored.
    for (const bool callerIgnoresSigpipe : {false, true}) {
        QProcess program, head;
        program.setProcessEnvironment(environment());
        program.setStandardOutputProcess(&head);
        if (callerIgnoresSigpipe)
            program.setChildProcessModifier([] { std::signal(SIGPIPE, SIG_IGN); });
        head.start(u"head"_qs, {u"-n"_qs, u"2"_qs});
        program.start(kProgram, {u"--staged"_qs, file, u"--all-data"_qs});
        EXPECT_TRUE(program.waitForFinished(60000));
        EXPECT_TRUE(head.waitForFinished(60000));
        EXPECT_EQ(head.readAllStandardOutput(), "line\nline\n"_ba);
        EXPECT_EQ(program.readAllStandardError(), QByteArray()) << callerIgnoresSigpipe;
        EXPECT_EQ(program.exitStatus(), QProcess::CrashExit) << callerIgnoresSigpipe;
        EXPECT_EQ(program.exitCode(), SIGPIPE) << callerIgnoresSigpipe;
    }
}

// A PST file gives the rows of the staged text it leaves, an offline store its Inbox senders (a copy without a
// folder tree fails saying so), a DBX file its messages.
TEST_F(CliTest, SampleStoresAreReadOrRefused)
{
    QUILLMERE_REQUIRE_FIXTURE(pst, "pst/backup_with_rules.pst");
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    QUILLMERE_REQUIRE_FIXTURE(dbx, "dbx/test_OutlookDBX.dbx");
    const CliResult direct = cli("--pst none.pst --pst '" + pst.toUtf8() + "' --all-folders --body --all-data");
    ASSERT_EQ(direct.status, 0) << direct.err.constData();
    EXPECT_TRUE(direct.out.contains("pstreadertests@outlook.com\n"));
    EXPECT_EQ(cli("--staged $D/quillmere-" + QByteArray::number(getuid()) + "/test.txt --all-data").out, direct.out);

    const CliResult inbox =
        cli("--all-folders --folders inbox --no-from --from --all-data --pst '" + ost.toUtf8() + "'");
    EXPECT_EQ(inbox.status, 0) << inbox.err.constData();
    EXPECT_EQ(inbox.out, "\nepfromer@gmail.com\n\nno-reply@microsoft.com\n\n"_ba);
    const QString broken =
        dir.write(u"broken.ost"_qs, TempDir::read(ost).replace("I\0P\0M\0_\0S\0U\0B\0T\0R\0E\0E\0"_ba,
                                                               "I\0P\0M\0_\0S\0U\0B\0T\0R\0E\0F\0"_ba));
    const CliResult none = cli("--pst '" + broken.toUtf8() + "' --all-data");
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains("No mail folders were found in \"" + broken.toUtf8())) << none.err.constData();

    const CliResult listed = cli("--dbx '" + dbx.toUtf8() + "' --list-messages");
    EXPECT_EQ(listed.status, 0) << listed.err.constData();
    EXPECT_EQ(listed.out.count('\n'), 28);
    EXPECT_EQ(cli("--dbx '" + dbx.toUtf8() + "' --lines 1").out.count('\n'), 28);
}

// Mailboxes given by path (a subfolder right after its mailbox) and Thunderbird's found through HOME, through
// the folder boxes, rules and listing.
TEST_F(CliTest, MailboxesAndThunderbirdMailAreReadAsStores)
{
    const QByteArray inbox =
        mboxMessage("Ann <ann@example.org>", "hello") + mboxMessage("bob@example.org", "meeting at noon");
    dir.write(u"mb/Inbox"_qs, inbox);
    dir.write(u"mb/Inbox.msf"_qs, "index");
    dir.write(u"mb/Inbox.sbd/Lists"_qs, mboxMessage("cy@example.org", "list mail"));
    dir.write(u"mb/Junk"_qs, mboxMessage("spam@example.org", "meeting offer"));
    dir.write(u"mb/Sent"_qs, mboxMessage("me@example.org", "sent"));
    dir.write(u"mb/notes.txt"_qs, "no mail");
    dir.write(u"mb/empty"_qs, "");
    dir.write(u"home/.thunderbird/profiles.ini"_qs, "[Profile0]\nIsRelative=1\nPath=p.default\n");
    dir.write(u"home/.thunderbird/p.default/Mail/Local Folders/Inbox"_qs, inbox);
    // Each command, the home it runs with, its status, its output and messages.
    const std::tuple<QByteArray, const char*, int, QByteArray, QByteArray> cases[] = {
        {"--mailbox $D/mb --all-data", "", 0,
         "\nann@example.org\n\nbob@example.org\n\ncy@example.org\n\nme@example.org\n\n", ""},
        {"--mailbox $D/mb --all-data --jobs 1", "", 0, // one worker stages what several do
         "\nann@example.org\n\nbob@example.org\n\ncy@example.org\n\nme@example.org\n\n", ""},
        {"--mailbox $D/mb --all-folders --no-from --body --containing meeting", "", 0,
         "meeting at noon\nmeeting offer\n", ""},
        {"--mailbox $D/mb/Junk $D/mb/Sent --folders inbox --all-data", "", 1, "",
         "quillmere-cli: None of the 2 mailboxes found lies in a folder chosen."},
        {"--mailbox $D/mb/Inbox --list-messages", "", 0,
         "Ann <ann@example.org>\tyou@example.org\ts\tMon, 6 Jan 2003 10:00:00 +0000\n"
         "bob@example.org\tyou@example.org\ts\tMon, 6 Jan 2003 10:00:00 +0000\n",
         ""},
        {"--mailbox $D/mb/empty --all-folders --all-data", "", 0, "\n", ""},
        {"--mailbox $D/mb/notes.txt $D/mb/Sent --all-data", "", 1, "\nme@example.org\n\n",
         "quillmere-cli: $D/mb/notes.txt: not a mailbox"},
        {"--thunderbird --lines 2,4", "home", 0, "ann@example.org\nbob@example.org\n", ""},
        {"--thunderbird --all-data", "nohome", 1, "", "quillmere-cli: No Thunderbird mail was found"},
    };
    for (const auto& [command, homeName, status, out, err] : cases) {
        home = dir.file(QString::fromLatin1(homeName));
        expectRun(command, status, out, err);
    }
}

// A profile of several stores, one of them damaged, staged by one worker and by several: the same staged
// text, the same reports in the same order, the same status.
TEST_F(CliTest, WorkersStageAProfileAsOneWorkerDoes)
{
    QUILLMERE_REQUIRE_FIXTURE(first, "pst/sample1.pst");
    QUILLMERE_REQUIRE_FIXTURE(second, "pst/backup_with_rules.pst");
    QUILLMERE_REQUIRE_FIXTURE(third, "pst/test_unicode.pst");
    const QString stores = u"home/Documents/Outlook Files/"_qs;
    const QByteArray firstBytes = TempDir::read(first);
    dir.write(stores + u"a.pst"_qs, firstBytes);
    dir.write(stores + u"b.pst"_qs, TempDir::read(second));
    dir.write(stores + u"c-cut.pst"_qs, firstBytes.left(40000));
    dir.write(stores + u"d.pst"_qs, TempDir::read(third));
    dir.write(stores + u"e.pst"_qs, firstBytes);
    QProcessEnvironment env = environment();
    env.insert(u"HOME"_qs, dir.file(u"home"_qs));
    env.insert(u"WINEPREFIX"_qs, dir.file(u"no-wine"_qs));
    const CliResult oneWorker =
        sameForEveryWorkerCount({u"--profile"_qs, u"--all-folders"_qs, u"--body"_qs, u"--all-data"_qs}, env);
    EXPECT_TRUE(oneWorker.out.contains("pstreadertests@outlook.com\n"));
    EXPECT_EQ(oneWorker.err.count("getAllEmailOutlook at line 10"), 1) << oneWorker.err.constData();
}

// Several DBX stores converted by one worker and by several: the same message files under the same names (two
// stores called Inbox, one INBOX, one whose name holds a dash and one "~2", whose prefixes depend on what was
// staged before them), the same bodies read, the same reports in the same order, the same status.
TEST_F(CliTest, WorkersConvertStoresAndReadBodiesAsOneWorkerDoes)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    const QByteArray bytes = TempDir::read(store);
    // The first two convert side by side unless kept apart, and would both take the prefix Inbox.
    const QStringList stores{dir.write(u"one/Inbox.dbx"_qs, bytes),
                             dir.write(u"two/INBOX.dbx"_qs, bytes),
                             dir.file(u"missing.dbx"_qs),
                             dir.write(u"one/Sent Items.dbx"_qs, bytes),
                             dir.write(u"three/Inbox.dbx"_qs, bytes.left(200000)),
                             dir.write(u"damaged.dbx"_qs, "not a store"),
                             dir.write(u"Inbox-old.dbx"_qs, bytes.left(120000)),
                             dir.write(u"Inbox~2.dbx"_qs, bytes.left(300000)),
                             dir.write(u"two/Drafts.dbx"_qs, bytes)};
    // The first line of every body, after the message file it comes from.
    const CliResult oneWorker = sameForEveryWorkerCount(
        QStringList{u"--dbx"_qs} + stores + QStringList{u"--lines"_qs, u"1"_qs, u"--show-source"_qs}, environment());
    EXPECT_EQ(oneWorker.status, 1);
    EXPECT_EQ(oneWorker.out.count("/INBOX~2-0000"), 28) << oneWorker.out.constData();
    EXPECT_EQ(oneWorker.err, withDir("quillmere-cli: File not found: $D/missing.dbx\n"
                                     "quillmere-cli: no messages could be read from $D/damaged.dbx\n"));
}

TEST(CliArguments, ExamplesOfHelpAndReadmeAreTheSameValidCommands)
{
    QStringList helpExamples, readmeExamples;
    static const QRegularExpression helpLine(u"^    \\$ (quillmere-cli .*)$"_qs, QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : helpLine.globalMatch(cli::usageText()))
        helpExamples << m.captured(1);
    const QString readme = QString::fromUtf8(TempDir::read(QStringLiteral(QUILLMERE_README)));
    for (const QString& line : readme.section(u"\n## Command line\n"_qs, 1).section(u"\n## "_qs, 0, 0).split(u'\n')) {
        if (line.startsWith(u"quillmere-cli "))
            readmeExamples << line;
    }
    EXPECT_FALSE(helpExamples.isEmpty());
    EXPECT_EQ(helpExamples, readmeExamples);
    for (const QString& example : std::as_const(helpExamples)) {
        const cli::Parsed parsed = cli::parseArguments(shellWords(example).mid(1));
        EXPECT_TRUE(parsed.arguments) << example.toStdString() << ": " << parsed.error.toStdString();
    }
}

TEST(CliArguments, UsageErrorsNameTheArgumentAsGiven)
{
    const char* const between = "--between needs a start text and an end text, neither empty";
    const std::pair<const char*, const char*> cases[] = {
        {"--all-data stray", "unknown argument: stray"},
        {"--eml -a --all-data", "--eml needs at least one file"},
        {"--all-data -ofile", "unknown argument: -ofile"},
        {"--all-data -o", "-o needs a file"},
        {"--wine-prefix", "--wine-prefix needs a path"},
        {"--containing", "--containing needs a value"},
        {"--between x ''", between},
        // An overridden value must still be usable.
        {"--format bad --format lines --all-data", "--format takes lines, aligned, comma, tsv or xlsx"},
        {"--containing a --containing b", "give exactly one rule: --all-data, --containing, --not-containing, --lines, "
                                          "--between, --text-set/--text-sets-file, --addresses or --matching"},
        {"--all-data --format xlsx", "--format xlsx needs -o FILE"},
        {"--all-data --jobs 0", "--jobs takes a number of workers, 1 or more"},
        {"--folders spam --all-data", "--folders takes a comma list of inbox,outbox,drafts,sent,deleted"},
        {"--all-data --format tsv --null",
         "--null goes with --format lines only: the other formats separate rows their own way"},
        // Fields and folders choose what is staged from an Outlook store.
        {"--eml a --body --all-data", "--body does not apply to --eml: the rules always read each message's body"},
        {"--dbx a --folders inbox --all-data",
         "--folders does not apply to --dbx: every message in the stores given is read"},
    };
    for (const auto& [command, error] : cases) {
        const cli::Parsed parsed = cli::parseArguments(shellWords(QString::fromUtf8(command)));
        EXPECT_FALSE(parsed.arguments) << command;
        EXPECT_EQ(parsed.error.toStdString(), error) << command;
    }
}

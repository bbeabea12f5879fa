#include "CliArguments.h"
#include "sources/express/ExpressFixtures.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using testsupport::TempDir;

namespace {

const QString kProgram = QStringLiteral(QUILLMERE_PROGRAM_DIR "/quillmere-cli");

struct CliResult
{
    int status;
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test
{
protected:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TEMP"_qs, dir.path());
        env.insert(u"QUILLMERE_SETTINGS_DIR"_qs, dir.path());
        return env;
    }

    CliResult runCli(const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(kProgram, args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString staged(const QByteArray& text) { return dir.write(u"staged.txt"_qs, text); }

    TempDir dir;
};

// The words of an example command as the shell reads them (single quotes only), up to a pipe.
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

const QByteArray kStaged = "\r\nAnn <ann@example.org>\r\nHello Ann\r\nThe rain in spain falls mainly on the plain.\r\n"
                           "\xC3\x89t\xC3\xA9\r\nAnn <ann@example.org>\r\n";

} // namespace

// Every rule over both kinds of text the rules read: the staged text of the Outlook side and the message
// bodies of the Outlook Express side, whose lines are numbered from 1 in every message.
TEST_F(CliTest, EveryRuleOverStagedTextAndMessageFiles)
{
    const QStringList text{u"--staged"_qs, staged(kStaged)};
    const QString first =
        dir.write(u"mail/1.eml"_qs, "From: ann@example.org\r\nDate: Mon, 1 Dec 2003 10:00:00 +0100\r\n"
                                    "\r\nfirst line\r\nshared\r\n");
    dir.write(u"mail/2.eml"_qs, "From: bob@example.org\r\nDate: Tue, 2 Dec 2003 10:00:00 +0100\r\n\r\nshared\r\n");
    const QStringList mail{u"--eml"_qs, dir.file(u"mail"_qs)};
    const QString items = dir.write(u"items.txt"_qs, "  \r\nHELLO\r\n");
    const QByteArray ann = "Ann <ann@example.org>\n";
    const QByteArray rain = "The rain in spain falls mainly on the plain.\n";
    const struct
    {
        QStringList args;
        QByteArray out;
    } cases[] = {
        {text + QStringList{u"--all-data"_qs}, "\n" + ann + "Hello Ann\n" + rain + "\xC3\x89t\xC3\xA9\n" + ann},
        {text + QStringList{u"--containing"_qs, u"ANN"_qs}, ann + "Hello Ann\n" + ann},
        {text + QStringList{u"--containing"_qs, u"ANN"_qs, u"--case-sensitive"_qs}, ""},
        {text + QStringList{u"--containing"_qs, u"\u00E9T\u00C9"_qs, u"--dedupe"_qs}, "\xC3\x89t\xC3\xA9\n"},
        {text + QStringList{u"--not-containing"_qs, u"@"_qs, u"--dedupe"_qs},
         "\nHello Ann\n" + rain + "\xC3\x89t\xC3\xA9\n"},
        {text + QStringList{u"--lines"_qs, u"2,4"_qs}, ann + rain},
        {text + QStringList{u"--between"_qs, u"<"_qs, u">"_qs}, "<ann@example.org>\n<ann@example.org>\n"},
        {text + QStringList{u"--between"_qs, u"<"_qs, u">"_qs, u"--exclude-x"_qs, u"--exclude-y"_qs, u"--dedupe"_qs},
         "ann@example.org\n"},
        {text + QStringList{u"--text-set"_qs, u"rain"_qs, u"--text-sets-file"_qs, items}, "Hello Ann\n" + rain},
        {text + QStringList{u"--text-set"_qs, u"ann"_qs, u"--text-set"_qs, u"example"_qs}, // once per item
         ann + ann + "Hello Ann\n" + ann + ann},
        {mail + QStringList{u"--all-data"_qs}, "first line\nshared\n\nshared\n\n"},
        {mail + QStringList{u"--containing"_qs, u"shared"_qs, u"--dedupe"_qs, u"--show-source"_qs},
         (QFileInfo(first).absoluteFilePath() + u"\tshared\n"_qs).toUtf8()},
        {mail + QStringList{u"--not-containing"_qs, u"shared"_qs}, "first line\n\n\n"},
        {mail + QStringList{u"--lines"_qs, u"1"_qs}, "first line\nshared\n"},
        {mail + QStringList{u"--between"_qs, u"sh"_qs, u"ed"_qs, u"--exclude-x"_qs}, "ared\nared\n"},
        {mail + QStringList{u"--text-set"_qs, u"SHARED"_qs, u"--text-set"_qs, u"line"_qs},
         "first line\nshared\nshared\n"},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(c.args);
        EXPECT_EQ(result.out, c.out) << c.args.join(u' ').toStdString();
        EXPECT_EQ(result.status, 0) << result.err.constData();
    }
}

TEST_F(CliTest, FormatsAreTheWindowsFiles)
{
    const QString file = staged("x\r\ny\r\n");
    const QStringList rule{u"--staged"_qs, file, u"--all-data"_qs};
    EXPECT_EQ(runCli(rule + QStringList{u"--format"_qs, u"comma"_qs}).out, QByteArray("x,y,"));
    EXPECT_EQ(runCli(rule + QStringList{u"--format"_qs, u"aligned"_qs}).out, QByteArray("Results\r\nx\r\ny\r\n\r\n"));
    EXPECT_EQ(runCli(rule + QStringList{u"--format"_qs, u"tsv"_qs}).out, QByteArray("x\r\ny\r\n"));
    const CliResult shown = runCli(rule + QStringList{u"--show-source"_qs});
    EXPECT_EQ(shown.out, (file + u"\tx\n"_qs + file + u"\ty\n"_qs).toUtf8());

    const QString workbook = dir.file(u"out.xlsx"_qs);
    EXPECT_EQ(runCli(rule + QStringList{u"--format"_qs, u"xlsx"_qs, u"-o"_qs, workbook}).status, 0);
    EXPECT_TRUE(TempDir::read(workbook).startsWith("PK"));
}

TEST_F(CliTest, ResultsSpanningLinesStayApartWithNullAndTsv)
{
    const QString file = staged("one X a\tb\r\nc\\d Y two X e Y\r\n");
    const QStringList rule{u"--staged"_qs, file, u"--between"_qs, u"X"_qs, u"Y"_qs};
    EXPECT_EQ(runCli(rule).out, QByteArray("X a\tb\r\nc\\d Y\nX e Y\n"));
    EXPECT_EQ(runCli(rule + QStringList{u"--null"_qs}).out, QByteArray("X a\tb\r\nc\\d Y|X e Y|").replace('|', '\0'));
    EXPECT_EQ(runCli(rule + QStringList{u"--null"_qs, u"--show-source"_qs}).out,
              (file + u"\tX a\tb\r\nc\\d Y"_qs + QChar(0) + file + u"\tX e Y"_qs + QChar(0)).toUtf8());
    EXPECT_EQ(runCli(rule + QStringList{u"--format"_qs, u"tsv"_qs}).out,
              QByteArray("X a\\tb\\r\\nc\\\\d Y\r\nX e Y\r\n"));
}

TEST_F(CliTest, ExitStatusForUsageErrorsAndFailedRuns)
{
    const CliResult usage = runCli({u"--all-data"_qs, u"--folders"_qs, u"inbox"_qs, u"--staged"_qs, staged("x")});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.startsWith("quillmere-cli: --folders does not apply to --staged: the staged text is read as "
                                     "it was staged\n\nUsage:"))
        << usage.err.constData();
    EXPECT_TRUE(usage.out.isEmpty());
    EXPECT_EQ(runCli({u"--help"_qs}).status, 0);
    const CliResult version = runCli({u"--version"_qs});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QString::fromUtf8(version.out).contains(QRegularExpression(u"^quillmere-cli \\d+\\.\\d+\\.\\d+\n$"_qs)))
        << version.out.constData();

    const CliResult missing = runCli({u"--pst"_qs, dir.file(u"none.pst"_qs), u"--all-data"_qs});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QByteArray("quillmere-cli: PST File not found.\n"));

    const CliResult badList = runCli({u"--staged"_qs, staged("a\r\nb\r\nc\r\n"), u"--lines"_qs, u"1,,3"_qs});
    EXPECT_EQ(badList.status, 1);
    EXPECT_EQ(badList.out, QByteArray("a\nc\n"));
    EXPECT_TRUE(badList.err.startsWith("quillmere-cli: Type mismatch in Quillmere2021/08/31.Form1.PushButton7_Click"));
    dir.write(u"mail/1.eml"_qs, "Date: Mon, 1 Dec 2003\r\n\r\na\r\nb\r\nc\r\n");
    const CliResult badMessages = runCli({u"--eml"_qs, dir.file(u"mail"_qs), u"--lines"_qs, u"1,,3"_qs});
    EXPECT_EQ(badMessages.status, 1);
    EXPECT_EQ(badMessages.out, QByteArray("a\nc\n"));
    EXPECT_TRUE(badMessages.err.contains("Type mismatch in Quillmere2021/08/31.Form11.PushButton7_Click at line 7"));
    const CliResult badBetween = runCli({u"--staged"_qs, dir.file(u"gone.txt"_qs), u"--between"_qs, u"a"_qs, u"b"_qs});
    EXPECT_EQ(badBetween.status, 1);
    EXPECT_TRUE(badBetween.err.contains("File not found in Quillmere2021/08/31.Form2.PushButton4_Click at line 5"));

    const CliResult empty = runCli({u"--staged"_qs, staged(""), u"--containing"_qs, u"x"_qs});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

TEST_F(CliTest, ReaderLeavingEndsTheRunQuietlyAsGrep)
{
    // Far more than a pipe holds, so the run is still writing when head has read its lines and gone.
    QByteArray text;
    for (int i = 0; i < 100000; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    const QString file = staged(text);
    // Some callers (services, some language runtimes) start programs with SIGPIPE ignored.
    for (const bool callerIgnoresSigpipe : {false, true}) {
        QProcess cli;
        QProcess head;
        cli.setProcessEnvironment(environment());
        cli.setStandardOutputProcess(&head);
        if (callerIgnoresSigpipe)
            cli.setChildProcessModifier([] { std::signal(SIGPIPE, SIG_IGN); });
        head.start(u"head"_qs, {u"-n"_qs, u"2"_qs});
        cli.start(kProgram, {u"--staged"_qs, file, u"--all-data"_qs});
        EXPECT_TRUE(cli.waitForFinished(60000));
        EXPECT_TRUE(head.waitForFinished(60000));
        EXPECT_EQ(head.readAllStandardOutput(), QByteArray("line 0\nline 1\n"));
        EXPECT_EQ(cli.readAllStandardError(), QByteArray()) << callerIgnoresSigpipe;
        EXPECT_EQ(cli.exitStatus(), QProcess::CrashExit) << callerIgnoresSigpipe;
        EXPECT_EQ(cli.exitCode(), SIGPIPE) << callerIgnoresSigpipe;
    }
}

TEST_F(CliTest, PstFileGivesTheSameRowsAsItsStagedText)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "pst/backup_with_rules.pst");
    const CliResult direct = runCli({u"--pst"_qs, store, u"--all-folders"_qs, u"--body"_qs, u"--all-data"_qs});
    ASSERT_EQ(direct.status, 0) << direct.err.constData();
    EXPECT_TRUE(direct.out.contains("pstreadertests@outlook.com\n"));
    // The run left its staging file behind; read as a staged text it gives the same rows.
    const QString stagingFile = dir.file(u"quillmere-%1/test.txt"_qs.arg(getuid()));
    const CliResult again = runCli({u"--staged"_qs, stagingFile, u"--all-data"_qs});
    EXPECT_EQ(again.out, direct.out);
}

TEST_F(CliTest, MessageFilesAreListed)
{
    dir.write(u"mail/1.eml"_qs, "From: =?UTF-8?B?w4lsaXNl?= <elise@example.org>\r\nTo: bob@example.org\r\n"
                                "Subject: hi\r\nDate: Mon, 1 Dec 2003 10:00:00 +0100\r\n\r\nfirst line\r\nshared\r\n");
    dir.write(u"mail/2.eml"_qs, "From: bob@example.org\r\nDate: Tue, 2 Dec 2003 10:00:00 +0100\r\n\r\nshared\r\n");
    dir.write(u"mail/3.eml"_qs, "From: nodate@example.org\r\n\r\nnever listed\r\n");
    const QString folder = dir.file(u"mail"_qs);
    EXPECT_EQ(runCli({u"--eml"_qs, folder, u"--list-messages"_qs}).out,
              QByteArray("\xC3\x89lise <elise@example.org>\tbob@example.org\thi\tMon, 1 Dec 2003 10:00:00 +0100\n"
                         "bob@example.org\t\t\tTue, 2 Dec 2003 10:00:00 +0100\n"));
    EXPECT_EQ(runCli({u"--eml"_qs, folder, u"--list-messages"_qs, u"--null"_qs}).out.count('\0'), 2);
}

// Real stores and message files come out, or the run fails saying why.
TEST_F(CliTest, OfflineStoresAndLinuxMessageFilesAreReadOrRefused)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    const CliResult inbox = runCli({u"--pst"_qs, ost, u"--folders"_qs, u"inbox"_qs, u"--from"_qs, u"--all-data"_qs});
    EXPECT_EQ(inbox.status, 0) << inbox.err.constData();
    EXPECT_EQ(inbox.out, QByteArray("\nepfromer@gmail.com\n\nno-reply@microsoft.com\n\n"));

    QByteArray bytes = TempDir::read(ost);
    bytes.replace(QByteArray("I\0P\0M\0_\0S\0U\0B\0T\0R\0E\0E\0", 22),
                  QByteArray("I\0P\0M\0_\0S\0U\0B\0T\0R\0E\0F\0", 22));
    const QString broken = dir.write(u"broken.ost"_qs, bytes);
    const CliResult none = runCli({u"--pst"_qs, broken, u"--all-data"_qs});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains("No mail folders were found in \"" + broken.toUtf8())) << none.err.constData();

    // Saved on Linux: LF line ends and a folded subject.
    const QString lf = dir.write(u"lf/a.eml"_qs, "From: ann@example.org\nTo: bob@example.org,\n\tcy@example.org\n"
                                                 "Subject: a long\n subject\nDate: Mon, 1 Dec 2003\n\nbody\n");
    EXPECT_EQ(runCli({u"--eml"_qs, lf, u"--list-messages"_qs}).out,
              QByteArray("ann@example.org\tbob@example.org, cy@example.org\ta long subject\tMon, 1 Dec 2003\n"));

    const QString undated = dir.write(u"undated/b.eml"_qs, "From: ann@example.org\n\nbody\n");
    const CliResult unlisted = runCli({u"--eml"_qs, undated, dir.file(u"empty"_qs), u"--list-messages"_qs});
    EXPECT_EQ(unlisted.status, 1);
    EXPECT_TRUE(unlisted.out.isEmpty());
    EXPECT_TRUE(unlisted.err.contains(undated.toUtf8() + ": not listed, the message has no Date field"))
        << unlisted.err.constData();
    EXPECT_EQ(runCli({u"--eml"_qs, dir.file(u"undated"_qs), u"--all-data"_qs}).status, 1);
    // One listable file is enough for a run.
    EXPECT_EQ(runCli({u"--eml"_qs, undated, lf, u"--lines"_qs, u"1"_qs}).out, QByteArray("body\n"));
}

TEST_F(CliTest, SampleStoreConvertsToItsMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    const CliResult listed = runCli({u"--dbx"_qs, store, u"--list-messages"_qs});
    EXPECT_EQ(listed.status, 0) << listed.err.constData();
    EXPECT_EQ(listed.out.count('\n'), 28);
    EXPECT_EQ(runCli({u"--dbx"_qs, store, u"--lines"_qs, u"1"_qs}).out.count('\n'), 28);
}

TEST_F(CliTest, FindDbxListsTheStoresOfAWinePrefix)
{
    const expresstest::WinePrefixFixture wine(dir.file(u"wine"_qs));
    const CliResult found = runCli({u"--find-dbx"_qs, u"--wine-prefix"_qs, wine.prefix});
    EXPECT_EQ(found.status, 0);
    const QStringList expected =
        expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(found.out, (expected.join(u'\n') + u'\n').toUtf8());

    const CliResult none = runCli({u"--find-dbx"_qs, u"--wine-prefix"_qs, dir.path()});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("DBXFiles component failure"));
}

TEST(CliArguments, ExamplesOfHelpAndReadmeAreTheSameValidCommands)
{
    QStringList helpExamples;
    static const QRegularExpression helpLine(u"^    \\$ (quillmere-cli .*)$"_qs, QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : helpLine.globalMatch(cli::usageText()))
        helpExamples << m.captured(1);
    const QString readme = QString::fromUtf8(TempDir::read(QStringLiteral(QUILLMERE_README)));
    const QString section = readme.section(u"\n## Command line\n"_qs, 1).section(u"\n## "_qs, 0, 0);
    QStringList readmeExamples;
    for (const QString& line : section.split(u'\n')) {
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

// How arguments split into options and values: a value is the next argument whatever it holds, --between takes
// two, --dbx and --eml every argument up to the next that begins with a dash, and a later option overrides.
TEST(CliArguments, ValuesListsAndRepeatedOptions)
{
    using cli::Arguments;
    const struct
    {
        const char* command;
        std::function<bool(const Arguments&)> holds;
    } cases[] = {
        {"--all-data",
         [](const Arguments& a) {
             return a.source == cli::Source::Profile && a.from && !a.body &&
                    a.folders == std::array<bool, 5>{true, true, false, true, true};
         }},
        {"--folders drafts,sent --lines 1",
         [](const Arguments& a) {
             return a.folders == std::array<bool, 5>{false, false, true, true, false};
         }},
        {"--containing -x", [](const Arguments& a) { return a.ruleText == u"-x"; }},
        {"--containing --all-data",
         [](const Arguments& a) { return a.rule == cli::Rule::Containing && a.ruleText == u"--all-data"; }},
        {"--lines ''", [](const Arguments& a) { return a.rule == cli::Rule::LineNumbers && a.ruleText.isEmpty(); }},
        {"--all-data -o -h", [](const Arguments& a) { return a.output == u"-h" && !a.help; }},
        {"--between -x --y", [](const Arguments& a) { return a.startText == u"-x" && a.endText == u"--y"; }},
        {"--eml a '' b --all-data",
         [](const Arguments& a) {
             return a.sourceFiles == QStringList{u"a"_qs, QString(), u"b"_qs};
         }},
        {"--dbx a --eml b --all-data",
         [](const Arguments& a) { return a.source == cli::Source::Eml && a.sourceFiles == QStringList{u"b"_qs}; }},
        {"--pst a --pst b -o c --output d --all-data",
         [](const Arguments& a) { return a.sourceFile == u"b" && a.output == u"d"; }},
        {"--format xlsx --format lines --from --no-from --all-data",
         [](const Arguments& a) { return a.format == cli::Format::Lines && !a.from; }},
        {"--all-folders --folders inbox --all-data",
         [](const Arguments& a) {
             return a.folders == std::array<bool, 5>{true, false, false, false, false};
         }},
        {"--text-set a --text-sets-file f --text-set b",
         [](const Arguments& a) {
             return a.textSets == QStringList{u"a"_qs, u"b"_qs} && a.textSetFiles.size() == 1;
         }},
        // The same as "--pst a --between X Y -o f".
        {"--pst=a --between=X Y -o=f",
         [](const Arguments& a) { return a.sourceFile == u"a" && a.endText == u"Y" && a.output == u"f"; }},
        // --help asks for nothing else to fit.
        {"--help --all-data --lines 1", [](const Arguments& a) { return a.help; }},
    };
    for (const auto& c : cases) {
        const cli::Parsed parsed = cli::parseArguments(shellWords(QString::fromUtf8(c.command)));
        ASSERT_TRUE(parsed.arguments) << c.command << ": " << parsed.error.toStdString();
        EXPECT_TRUE(c.holds(*parsed.arguments)) << c.command;
    }
}

TEST(CliArguments, UsageErrorsNameTheArgumentAsGiven)
{
    const char* const between = "--between needs a start text and an end text, neither empty";
    const struct
    {
        const char* command;
        const char* error;
    } cases[] = {
        {"--all-data stray", "unknown argument: stray"},
        {"--eml a --all-data b", "unknown argument: b"},
        {"--eml -a --all-data", "--eml needs at least one file"},
        {"--all-data --", "unknown argument: --"},
        {"--all-data -ofile", "unknown argument: -ofile"},
        {"-all-data", "unknown argument: -all-data"},
        {"--all-data=1", "unknown argument: --all-data=1"},
        {"--help --bogus", "unknown argument: --bogus"},
        {"--all-data -o", "-o needs a file"},
        {"--wine-prefix", "--wine-prefix needs a path"},
        {"--containing", "--containing needs a value"},
        {"--text-set a --text-set ''", "--text-set needs a value"},
        {"--between x ''", between},
        {"--between=x", between},
        // An overridden value must still be usable.
        {"--format bad --format lines --all-data", "--format takes lines, aligned, comma, tsv or xlsx"},
        {"--containing a --containing b", "give exactly one rule: --all-data, --containing, --not-containing, --lines, "
                                          "--between or --text-set/--text-sets-file"},
        {"--all-data --format xlsx", "--format xlsx needs -o FILE"},
        {"--folders spam --all-data", "--folders takes a comma list of inbox,outbox,drafts,sent,deleted"},
        {"--all-data --format tsv --null",
         "--null goes with --format lines only: the other formats separate rows their own way"},
        // Fields and folders choose what is staged from an Outlook store.
        {"--eml a --body --all-data", "--body does not apply to --eml: the rules always read each message's body"},
        {"--no-from --dbx a --containing x",
         "--no-from does not apply to --dbx: the rules always read each message's body"},
        {"--all-folders --eml a --list-messages", "--all-folders does not apply to --eml: every message given is read"},
        {"--dbx a --folders inbox --all-data",
         "--folders does not apply to --dbx: every message in the stores given is read"},
        {"--staged a --no-body --all-data",
         "--no-body does not apply to --staged: the staged text is read as it was staged"},
    };
    for (const auto& c : cases) {
        const cli::Parsed parsed = cli::parseArguments(shellWords(QString::fromUtf8(c.command)));
        EXPECT_FALSE(parsed.arguments) << c.command;
        EXPECT_EQ(parsed.error.toStdString(), c.error) << c.command;
    }
}

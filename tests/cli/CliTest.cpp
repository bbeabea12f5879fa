#include "CliArguments.h"
#include "ExpressFixtures.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using testsupport::TempDir;

namespace {

struct CliResult
{
    int status;
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test
{
protected:
    CliResult runCli(const QStringList& args)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TEMP"), dir.path());
        env.insert(QStringLiteral("QUILLMERE_SETTINGS_DIR"), dir.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLMERE_PROGRAM_DIR "/quillmere-cli"), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString staged(const QByteArray& text) { return dir.write(QStringLiteral("staged.txt"), text); }

    TempDir dir;
};

const QByteArray kStaged = "\r\nAnn <ann@example.org>\r\nHello Ann\r\nbob@example.org\r\nhello again\r\n"
                           "\xC3\x89t\xC3\xA9\r\nAnn <ann@example.org>\r\n";

} // namespace

TEST_F(CliTest, LineRulesOnAStagedText)
{
    const QString file = staged(kStaged);
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--containing"), QStringLiteral("ANN")}).out,
              QByteArray("Ann <ann@example.org>\nHello Ann\nAnn <ann@example.org>\n"));
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--containing"), QStringLiteral("ANN"),
                      QStringLiteral("--case-sensitive")})
                  .out,
              QByteArray());
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--containing"), QStringLiteral("\u00E9T\u00C9"),
                      QStringLiteral("--dedupe")})
                  .out,
              QByteArray("\xC3\x89t\xC3\xA9\n"));
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--not-containing"), QStringLiteral("@"),
                      QStringLiteral("--dedupe")})
                  .out,
              QByteArray("\nHello Ann\nhello again\n\xC3\x89t\xC3\xA9\n"));
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--lines"), QStringLiteral("2,4")}).out,
              QByteArray("Ann <ann@example.org>\nbob@example.org\n"));
}

TEST_F(CliTest, FormatsAreTheWindowsFiles)
{
    const QString file = staged("x\r\ny\r\n");
    const QStringList rule{QStringLiteral("--staged"), file, QStringLiteral("--all-data")};
    EXPECT_EQ(runCli(rule + QStringList{QStringLiteral("--format"), QStringLiteral("comma")}).out, QByteArray("x,y,"));
    EXPECT_EQ(runCli(rule + QStringList{QStringLiteral("--format"), QStringLiteral("aligned")}).out,
              QByteArray("Results\r\nx\r\ny\r\n\r\n"));
    EXPECT_EQ(runCli(rule + QStringList{QStringLiteral("--format"), QStringLiteral("tsv")}).out,
              QByteArray("x\r\ny\r\n"));
    const CliResult shown = runCli(rule + QStringList{QStringLiteral("--show-source")});
    EXPECT_EQ(shown.out, (file + QStringLiteral("\tx\n") + file + QStringLiteral("\ty\n")).toUtf8());

    const QString workbook = dir.file(QStringLiteral("out.xlsx"));
    EXPECT_EQ(
        runCli(rule + QStringList{QStringLiteral("--format"), QStringLiteral("xlsx"), QStringLiteral("-o"), workbook})
            .status,
        0);
    EXPECT_TRUE(TempDir::read(workbook).startsWith("PK"));
}

TEST_F(CliTest, ExitStatusForUsageErrorsAndFailedRuns)
{
    EXPECT_EQ(runCli({QStringLiteral("--all-data"), QStringLiteral("--lines"), QStringLiteral("1")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("--bogus")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("--all-data"), QStringLiteral("--format"), QStringLiteral("xlsx")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("--help")}).status, 0);

    const CliResult missing =
        runCli({QStringLiteral("--pst"), dir.file(QStringLiteral("none.pst")), QStringLiteral("--all-data")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QByteArray("quillmere-cli: PST File not found.\n"));

    const CliResult badList = runCli(
        {QStringLiteral("--staged"), staged("a\r\nb\r\nc\r\n"), QStringLiteral("--lines"), QStringLiteral("1,,3")});
    EXPECT_EQ(badList.status, 1);
    EXPECT_EQ(badList.out, QByteArray("a\nc\n"));
    EXPECT_TRUE(badList.err.startsWith("quillmere-cli: Type mismatch in Quillmere2021/08/31.Form1.PushButton7_Click"));

    const CliResult empty =
        runCli({QStringLiteral("--staged"), staged(""), QStringLiteral("--containing"), QStringLiteral("x")});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

TEST_F(CliTest, PstFileGivesTheSameRowsAsItsStagedText)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "pst/backup_with_rules.pst");
    const CliResult direct = runCli({QStringLiteral("--pst"), store, QStringLiteral("--all-folders"),
                                     QStringLiteral("--body"), QStringLiteral("--all-data")});
    ASSERT_EQ(direct.status, 0) << direct.err.constData();
    EXPECT_TRUE(direct.out.contains("pstreadertests@outlook.com\n"));
    // The run left its staging file behind; read as a staged text it gives the same rows.
    const QString stagingFile = dir.file(QStringLiteral("quillmere-%1/test.txt").arg(getuid()));
    const CliResult again = runCli({QStringLiteral("--staged"), stagingFile, QStringLiteral("--all-data")});
    EXPECT_EQ(again.out, direct.out);
}

TEST_F(CliTest, BetweenAndTextSetRules)
{
    const QString file = staged("The rain in spain falls mainly on the plain.\r\nno match here\r\n");
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--between"), QStringLiteral("p"),
                      QStringLiteral("n"), QStringLiteral("--exclude-x"), QStringLiteral("--exclude-y")})
                  .out,
              QByteArray("ai\nlai\n"));
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--between"), QStringLiteral("p"),
                      QStringLiteral("n")})
                  .out,
              QByteArray("pain\nplain\n"));
    const QString items = dir.write(QStringLiteral("items.txt"), "  \r\nMATCH\r\n");
    EXPECT_EQ(runCli({QStringLiteral("--staged"), file, QStringLiteral("--text-set"), QStringLiteral("rain"),
                      QStringLiteral("--text-sets-file"), items})
                  .out,
              QByteArray("The rain in spain falls mainly on the plain.\nno match here\n"));
    EXPECT_EQ(
        runCli({QStringLiteral("--staged"), file, QStringLiteral("--between"), QString(), QStringLiteral("n")}).status,
        2);
}

TEST_F(CliTest, MessageFilesAreListedAndSearched)
{
    const QString first =
        dir.write(QStringLiteral("mail/1.eml"),
                  "From: =?UTF-8?B?w4lsaXNl?= <elise@example.org>\r\nTo: bob@example.org\r\n"
                  "Subject: hi\r\nDate: Mon, 1 Dec 2003 10:00:00 +0100\r\n\r\nfirst line\r\nshared\r\n");
    dir.write(QStringLiteral("mail/2.eml"),
              "From: bob@example.org\r\nDate: Tue, 2 Dec 2003 10:00:00 +0100\r\n\r\nshared\r\n");
    dir.write(QStringLiteral("mail/3.eml"), "From: nodate@example.org\r\n\r\nnever listed\r\n");
    const QString folder = dir.file(QStringLiteral("mail"));
    EXPECT_EQ(runCli({QStringLiteral("--eml"), folder, QStringLiteral("--list-messages")}).out,
              QByteArray("\xC3\x89lise <elise@example.org>\tbob@example.org\thi\tMon, 1 Dec 2003 10:00:00 +0100\n"
                         "bob@example.org\t\t\tTue, 2 Dec 2003 10:00:00 +0100\n"));
    EXPECT_EQ(runCli({QStringLiteral("--eml"), folder, QStringLiteral("--lines"), QStringLiteral("1")}).out,
              QByteArray("first line\nshared\n"));
    EXPECT_EQ(runCli({QStringLiteral("--eml"), folder, QStringLiteral("--containing"), QStringLiteral("shared"),
                      QStringLiteral("--dedupe"), QStringLiteral("--show-source")})
                  .out,
              (QFileInfo(first).absoluteFilePath() + QStringLiteral("\tshared\n")).toUtf8());
}

TEST_F(CliTest, SampleStoreConvertsToItsMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    const CliResult listed = runCli({QStringLiteral("--dbx"), store, QStringLiteral("--list-messages")});
    EXPECT_EQ(listed.status, 0) << listed.err.constData();
    EXPECT_EQ(listed.out.count('\n'), 28);
    EXPECT_EQ(runCli({QStringLiteral("--dbx"), store, QStringLiteral("--lines"), QStringLiteral("1")}).out.count('\n'),
              28);
}

TEST_F(CliTest, FindDbxListsTheStoresOfAWinePrefix)
{
    const expresstest::WinePrefixFixture wine(dir.file(QStringLiteral("wine")));
    const CliResult found = runCli({QStringLiteral("--find-dbx"), QStringLiteral("--wine-prefix"), wine.prefix});
    EXPECT_EQ(found.status, 0);
    const QStringList expected =
        expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(found.out, (expected.join(u'\n') + u'\n').toUtf8());

    const CliResult none = runCli({QStringLiteral("--find-dbx"), QStringLiteral("--wine-prefix"), dir.path()});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("DBXFiles component failure"));
}

TEST(CliArguments, DefaultsAndFolders)
{
    const cli::Parsed plain = cli::parseArguments({QStringLiteral("--all-data")});
    ASSERT_TRUE(plain.arguments);
    EXPECT_EQ(plain.arguments->source, cli::Source::Profile);
    EXPECT_TRUE(plain.arguments->from);
    EXPECT_FALSE(plain.arguments->body);
    EXPECT_EQ(plain.arguments->folders, (std::array<bool, 5>{true, true, false, true, true}));
    const cli::Parsed some = cli::parseArguments(
        {QStringLiteral("--folders"), QStringLiteral("drafts,sent"), QStringLiteral("--lines"), QStringLiteral("1")});
    ASSERT_TRUE(some.arguments);
    EXPECT_EQ(some.arguments->folders, (std::array<bool, 5>{false, false, true, true, false}));
    EXPECT_FALSE(
        cli::parseArguments({QStringLiteral("--folders"), QStringLiteral("spam"), QStringLiteral("--all-data")})
            .arguments);
}

#include "rules/AddressRule.h"
#include "rules/StagedText.h"
#include "platform/ScriptedPlatform.h"
#include "support/CollectingSink.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace rules;
using testsupport::CollectingSink;
using testsupport::TempDir;

namespace {

// The addresses the rule finds in a staged text, read in blocks.
QStringList stagedAddresses(const QString& path)
{
    AddressRule rule;
    CollectingSink sink;
    platform::ScriptedEventLoop loop;
    scanStagedText(path, rule, sink, path, loop);
    return sink.hits;
}

// The addresses the rule finds in a line of a message body.
QStringList lineAddresses(const QString& line)
{
    AddressRule rule;
    CollectingSink sink;
    const QString source;
    LineHits hits(sink, source);
    rule.scanLine(line, 1, hits);
    return sink.hits;
}

// The grep -oE pattern the README gives for the addresses of ASCII text.
const QString kGrepPattern =
    u"[[:alnum:]_%+-]+(\\.[[:alnum:]_%+-]+)*@([[:alnum:]]([[:alnum:]-]*[[:alnum:]])?\\.)+[[:alpha:]]{2,}"_qs;

} // namespace

// What is an address and what is around it, in text, HTML and lists, in any script; what only looks like one.
TEST(Addresses, AreFoundAsWrittenWithoutWhatSurroundsThem)
{
    const std::pair<const char*, const char*> cases[] = {
        // the issue's examples
        {"<ann@example.com>.", "ann@example.com"},
        {"jürgen@bücher.de", "jürgen@bücher.de"},
        {"a@b user@localhost @", ""},
        {"<a href='mailto:ann@example.com?subject=Hi%20there'>ann@example.com</a>", "ann@example.com|ann@example.com"},
        // lists, with brackets and quotes around their addresses
        {"ann@example.com;bob@example.org,cy@example.net", "ann@example.com|bob@example.org|cy@example.net"},
        {"(ann@example.com), \"bob@example.org\";'cy@example.net'", "ann@example.com|bob@example.org|cy@example.net"},
        {"x@y.com@z.org", "x@y.com"},
        // the local part's characters and dots
        {"first.last+tag@example.com a_b%c-d@example.com", "first.last+tag@example.com|a_b%c-d@example.com"},
        {"ann..bob@example.com .ann@example.com", "bob@example.com|ann@example.com"},
        {"ann.@example.com", ""},
        // the domain's labels and its last label
        {"ann@mail-1.example.com.", "ann@mail-1.example.com"},
        {"ann@example..com ann@-example.com ann@example-.com ann@example.c", ""},
        {"ann@127.0.0.1 ann@[127.0.0.1] ann@example.123", ""},
        {"ann@example.com2", "ann@example.com"}, // as grep -oE finds it
        // other scripts, decomposed letters
        {"用户@例子.广告。", "用户@例子.广告"},
        {"jo\u0308rg@example.de", "jo\u0308rg@example.de"},
        // look-alikes: a fullwidth at sign, two at signs
        {"@handle, price@5.00, ann @ example.com, ann at example dot com", ""},
        {"ann＠example.com ann@@example.com", ""},
    };
    TempDir dir;
    for (const auto& [text, expected] : cases) {
        const QStringList want = QString::fromUtf8(expected).split(u'|', Qt::SkipEmptyParts);
        EXPECT_EQ(lineAddresses(QString::fromUtf8(text)), want) << text;
        const QString path = dir.write(u"staged.txt"_qs, QByteArray("\r\n") + text + "\r\n" + text);
        EXPECT_EQ(stagedAddresses(path), want + want) << text;
    }
}

// Lines that are not UTF-8 are read as Windows-1252, as every rule reads them.
TEST(Addresses, LinesThatAreNotUtf8AreReadAsWindows1252)
{
    TempDir dir;
    const QString path = dir.write(u"staged.txt"_qs, "caf\xE9@example.com\r\nann@example.com\r\n");
    EXPECT_EQ(stagedAddresses(path), (QStringList{u"caf\u00E9@example.com"_qs, u"ann@example.com"_qs}));
}

// On ASCII text the rule finds what grep -oE finds with the README's pattern.
TEST(Addresses, AgreeWithGrepOnGeneratedText)
{
    const QList<QByteArray> pieces = {"a",    "b",  "Z",  "0", "9",  ".",   "..",      "_",   "%",
                                      "+",    "-",  "@",  "@", "@",  " ",   ",",       ";",   "<",
                                      ">",    ":",  "\"", "(", "ex", ".co", "mailto:", "ann", "@example.com",
                                      ".org", "-x", "\t"};
    QRandomGenerator random(19);
    QByteArray text;
    for (int line = 0; line < 4000; ++line) {
        for (int p = random.bounded(0, 24); p > 0; --p)
            text += pieces[random.bounded(int(pieces.size()))];
        text += '\n';
    }
    TempDir dir;
    const QString path = dir.write(u"staged.txt"_qs, text);
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_qs, u"C.UTF-8"_qs);
    grep.setProcessEnvironment(env);
    grep.start(u"grep"_qs, {u"-oE"_qs, kGrepPattern, path});
    if (!grep.waitForFinished(60000) || grep.exitStatus() != QProcess::NormalExit)
        GTEST_SKIP() << "grep did not run";
    const QStringList expected = QString::fromUtf8(grep.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(expected.size(), 100);
    EXPECT_EQ(stagedAddresses(path), expected);
}

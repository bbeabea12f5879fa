#include "rules/AddressRule.h"
#include "rules/StagedText.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace rules;
using testsupport::TempDir;

namespace {

struct CollectingSink : HitSink
{
    QStringList hits;
    void addHit(const QString& text, const QString&) override { hits << text; }
};

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
        {"ann@example.com", "ann@example.com"},
        {"<ann@example.com>.", "ann@example.com"},
        {"j\xC3\xBCrgen@b\xC3\xBC"
         "cher.de",
         "j\xC3\xBCrgen@b\xC3\xBC"
         "cher.de"},
        {"a@b", ""},
        {"user@localhost", ""},
        {"@", ""},
        {"mailto:ann@example.com?subject=Hi%20there", "ann@example.com"},
        // HTML links, quotes and brackets
        {"<a href=\"mailto:Bob.Smith@Mail.Example.org\">Bob</a>", "Bob.Smith@Mail.Example.org"},
        {"<a href='mailto:ann@example.com'>ann@example.com</a>", "ann@example.com|ann@example.com"},
        {"(ann@example.com) \"bob@example.org\" 'cy@example.net' [dee@example.co.uk]",
         "ann@example.com|bob@example.org|cy@example.net|dee@example.co.uk"},
        {"Ann Lee <ann.lee@example.com>, Bob <bob@example.org>", "ann.lee@example.com|bob@example.org"},
        // lists and punctuation
        {"ann@example.com, bob@example.org; cy@example.net", "ann@example.com|bob@example.org|cy@example.net"},
        {"ann@example.com;bob@example.org,cy@example.net", "ann@example.com|bob@example.org|cy@example.net"},
        {"Write to ann@example.com. Or bob@example.org!", "ann@example.com|bob@example.org"},
        {"ann@example.com's desk, ann@example.com: here", "ann@example.com|ann@example.com"},
        {"x@y.com@z.org", "x@y.com"},
        // the local part's characters and dots
        {"first.last+tag@example.com a_b%c-d@example.com", "first.last+tag@example.com|a_b%c-d@example.com"},
        {"Contact...john@example.com", "john@example.com"},
        {"ann..bob@example.com .ann@example.com", "bob@example.com|ann@example.com"},
        {"ann.@example.com", ""},
        // the domain's labels and its last label
        {"ann@mail-1.example.com.", "ann@mail-1.example.com"},
        {"ann@example..com ann@-example.com ann@example-.com ann@example.c", ""},
        {"ann@127.0.0.1 ann@[127.0.0.1] ann@example.123", ""},
        {"ann@example.com2", "ann@example.com"}, // as grep -oE finds it
        // other scripts, decomposed letters
        {"\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD@\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84 ok",
         "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD@\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84"},
        {"\xE7\x94\xA8\xE6\x88\xB7@\xE4\xBE\x8B\xE5\xAD\x90.\xE5\xB9\xBF\xE5\x91\x8A\xE3\x80\x82",
         "\xE7\x94\xA8\xE6\x88\xB7@\xE4\xBE\x8B\xE5\xAD\x90.\xE5\xB9\xBF\xE5\x91\x8A"},
        {"jo\xCC\x88rg@example.de", "jo\xCC\x88rg@example.de"},
        {"ann@xn--bcher-kva.de", "ann@xn--bcher-kva.de"},
        // look-alikes
        {"@handle, price@5.00, ann @ example.com, ann at example dot com", ""},
        {"ann\xEF\xBC\xA0"
         "example.com ann@@example.com",
         ""}, // a fullwidth at sign; two at signs
        {"ann@example", ""},
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

#include "rules/PatternRule.h"
#include "rules/PatternSyntax.h"
#include "rules/StagedText.h"
#include "platform/ScriptedPlatform.h"
#include "support/CollectingSink.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <bitset>
#include <gtest/gtest.h>

using namespace rules;
using testsupport::CollectingSink;
using testsupport::TempDir;

namespace {

// Lists compare as text, which a failure shows readably.
std::string joined(const QStringList& lines)
{
    return lines.join(u'\n').toStdString();
}

QStringList matchingLines(const QString& path, const QString& pattern, bool ignoreCase)
{
    PatternRule rule(pattern, ignoreCase);
    EXPECT_EQ(rule.problem(), QString()) << pattern.toStdString();
    CollectingSink sink;
    platform::ScriptedEventLoop loop;
    scanStagedText(path, rule, sink, path, loop);
    return sink.hits;
}

// The lines grep -E prints for a pattern, or nothing when grep cannot be run.
std::optional<QStringList> grepLines(const QString& path, const QString& pattern, bool ignoreCase)
{
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_qs, u"C.UTF-8"_qs);
    grep.setProcessEnvironment(env);
    QStringList args{u"-E"_qs};
    if (ignoreCase)
        args << u"-i"_qs;
    grep.start(u"grep"_qs, args << u"-e"_qs << pattern << path);
    if (!grep.waitForFinished(60000) || grep.exitStatus() != QProcess::NormalExit || grep.exitCode() > 1)
        return std::nullopt;
    QStringList lines = QString::fromUtf8(grep.readAllStandardOutput()).split(u'\n');
    lines.removeLast();
    return lines;
}

} // namespace

// grep -E's own syntax (brackets, intervals, stray operators, classes) gives the lines grep gives, in either
// case, on text with CR LF line breaks, letters of several scripts and empty lines.
TEST(Patterns, MatchTheLinesGrepMatches)
{
    const QList<QByteArray> words = QByteArray("the|tide|invoice|colour|color|on|ab|cde|a.c|abc|x{|a)|]|-|  |\t|2003|"
                                               "12.50|ann@ex.org|STRASSE|straße|Über|über|ÉTÉ|été|Данные|!|?|Ab|aaa")
                                        .split('|');
    // Word boundaries are those of ASCII words: patterns with them are compared on ASCII text.
    QList<QByteArray> asciiWords = words;
    asciiWords.removeIf(
        [](const QByteArray& word) { return std::any_of(word.begin(), word.end(), [](char c) { return c & 0x80; }); });
    TempDir dir;
    QString grepFiles[2], ourFiles[2];
    QRandomGenerator random(1919);
    for (const bool ascii : {false, true}) {
        const QList<QByteArray>& from = ascii ? asciiWords : words;
        QByteArray lf;
        for (int line = 0; line < 3000; ++line) {
            for (int w = random.bounded(0, 8); w > 0; --w)
                lf += from[random.bounded(int(from.size()))] + (random.bounded(3) ? " " : "");
            lf += '\n';
        }
        grepFiles[ascii] = dir.write(u"lf%1.txt"_qs.arg(ascii), lf);
        ourFiles[ascii] = dir.write(u"crlf%1.txt"_qs.arg(ascii), QByteArray(lf).replace("\n", "\r\n"));
    }
    // Between backticks, as they are not in any pattern.
    const QList<QByteArray> patterns =
        QByteArray(
            R"(invoice`^the`tide $`^$`colou?r`(ab|cde)+ `a.c`a\.c`[0-9]{3,}`\d+\.\d+`[[:digit:]]{2}\.[[:digit:]]`)"
            R"([[:upper:]][[:lower:]]+`^[^ ]*$`[]x]`[^a-z ]`x{`a)`*aaa`a**b`a{2}{2}`(on|the)\b`\bon\b`\<ab`)"
            R"(\w+@\w+\.org`\s\s`\S{12}`[[:punct:]]$`straße`über`été`[[:alpha:]]{6}`^.{20,}$`x*`(|a)b)")
            .split('`');
    for (const QByteArray& ours : patterns) {
        const QString pattern = QString::fromUtf8(ours);
        const bool ascii = pattern.contains(u"\\b"_qs) || pattern.contains(u"\\<"_qs);
        for (const bool ignoreCase : {false, true}) {
            // \d is ours alone: grep is given what it stands for.
            const auto expected =
                grepLines(grepFiles[ascii], QString(pattern).replace(u"\\d"_qs, u"[0-9]"_qs), ignoreCase);
            if (!expected)
                GTEST_SKIP() << "grep did not run";
            EXPECT_EQ(joined(matchingLines(ourFiles[ascii], pattern, ignoreCase)), joined(*expected))
                << ours.toStdString() << " ignoreCase " << ignoreCase;
        }
    }
}

// A pattern is searched first for texts every match holds, in either case where case does not matter, and for a
// single mark or letter only where it stands between bytes a match allows there: on text with those marks in
// every company and words in mixed case, it still finds exactly grep's lines.
TEST(Patterns, SearchedFirstForTheirTextsMatchTheLinesGrepMatches)
{
    const QList<QByteArray> pieces =
        QByteArray("0|7|12|.|..|-|--|@|a|b|c|d|x|X|k|K|_| |\t|\xC3\xA9|\xE2\x84\xAA|ab|budget|BUDGET|Tide|tIDe|")
            .split('|');
    QByteArray lf;
    QRandomGenerator random(2311);
    for (int line = 0; line < 3000; ++line) {
        // Long quiet stretches keep the candidate lines few, as in mail, so that they are searched one by one.
        lf += QByteArray(random.bounded(0, 160), ' ');
        for (int p = random.bounded(0, 10); p > 0; --p)
            lf += pieces[random.bounded(int(pieces.size()))];
        lf += '\n';
    }
    TempDir dir;
    const QString grepFile = dir.write(u"lf.txt"_qs, lf);
    const QString ourFile = dir.write(u"crlf.txt"_qs, QByteArray(lf).replace("\n", "\r\n"));
    const QList<QByteArray> patterns =
        QByteArray(
            R"([0-9]{1,2}\.[0-9]+`\.[0-9]`[0-9]\.`[0-9]\.\.?[0-9]`[0-9]\.+[0-9]`[0-9]\.x?[0-9]`(a|b)\.(c|d)`\.+[0-9]`)"
            R"(([0-9]+|x)\.`\w-\w`[^ ]@[^ ]`-{2,}`[^0-9]-[^ @]`[[:upper:]]-[[:lower:]]`(ab|b)+-[0-9]`[0-9]x[0-9]`a?@.?$`@[[:space:]]`(budget|tide).?[0-9x])")
            .split('`');
    for (const QByteArray& ours : patterns) {
        const QString pattern = QString::fromUtf8(ours);
        for (const bool ignoreCase : {false, true}) {
            const auto expected = grepLines(grepFile, pattern, ignoreCase);
            if (!expected)
                GTEST_SKIP() << "grep did not run";
            EXPECT_EQ(joined(matchingLines(ourFile, pattern, ignoreCase)), joined(*expected))
                << ours.toStdString() << " ignoreCase " << ignoreCase;
        }
    }
}

// The neighbours of a mark are as narrow as the pattern allows, else lines holding it are searched for nothing;
// a mark that may stand anywhere has none.
TEST(Patterns, AllowAMarkOnlyTheNeighboursItHasInMatches)
{
    const auto neighbours = [](const char* pattern, char mark, bool ignoreCase) {
        return neighboursInMatches(translateExtendedPattern(QString::fromUtf8(pattern)).re2, mark, ignoreCase);
    };
    const auto bytes = [](std::string_view members) {
        std::bitset<256> set;
        for (const char c : members)
            set.set(static_cast<unsigned char>(c));
        return set;
    };
    const auto digits = bytes("0123456789");
    const auto number = neighbours("[0-9]{1,2}\\.[0-9]+", '.', false);
    ASSERT_TRUE(number);
    EXPECT_EQ(number->before, digits);
    EXPECT_EQ(number->after, digits);
    const auto leading = neighbours("(\\.|-)[0-9]x?", '.', false);
    ASSERT_TRUE(leading);
    EXPECT_TRUE(leading->before.all());
    EXPECT_EQ(leading->after, digits);
    // Without regard to case a letter stands for both its cases, and k and s for letters outside ASCII too.
    const auto letter = neighbours("[0-9]x[a-c]", 'x', true);
    ASSERT_TRUE(letter);
    EXPECT_EQ(letter->before, digits);
    EXPECT_EQ(letter->after, bytes("abcABC"));
    const auto kelvin = neighbours("k-", '-', true);
    ASSERT_TRUE(kelvin);
    EXPECT_TRUE(kelvin->before[0xAA] && kelvin->before['K'] && !kelvin->before['a']);
    EXPECT_FALSE(neighbours("x*\\.y*", '.', false));
}

// A pattern that cannot work is refused with its character and the reason, before it matches anything.
TEST(Patterns, ThatDoNotCompileSayWhereAndWhy)
{
    const std::pair<const char*, const char*> cases[] = {
        {"(ab|c", "at character 1, \"(\" is not closed by \")\""},
        {"a[bc", "at character 2, \"[\" is not closed by \"]\""},
        {"[[:alpha:]", "at character 1, \"[\" is not closed by \"]\""},
        {"x[[:letter:]]", "at character 3, [:letter:] is no character class"},
        {"[a-cz-a]", "at character 5, the range runs backwards"},
        {"ab{3,2}", "at character 3, the repetition's least count is larger than its greatest"},
        {"a{1001}", "at character 2, a repetition count is larger than 1000"},
        {"(a)\\1", "at character 4, back-references such as \"\\1\" are not supported"},
        {"ab\\", "at character 3, the pattern ends with a lone \"\\\""},
        {"\xC3\xA9(a{999}){999}", "at character 10, repetitions count or nest too high"},
    };
    for (const auto& [pattern, why] : cases) {
        PatternRule rule(QString::fromUtf8(pattern), true);
        EXPECT_EQ(rule.problem().toStdString(), "The pattern cannot be used: " + std::string(why) + '.') << pattern;
        EXPECT_EQ(rule.hitsInLine(u"ab"_qs, 1), 0);
    }
}

// However the pattern backtracks in other engines, RE2 reads the text once.
TEST(Patterns, NestedRepetitionsOverALongLineReturnAtOnce)
{
    TempDir dir;
    const QString path = dir.write(u"a.txt"_qs, QByteArray(5000, 'a') + "\r\n" + QByteArray(5000, 'a') + "b\r\n");
    const QStringList hits = matchingLines(path, u"(a|aa)+$"_qs, false);
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].size(), 5000);
}

// Any case in any language; lines that are not UTF-8 are read as Windows-1252; a message body's lines one by one.
TEST(Patterns, MatchAnyCaseInAnyScriptAndEveryEncodingTheRulesRead)
{
    TempDir dir;
    const QString path = dir.write(u"staged.txt"_qs, "caf\xE9 au lait\r\n\u00DCBER \u212AELVIN\r\nplain\r\n");
    EXPECT_EQ(matchingLines(path, u"caf\u00C9|\u00FCber"_qs, true),
              (QStringList{u"caf\u00E9 au lait"_qs, u"\u00DCBER \u212AELVIN"_qs}));
    // Searched for its texts first, a pattern still finds the letters that fold to them from outside ASCII.
    const QString utf8 = dir.write(u"utf8.txt"_qs, "\u00DCBER \u212AELVIN\r\nplain\r\n");
    EXPECT_EQ(matchingLines(utf8, u"(kel|vin)vin"_qs, true), QStringList{u"\u00DCBER \u212AELVIN"_qs});

    PatternRule rule(u"^pl.in$"_qs, false);
    EXPECT_EQ(rule.hitsInLine(u"plain"_qs, 1), 1);
    EXPECT_EQ(rule.hitsInLine(u"a plain"_qs, 2), 0);
}

// A letter from outside ASCII that lower-cases to an ASCII one (KELVIN SIGN to k) is found where the pattern asks
// for it, with regard to case as without.
TEST(Patterns, FindLettersThatLowerCaseIntoAscii)
{
    TempDir dir;
    const QString path = dir.write(u"staged.txt"_qs, "\xE2\x84\xAA"
                                                     "elvin x\r\nkelvin x\r\n");
    EXPECT_EQ(matchingLines(path, u"\u212Aelvin.x"_qs, false), QStringList{u"\u212Aelvin x"_qs});
    EXPECT_EQ(matchingLines(path, u"kelvin.x"_qs, true), (QStringList{u"\u212Aelvin x"_qs, u"kelvin x"_qs}));
}

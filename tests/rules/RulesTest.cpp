#include "core/ErrorReport.h"
#include "core/TextFiles.h"
#include "rules/NumberList.h"
#include "rules/StagedText.h"
#include "rules/TextRules.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

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

QStringList scanFile(const QString& path, LineRule& rule)
{
    CollectingSink sink;
    platform::ScriptedEventLoop loop;
    scanStagedText(path, rule, sink, path, loop);
    return sink.hits;
}

// What the rule finds asking line by line, the meaning every block search must keep.
QStringList lineByLine(const QStringList& lines, LineRule& rule)
{
    QStringList hits;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (int t = rule.hitsInLine(lines[i], i + 1); t > 0; --t)
            hits << lines[i];
    }
    return hits;
}

const QByteArray kLettersAtoG = "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n";

QStringList byNumber(const QString& list, QStringList* reports = nullptr)
{
    TempDir dir;
    platform::ScriptedDialogs dialogs;
    core::Trap trap(dialogs, u"Form1"_qs, u"PushButton7_Click"_qs);
    LineNumberRule rule(parseNumberList(list, trap, 7));
    if (reports)
        *reports = dialogs.messageTexts();
    return scanFile(dir.write(u"staged.txt"_qs, kLettersAtoG), rule);
}

QStringList letters(const char* s)
{
    QStringList out;
    for (; *s; ++s)
        out << QString(QLatin1Char(*s));
    return out;
}

} // namespace

TEST(LineNumbers, OrderOfTheTextRoundingHalfToEvenAndNumbersThatSelectNothing)
{
    const std::pair<const char*, const char*> cases[] = {{"1,3,4", "ACD"},  {"4,3,1", "ACD"}, {"1,1", "A"},
                                                         {" 2 , 7 ", "BG"}, {"2.5", "B"},     {"3.5", "D"},
                                                         {"0", ""},         {"-1", ""}};
    for (const auto& [list, expected] : cases)
        EXPECT_EQ(byNumber(QLatin1String(list)), letters(expected)) << list;
}

TEST(LineNumbers, BadEntryIsReportedOnceAndMatchesByItsLeadingNumber)
{
    QStringList reports;
    EXPECT_EQ(byNumber(u"1,,3"_qs, &reports), letters("AC"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.PushButton7_Click at line 7"_qs));

    EXPECT_TRUE(byNumber(u"40000"_qs, &reports).isEmpty());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(u"Overflow\r\n"_qs));
    EXPECT_EQ(byNumber(u"2x,5 apples"_qs, &reports), letters("BE"));
    EXPECT_EQ(reports.size(), 2);
}

TEST(LineNumbers, LeadingNumberReadsLikeVal)
{
    EXPECT_EQ(leadingNumber(u"40000"_qs), 40000);
    EXPECT_EQ(leadingNumber(u"x"_qs), 0);
    EXPECT_EQ(leadingNumber(u" 1 2 3abc"_qs), 123);
    EXPECT_EQ(leadingNumber(u"-2.5e1z"_qs), -25);
    EXPECT_EQ(leadingNumber(u"&H1F"_qs), 31);
    EXPECT_EQ(leadingNumber(u"7e"_qs), 7);
}

TEST(LineNumbers, CountAcrossTheWholeStagedFile)
{
    TempDir dir;
    QByteArray text = "\r\n";
    for (int i = 2; i <= 300000; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    platform::ScriptedDialogs dialogs;
    core::Trap trap(dialogs, u"Form1"_qs, u"PushButton7_Click"_qs);
    LineNumberRule rule(parseNumberList(u"1,2,299999"_qs, trap, 7));
    EXPECT_EQ(scanFile(dir.write(u"big.txt"_qs, text), rule),
              (QStringList{QString(), u"line 2"_qs, u"line 299999"_qs}));
}

TEST(ContainingRules, CaseOptionAlsoForNonAsciiLetters)
{
    TempDir dir;
    const QString path = dir.write(u"s.txt"_qs, "ABC\r\nabc\r\n\xC3\x89t\xC3\xA9\r\n"
                                                "\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\r\n"
                                                "\xE2\x84\xAA"
                                                "elvin\r\n\r\n");
    ContainingRule exact(u"abc"_qs, false, ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, exact), QStringList{u"abc"_qs});
    ContainingRule anyCase(u"abc"_qs, true, ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, anyCase), (QStringList{u"ABC"_qs, u"abc"_qs}));
    ContainingRule accented(u"\u00E9T\u00C9"_qs, true, ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, accented), QStringList{u"\u00C9t\u00E9"_qs});
    ContainingRule greek(u"\u03C3\u039F\u03A6"_qs, true, ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, greek).size(), 1);
    ContainingRule kelvin(u"kELV"_qs, true, ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, kelvin), QStringList{u"\u212Aelvin"_qs});
    ContainingRule notAbc(u"abc"_qs, false, ContainingRule::Want::NotContaining);
    EXPECT_EQ(scanFile(path, notAbc).size(), 5); // ABC and the empty line among them
    EXPECT_TRUE(scanFile(path, notAbc).contains(QString()));
}

// The block search must find exactly what the line-by-line test finds, on text full of the awkward cases:
// CR LF and bare LF, CRs inside lines, Windows-1252 lines, letters whose folding is not ASCII.
TEST(ContainingRules, BlockSearchAgreesWithLineByLineTest)
{
    const QList<QByteArray> pieces = {"a",        "A", "b",  "k",    "K",  "s", "\xE2\x84\xAA", "\xC5\xBF", "\xC3\xA9",
                                      "\xC3\x89", " ", "\r", "\xE9", "ab", "AB"};
    const QStringList needles = {u"a"_qs,  u"ab"_qs,     u"k"_qs,   u"s a"_qs, u"\u00E9"_qs,
                                 u"AB"_qs, u"\u212A"_qs, QString(), u"b\r"_qs, u"\r"_qs};
    QRandomGenerator random(7);
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        QByteArray text;
        const int lines = random.bounded(1, 60);
        for (int l = 0; l < lines; ++l) {
            for (int p = random.bounded(0, 6); p > 0; --p)
                text += pieces[random.bounded(int(pieces.size()))];
            text += random.bounded(2) ? "\r\n" : "\n";
        }
        if (random.bounded(3) == 0)
            text.chop(random.bounded(1, 3));
        const QString path = dir.write(u"r%1.txt"_qs.arg(round), text);
        const QStringList expectedLines = core::ReadTextLines(path);
        for (const QString& needle : needles) {
            for (const bool ignoreCase : {false, true}) {
                for (const auto want : {ContainingRule::Want::Containing, ContainingRule::Want::NotContaining}) {
                    ContainingRule blockwise(needle, ignoreCase, want);
                    ContainingRule linewise(needle, ignoreCase, want);
                    ASSERT_EQ(scanFile(path, blockwise), lineByLine(expectedLines, linewise))
                        << "round " << round << " needle " << needle.toStdString() << " ignoreCase " << ignoreCase;
                }
            }
        }
        AllLinesRule all;
        EXPECT_EQ(scanFile(path, all), expectedLines);
    }
}

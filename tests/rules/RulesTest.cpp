#include "core/ErrorReport.h"
#include "core/TextFiles.h"
#include "rules/NumberList.h"
#include "rules/StagedText.h"
#include "rules/TextRules.h"
#include "platform/ScriptedPlatform.h"
#include "support/CollectingSink.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace rules;
using testsupport::CollectingSink;
using testsupport::TempDir;

namespace {

QStringList scanFile(const QString& path, LineRule& rule)
{
    CollectingSink sink;
    platform::ScriptedEventLoop loop;
    scanStagedText(path, rule, sink, path, loop);
    return sink.hits;
}

// The lines a number list picks from a staged text, joined by commas, then the first line of each error report
// the list gave, in brackets.
QString picked(const QString& list, const QByteArray& staged)
{
    TempDir dir;
    platform::ScriptedDialogs dialogs;
    core::Trap trap(dialogs, u"Form1"_qs, u"PushButton7_Click"_qs);
    LineNumberRule rule(parseNumberList(list, trap, 7));
    QString result = scanFile(dir.write(u"staged.txt"_qs, staged), rule).join(u',');
    for (const QString& shown : dialogs.messageTexts()) {
        EXPECT_TRUE(shown.contains(u"\r\nin Quillmere2021/08/31.Form1.PushButton7_Click at line 7"_qs))
            << qPrintable(list);
        result += u" ["_qs + shown.section(u'\r', 0, 0) + u']';
    }
    return result;
}

// Up to maxLines lines of up to maxPieces random pieces each, ended by CR LF or LF at random.
QByteArray randomLines(QRandomGenerator& random, const QList<QByteArray>& pieces, int maxLines, int maxPieces)
{
    QByteArray text;
    for (int l = random.bounded(1, maxLines); l > 0; --l) {
        for (int p = random.bounded(0, maxPieces); p > 0; --p)
            text += pieces[random.bounded(int(pieces.size()))];
        text += random.bounded(2) ? "\r\n" : "\n";
    }
    return text;
}

// Each containing rule over a staged file gives the lines its line test picks from the file read as text.
void expectBlockSearchAgrees(const QString& path, const QStringList& needles, std::initializer_list<bool> ignoreCases)
{
    const QStringList lines = core::ReadTextLines(path);
    for (const QString& needle : needles) {
        for (const bool ignoreCase : ignoreCases) {
            for (const auto want : {ContainingRule::Want::Containing, ContainingRule::Want::NotContaining}) {
                ContainingRule rule(needle, ignoreCase, want);
                QStringList expected;
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    if (rule.hitsInLine(lines[i], i + 1))
                        expected << lines[i];
                }
                ASSERT_EQ(scanFile(path, rule), expected)
                    << path.toStdString() << " needle " << needle.toStdString() << " ignoreCase " << ignoreCase;
            }
        }
    }
}

} // namespace

// Lines come in the order of the text, counted across the whole file; entries round half to even; an entry that
// is no 16-bit whole number is reported at the list's statement and matches by its leading number.
TEST(LineNumbers, PickLinesInTheOrderOfTheText)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"1,3,4", "A,C,D"}, {"4,3,1", "A,C,D"}, {"1,1", "A"}, {" 2 , 7 ", "B,G"}, {"2.5", "B"}, {"3.5", "D"},
        {"0", ""}, {"-1", ""}, {"1,,3", "A,C [Type mismatch]"}, {"40000", " [Overflow]"},
        {"2x,5 apples", "B,E [Type mismatch] [Type mismatch]"}};
    // clang-format on
    for (const auto& [list, expected] : cases)
        EXPECT_EQ(picked(QLatin1String(list), "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n"), QLatin1String(expected)) << list;
    QByteArray big = "\r\n";
    for (int i = 2; i <= 300000; ++i)
        big += "line " + QByteArray::number(i) + "\r\n";
    EXPECT_EQ(picked(u"1,2,299999"_qs, big), u",line 2,line 299999 [Overflow]"_qs);
}

TEST(LineNumbers, LeadingNumberReadsLikeVal)
{
    const std::pair<const char*, double> cases[] = {{"40000", 40000}, {"x", 0},     {" 1 2 3abc", 123},
                                                    {"-2.5e1z", -25}, {"&H1F", 31}, {"7e", 7}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(leadingNumber(QLatin1String(text)), value) << text;
}

// The block search finds what the line test finds, on CR LF and bare LF, CRs inside lines, Windows-1252 lines,
// letters whose folding is not ASCII; every line rule sees the lines that reading the file as text gives.
TEST(ContainingRules, BlockSearchAgreesWithLineByLineTest)
{
    const QList<QByteArray> pieces = {"a",        "A", "b",  "k",    "K",  "s", "\xE2\x84\xAA", "\xC5\xBF", "\xC3\xA9",
                                      "\xC3\x89", " ", "\r", "\xE9", "ab", "AB"};
    const QStringList needles = {u"a"_qs,  u"ab"_qs,     u"k"_qs,   u"s a"_qs, u"\u00E9"_qs,
                                 u"AB"_qs, u"\u212A"_qs, QString(), u"b\r"_qs, u"\r"_qs};
    QRandomGenerator random(7);
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        QByteArray text = randomLines(random, pieces, 60, 6);
        if (random.bounded(3) == 0)
            text.chop(random.bounded(1, 3));
        const QString path = dir.write(u"r%1.txt"_qs.arg(round), text);
        expectBlockSearchAgrees(path, needles, {false, true});
        AllLinesRule all;
        EXPECT_EQ(scanFile(path, all), core::ReadTextLines(path));
    }
}

// Any case beyond ASCII: letters with two or more variants (ẞ, ANGSTROM SIGN, final sigma, θ's four, a letter
// outside the BMP), variants of different UTF-8 lengths, and blocks that are not UTF-8.
TEST(ContainingRules, AnyCaseSearchBeyondAsciiAgreesWithLineByLineTest)
{
    const QList<QByteArray> pieces = {"\u00DC", "\u00FC",     "\u00DF",     "\u1E9E", "\u00C5", "\u00E5",
                                      "\u212B", "\u03A3",     "\u03C3",     "\u03C2", "\u03B8", "\u03D1",
                                      "\u03F4", "\U00010400", "\U00010428", "k",      "K",      "\u212A",
                                      "s",      "e",          " ",          "\r",     "ss"};
    const QStringList needles = {u"\u00FC"_qs,     u"\u00DC\u00DF"_qs, u"stra\u00DFe"_qs,  u"\u03C3\u03C2"_qs,
                                 u"\U00010400"_qs, u"k\u00FC"_qs,      u"\u00E5 "_qs,      u"\u1E9E\u00DF"_qs,
                                 u"\u03B8e"_qs,    u"\u00C5\r"_qs,     u"\u00FCK\u00FC"_qs};
    QRandomGenerator random(17);
    TempDir dir;
    for (int round = 0; round < 60; ++round) {
        QByteArray text = randomLines(random, pieces, 80, 7);
        if (round % 5 == 4)
            text += "caf\xE9\r\n"; // Windows-1252: the block is read line by line
        expectBlockSearchAgrees(dir.write(u"u%1.txt"_qs.arg(round), text), needles, {true});
    }
}

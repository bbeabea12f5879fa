#include "app/ErrorReport.h"
#include "app/TextFiles.h"
#include "extract/NumberList.h"
#include "extract/StagedText.h"
#include "extract/TextRules.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace extract;
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
    rule.refresh();
    QStringList hits;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (int t = rule.hitsInLine(lines[i], i + 1); t > 0; --t)
            hits << lines[i];
    }
    return hits;
}

SearchInput input(const QString& text, bool ignoreCase)
{
    return {[text] { return text; }, [ignoreCase] { return ignoreCase; }};
}

const QByteArray kLettersAtoG = "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n";

QStringList byNumber(const QString& list, QStringList* reports = nullptr)
{
    TempDir dir;
    platform::ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QStringLiteral("Form1"), QStringLiteral("PushButton7_Click"));
    LineNumberRule rule(parseNumberList(list, trap, 7));
    if (reports)
        *reports = dialogs.messageTexts();
    return scanFile(dir.write(QStringLiteral("staged.txt"), kLettersAtoG), rule);
}

QStringList letters(const char* s)
{
    QStringList out;
    for (; *s; ++s)
        out << QString(QLatin1Char(*s));
    return out;
}

} // namespace

TEST(LineNumbers, HelpExampleAndOrderOfTheText)
{
    EXPECT_EQ(byNumber(QStringLiteral("1,3,4")), letters("ACD"));
    EXPECT_EQ(byNumber(QStringLiteral("4,3,1")), letters("ACD"));
    EXPECT_EQ(byNumber(QStringLiteral("1,1")), letters("A"));
    EXPECT_EQ(byNumber(QStringLiteral(" 2 , 7 ")), letters("BG"));
}

TEST(LineNumbers, RoundingHalfToEvenAndNumbersThatSelectNothing)
{
    EXPECT_EQ(byNumber(QStringLiteral("2.5")), letters("B"));
    EXPECT_EQ(byNumber(QStringLiteral("3.5")), letters("D"));
    EXPECT_TRUE(byNumber(QStringLiteral("0")).isEmpty());
    EXPECT_TRUE(byNumber(QStringLiteral("-1")).isEmpty());
}

TEST(LineNumbers, BadEntryIsReportedOnceAndMatchesByItsLeadingNumber)
{
    QStringList reports;
    EXPECT_EQ(byNumber(QStringLiteral("1,,3"), &reports), letters("AC"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(
        QStringLiteral("Type mismatch\r\nin Quillmere2021/08/31.Form1.PushButton7_Click at line 7")));

    EXPECT_TRUE(byNumber(QStringLiteral("40000"), &reports).isEmpty());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Overflow\r\n")));
    EXPECT_EQ(byNumber(QStringLiteral("2x,5 apples"), &reports), letters("BE"));
    EXPECT_EQ(reports.size(), 2);
}

TEST(LineNumbers, LeadingNumberReadsLikeVal)
{
    EXPECT_EQ(leadingNumber(QStringLiteral("40000")), 40000);
    EXPECT_EQ(leadingNumber(QStringLiteral("x")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral(" 1 2 3abc")), 123);
    EXPECT_EQ(leadingNumber(QStringLiteral("-2.5e1z")), -25);
    EXPECT_EQ(leadingNumber(QStringLiteral("&H1F")), 31);
    EXPECT_EQ(leadingNumber(QStringLiteral("7e")), 7);
}

TEST(LineNumbers, CountAcrossTheWholeStagedFile)
{
    TempDir dir;
    QByteArray text = "\r\n";
    for (int i = 2; i <= 300000; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    platform::ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QStringLiteral("Form1"), QStringLiteral("PushButton7_Click"));
    LineNumberRule rule(parseNumberList(QStringLiteral("1,2,299999"), trap, 7));
    EXPECT_EQ(scanFile(dir.write(QStringLiteral("big.txt"), text), rule),
              (QStringList{QString(), QStringLiteral("line 2"), QStringLiteral("line 299999")}));
}

TEST(ContainingRules, CaseOptionAlsoForNonAsciiLetters)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("s.txt"), "ABC\r\nabc\r\n\xC3\x89t\xC3\xA9\r\n"
                                                            "\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\r\n"
                                                            "\xE2\x84\xAA"
                                                            "elvin\r\n\r\n");
    ContainingRule exact(input(QStringLiteral("abc"), false), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, exact), QStringList{QStringLiteral("abc")});
    ContainingRule anyCase(input(QStringLiteral("abc"), true), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, anyCase), (QStringList{QStringLiteral("ABC"), QStringLiteral("abc")}));
    ContainingRule accented(input(QStringLiteral("\u00E9T\u00C9"), true), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, accented), QStringList{QStringLiteral("\u00C9t\u00E9")});
    ContainingRule greek(input(QStringLiteral("\u03C3\u039F\u03A6"), true), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, greek).size(), 1);
    ContainingRule kelvin(input(QStringLiteral("kELV"), true), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, kelvin), QStringList{QStringLiteral("\u212Aelvin")});
    ContainingRule notAbc(input(QStringLiteral("abc"), false), ContainingRule::Want::NotContaining);
    EXPECT_EQ(scanFile(path, notAbc).size(), 5); // ABC and the empty line among them
    EXPECT_TRUE(scanFile(path, notAbc).contains(QString()));
}

TEST(ContainingRules, InvalidUtf8LinesAreSearchedAsWindows1252)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("latin.txt"), "caf\xE9 cr\xE8me\r\nplain\r\n");
    ContainingRule rule(input(QStringLiteral("CAF\u00C9"), true), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, rule), QStringList{QStringLiteral("caf\u00E9 cr\u00E8me")});
    ContainingRule exact(input(QStringLiteral("\u00E8me"), false), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, exact).size(), 1);
}

TEST(ContainingRules, MatchNeverRunsIntoTheLineBreak)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("cr.txt"), "ab\r\ncd\r\nab\rc\r\n");
    ContainingRule rule(input(QStringLiteral("b\r"), false), ContainingRule::Want::Containing);
    EXPECT_EQ(scanFile(path, rule), QStringList{QStringLiteral("ab\rc")});
    ContainingRule across(input(QStringLiteral("b\r\nc"), false), ContainingRule::Want::Containing);
    EXPECT_TRUE(scanFile(path, across).isEmpty());
}

TEST(ContainingRules, EditedSearchTextAppliesAfterTheNextYield)
{
    TempDir dir;
    QByteArray text;
    for (int i = 0; i < 400000; ++i)
        text += i < 200000 ? "first half\r\n" : "second half\r\n";
    const QString path = dir.write(QStringLiteral("long.txt"), text);
    QString needle = QStringLiteral("first");
    ContainingRule rule({[&] { return needle; }, [] { return false; }}, ContainingRule::Want::Containing);
    CollectingSink sink;
    platform::ScriptedEventLoop loop;
    loop.onYield = [&] { needle = QStringLiteral("half"); };
    scanStagedText(path, rule, sink, path, loop);
    if (loop.yields() == 0)
        GTEST_SKIP() << "the machine read the whole file within one time slice";
    EXPECT_GT(sink.hits.size(), 200000); // lines of the second half are found after the edit
    EXPECT_EQ(sink.hits.first(), QStringLiteral("first half"));
}

// The block search must find exactly what the line-by-line test finds, on text full of the awkward cases:
// CR LF and bare LF, CRs inside lines, Windows-1252 lines, letters whose folding is not ASCII.
TEST(ContainingRules, BlockSearchAgreesWithLineByLineTest)
{
    const QList<QByteArray> pieces = {"a",        "A", "b",  "k",    "K",  "s", "\xE2\x84\xAA", "\xC5\xBF", "\xC3\xA9",
                                      "\xC3\x89", " ", "\r", "\xE9", "ab", "AB"};
    const QStringList needles = {
        QStringLiteral("a"),      QStringLiteral("ab"), QStringLiteral("k"),      QStringLiteral("s a"),
        QStringLiteral("\u00E9"), QStringLiteral("AB"), QStringLiteral("\u212A"), QString()};
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
        const QString path = dir.write(QStringLiteral("r%1.txt").arg(round), text);
        const QStringList expectedLines = app::ReadTextLines(path);
        for (const QString& needle : needles) {
            for (const bool ignoreCase : {false, true}) {
                for (const auto want : {ContainingRule::Want::Containing, ContainingRule::Want::NotContaining}) {
                    ContainingRule blockwise(input(needle, ignoreCase), want);
                    ContainingRule linewise(input(needle, ignoreCase), want);
                    ASSERT_EQ(scanFile(path, blockwise), lineByLine(expectedLines, linewise))
                        << "round " << round << " needle " << needle.toStdString() << " ignoreCase " << ignoreCase;
                }
            }
        }
        AllLinesRule all;
        EXPECT_EQ(scanFile(path, all), expectedLines);
    }
}

#include "rules/Between.h"
#include "rules/LineRule.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using rules::ExtractBetween;
using rules::finishSpan;

namespace {

const QString kRain = u"The rain in spain falls mainly on the plain."_qs;

QStringList finished(const QString& text, const QString& x, const QString& y, bool incX, bool incY,
                     bool ignoreCase = false)
{
    QStringList out;
    for (const QString& r : ExtractBetween(text, x, y, ignoreCase)) {
        if (auto f = finishSpan(r, x.size(), y, incX, incY))
            out.append(*f);
    }
    return out;
}

QStringList scanned(const QString& text, const QString& x, const QString& y, bool ignoreCase,
                    const QList<qsizetype>& cuts, qsizetype* maxHeld = nullptr)
{
    QStringList out;
    rules::BetweenScanner scanner(x, y, ignoreCase, [&](QStringView s) { out.append(s.toString()); });
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        scanner.feed(QStringView(text).sliced(from, cut - from));
        from = cut;
        if (maxHeld)
            *maxHeld = std::max(*maxHeld, scanner.held());
    }
    scanner.feed(QStringView(text).sliced(from));
    scanner.finish();
    return out;
}

struct Collect : rules::HitSink
{
    void addHit(const QString& text, const QString& source) override { hits.append(text + u'|' + source); }
    QStringList hits;
};

} // namespace

TEST(ExtractBetween, RainInSpainWithEachIncludeCombination)
{
    using L = QStringList;
    EXPECT_EQ(finished(kRain, u"p"_qs, u"n"_qs, false, false), (L{u"ai"_qs, u"lai"_qs}));
    EXPECT_EQ(finished(kRain, u"p"_qs, u"n"_qs, true, false), (L{u"pai"_qs, u"plai"_qs}));
    EXPECT_EQ(finished(kRain, u"p"_qs, u"n"_qs, false, true), (L{u"ain"_qs, u"lain"_qs}));
    EXPECT_EQ(finished(kRain, u"p"_qs, u"n"_qs, true, true), (L{u"pain"_qs, u"plain"_qs}));
}

TEST(ExtractBetween, SpansStartAtTheFirstXAndNeedAFollowingY)
{
    EXPECT_EQ(finished(u"a1b1c2d"_qs, u"1"_qs, u"2"_qs, true, false), QStringList{u"1b1c"_qs});
    EXPECT_EQ(finished(u"a1b1c2d"_qs, u"1"_qs, u"2"_qs, false, false), QStringList{u"b1c"_qs});
    // X directly followed by Y: the empty result is skipped.
    EXPECT_EQ(finished(u"aXYb"_qs, u"X"_qs, u"Y"_qs, false, false), QStringList());
    EXPECT_EQ(finished(u"aXYb"_qs, u"X"_qs, u"Y"_qs, true, false), QStringList{u"X"_qs});
    // X without a later Y, Y without an X since the previous Y, an empty text.
    EXPECT_TRUE(ExtractBetween(u"Y..X.."_qs, u"X"_qs, u"Y"_qs, false).isEmpty());
    EXPECT_TRUE(ExtractBetween(u"XaY..Y"_qs, u"X"_qs, u"Y"_qs, false).size() == 1);
    EXPECT_TRUE(ExtractBetween(QString(), u"X"_qs, u"Y"_qs, false).isEmpty());
    // The same X and Y never meet when compared exactly.
    EXPECT_TRUE(ExtractBetween(u"a-b-c-"_qs, u"-"_qs, u"-"_qs, false).isEmpty());
    EXPECT_TRUE(ExtractBetween(u"abc"_qs, QString(), u"b"_qs, false).isEmpty());
}

TEST(ExtractBetween, CaseOptionAppliesToXOnly)
{
    EXPECT_EQ(ExtractBetween(u"Dear JOHN, hello;"_qs, u"john"_qs, u","_qs, true), QStringList{u"JOHN"_qs});
    EXPECT_TRUE(ExtractBetween(u"Dear JOHN, hello;"_qs, u"john"_qs, u","_qs, false).isEmpty());
    EXPECT_TRUE(ExtractBetween(u"from <A> to"_qs, u"<"_qs, u"TO"_qs, true).isEmpty());
}

TEST(BetweenScanner, FindsASpanAcrossABlockBoundaryOfTheStagingFile)
{
    testsupport::TempDir dir;
    // X ends the first 65,536-character block, Y begins the second.
    QByteArray text(65530, '.');
    text += "<<mid";
    text += "dle>>tail<<no end";
    const QString path = dir.write(u"test.txt"_qs, text);
    Collect sink;
    rules::runBetweenOverFile(path, {u"<<"_qs, u">>"_qs, false, false, true}, sink, u"src"_qs);
    EXPECT_EQ(sink.hits, QStringList{u"middle>>|src"_qs});
}

TEST(BetweenScanner, GivesTheWholeTextResultsForAnyCutting)
{
    QRandomGenerator rng(20240611);
    // Letters that fold onto each other, and a letter outside the BMP in two cases.
    const QString alphabet = u"abAB\u212A\u017Fsk\U00010400\U00010428\n"_qs;
    auto randomText = [&](int maxLength) {
        QString s;
        const int n = int(rng.bounded(maxLength + 1));
        for (int i = 0; i < n; ++i) {
            const qsizetype at = rng.bounded(alphabet.size());
            s += alphabet[at].isLowSurrogate()    ? alphabet.mid(at - 1, 2)
                 : alphabet[at].isHighSurrogate() ? alphabet.mid(at, 2)
                                                  : alphabet.mid(at, 1);
        }
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString text = randomText(60);
        QString x = randomText(3), y = randomText(3);
        if (x.isEmpty() || y.isEmpty())
            continue;
        const bool ignoreCase = rng.bounded(2) == 1;
        QList<qsizetype> cuts;
        for (qsizetype at = rng.bounded(4) + 1; at < text.size(); at += rng.bounded(5) + 1)
            cuts.append(at);
        EXPECT_EQ(scanned(text, x, y, ignoreCase, cuts), ExtractBetween(text, x, y, ignoreCase))
            << qPrintable(text) << " X=" << qPrintable(x) << " Y=" << qPrintable(y) << " case off " << ignoreCase;
    }
}

TEST(BetweenScanner, HoldsLittleWhileNoXIsPending)
{
    // Neither Y nor X in a long text: only the few characters an X or Y may still begin in are held.
    const QString text(100000, u'.');
    QList<qsizetype> cuts;
    for (qsizetype at = 1000; at < text.size(); at += 1000)
        cuts.append(at);
    qsizetype held = 0;
    EXPECT_TRUE(scanned(text, u"<<x"_qs, u">>yy"_qs, false, cuts, &held).isEmpty());
    EXPECT_LE(held, 1000 + 4);
    // Many finished spans: the held text never exceeds a block plus the span under way.
    QString spans;
    for (int i = 0; i < 2000; ++i)
        spans += u"..<<x12345>>yy"_qs;
    held = 0;
    cuts.clear();
    for (qsizetype at = 100; at < spans.size(); at += 100)
        cuts.append(at);
    EXPECT_EQ(scanned(spans, u"<<x"_qs, u">>yy"_qs, false, cuts, &held).size(), 2000);
    EXPECT_LE(held, 100 + 14);
}

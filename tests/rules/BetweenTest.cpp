#include "rules/Between.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using rules::ExtractBetween;

namespace {

// The spans the scanner finds in the text fed in pieces of the given length, or of random lengths up to it.
QStringList scanned(const QString& text, const QString& x, const QString& y, bool ignoreCase, int piece,
                    QRandomGenerator* random = nullptr, qsizetype* maxHeld = nullptr)
{
    QStringList out;
    rules::BetweenScanner scanner(x, y, ignoreCase, [&](QStringView s) { out.append(s.toString()); });
    for (qsizetype at = 0, length; at < text.size(); at += length) {
        scanner.feed(QStringView(text).mid(at, length = random ? random->bounded(1, piece + 1) : piece));
        if (maxHeld)
            *maxHeld = std::max(*maxHeld, scanner.held());
    }
    scanner.finish();
    return out;
}

} // namespace

// The text is split at every Y (compared exactly); a piece a Y ends gives the part from its first X (compared as
// asked), without X or with Y as asked, and nothing when that leaves it empty.
TEST(ExtractBetween, SpansFromTheFirstXToTheNextY)
{
    const QString rain = u"The rain in spain falls mainly on the plain."_qs;
    // The text, X, Y, whether case is ignored, X included and Y included, and the results.
    const std::tuple<QString, QString, QString, bool, bool, bool, QStringList> cases[] = {
        {rain, u"p"_qs, u"n"_qs, false, false, false, {u"ai"_qs, u"lai"_qs}},
        {rain, u"p"_qs, u"n"_qs, false, true, true, {u"pain"_qs, u"plain"_qs}},
        {u"a1b1c2d"_qs, u"1"_qs, u"2"_qs, false, false, false, {u"b1c"_qs}},
        {u"aXYb"_qs, u"X"_qs, u"Y"_qs, false, false, false, {}},
        {u"aXYb"_qs, u"X"_qs, u"Y"_qs, false, true, false, {u"X"_qs}},
        {u"Y..XaY..Y..X"_qs, u"X"_qs, u"Y"_qs, false, true, false, {u"Xa"_qs}},
        {QString(), u"X"_qs, u"Y"_qs, false, true, false, {}},
        {u"a-b-c-"_qs, u"-"_qs, u"-"_qs, false, true, false, {}},
        {u"abc"_qs, QString(), u"b"_qs, false, true, false, {}},
        {u"Dear JOHN, hello;"_qs, u"john"_qs, u","_qs, true, true, false, {u"JOHN"_qs}},
        {u"Dear JOHN, hello;"_qs, u"john"_qs, u","_qs, false, true, false, {}},
        {u"from <A> to"_qs, u"<"_qs, u"TO"_qs, true, true, false, {}},
    };
    for (const auto& [text, x, y, ignoreCase, includeX, includeY, expected] : cases) {
        QStringList finished;
        for (const QString& span : ExtractBetween(text, x, y, ignoreCase)) {
            if (auto f = rules::finishSpan(span, x.size(), y, includeX, includeY))
                finished.append(*f);
        }
        EXPECT_EQ(finished, expected) << qPrintable(text) << " X=" << qPrintable(x) << " Y=" << qPrintable(y);
    }
}

TEST(BetweenScanner, GivesTheWholeTextResultsForAnyCuttingAndHoldsLittleWhileNoXIsPending)
{
    QRandomGenerator rng(20240611);
    // Letters that fold onto each other, and a letter outside the BMP in two cases.
    const QString alphabet = u"abAB\u212A\u017Fsk\U00010400\U00010428\n"_qs;
    auto randomText = [&](int minLength, int maxLength) {
        QString s;
        for (int n = int(rng.bounded(minLength, maxLength + 1)); n > 0; --n) {
            const qsizetype at = rng.bounded(alphabet.size());
            s += alphabet.mid(alphabet[at].isLowSurrogate() ? at - 1 : at, alphabet[at].isSurrogate() ? 2 : 1);
        }
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString text = randomText(0, 60), x = randomText(1, 3), y = randomText(1, 3);
        const bool ignoreCase = rng.bounded(2) == 1;
        EXPECT_EQ(scanned(text, x, y, ignoreCase, 5, &rng), ExtractBetween(text, x, y, ignoreCase))
            << qPrintable(text) << " X=" << qPrintable(x) << " Y=" << qPrintable(y) << " case off " << ignoreCase;
    }

    // Neither Y nor X in a long text: only the few characters an X or Y may still begin in are held.
    qsizetype held = 0;
    EXPECT_TRUE(scanned(QString(100000, u'.'), u"<<x"_qs, u">>yy"_qs, false, 1000, nullptr, &held).isEmpty());
    EXPECT_LE(held, 1000 + 4);
    // Many finished spans: the held text never exceeds a block plus the span under way.
    held = 0;
    EXPECT_EQ(scanned(u"..<<x12345>>yy"_qs.repeated(2000), u"<<x"_qs, u">>yy"_qs, false, 100, nullptr, &held).size(),
              2000);
    EXPECT_LE(held, 100 + 14);
}

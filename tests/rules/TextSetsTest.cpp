#include "rules/TextSetRule.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using rules::TextSetRule;

namespace {

// What the rule must give: the line searched once per item.
int naiveHits(QStringView line, const QStringList& items, bool ignoreCase)
{
    int hits = 0;
    for (const QString& item : items)
        hits += !line.isEmpty() && line.indexOf(item, 0, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) >= 0;
    return hits;
}

struct Collect : rules::HitSink
{
    void addHit(const QString& text, const QString&) override { rows.append(text); }
    QStringList rows;
};

// Rows from the block search over the text as the staging file holds it.
QStringList blockRows(const QString& text, const QStringList& items, bool ignoreCase)
{
    TextSetRule rule(items, ignoreCase);
    Collect sink;
    rules::LineHits hits(sink, QString());
    const QByteArray bytes = text.toUtf8();
    rule.scan({bytes, 1, true}, hits);
    return sink.rows;
}

QStringList naiveRows(const QString& text, const QStringList& items, bool ignoreCase)
{
    QStringList rows;
    QStringList lines = text.split(u'\n');
    lines.removeLast(); // the text ends with a line break
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        for (int i = naiveHits(line, items, ignoreCase); i > 0; --i)
            rows.append(line);
    }
    return rows;
}

} // namespace

TEST(TextSetRule, OffersALineOncePerItemItContains)
{
    const QStringList items{u"fold"_qs, u"old"_qs, u"gulls fold"_qs, u"night"_qs};
    TextSetRule rule(items, false);
    EXPECT_EQ(rule.hitsInLine(u"the gulls fold into night"_qs, 1), 4);
    // Each item counts once however often it occurs.
    EXPECT_EQ(rule.hitsInLine(u"old old old"_qs, 1), 1);
    // A two-word item only as one piece with its blank.
    EXPECT_EQ(rule.hitsInLine(u"the gulls  fold"_qs, 1), 2);
    EXPECT_EQ(rule.hitsInLine(u"fold the gulls"_qs, 1), 2); // fold and old, not "gulls fold"
    EXPECT_EQ(rule.hitsInLine(QString(), 1), 0);
}

TEST(TextSetRule, AnEmptyStagedLineNeverMatches)
{
    // Not even an empty item, which is found in every other line.
    const QStringList items{QString(), u"x"_qs};
    TextSetRule rule(items, true);
    EXPECT_EQ(rule.hitsInLine(QString(), 1), 0);
    EXPECT_EQ(rule.hitsInLine(u"a"_qs, 1), 1);
    EXPECT_EQ(blockRows(u"\r\nab\n\nx\n"_qs, items, true), (QStringList{u"ab"_qs, u"x"_qs, u"x"_qs}));
}

TEST(TextSetRule, AllAtOnceGivesTheRowsOfTheSearchItemByItem)
{
    QRandomGenerator rng(7);
    // Letters whose simple case foldings meet (K, KELVIN SIGN, s, LONG S, sharp s, sigmas, a letter outside
    // the BMP), a CR that is content mid-line, and blanks.
    const QStringList alphabet{u"a"_qs,          u"b"_qs,      u"A"_qs,      u"k"_qs,      u"K"_qs,
                               u"\u212A"_qs,     u"s"_qs,      u"S"_qs,      u"\u017F"_qs, u"\u00DF"_qs,
                               u"\u1E9E"_qs,     u"\u03A3"_qs, u"\u03C3"_qs, u"\u03C2"_qs, u"\U00010400"_qs,
                               u"\U00010428"_qs, u" "_qs,      u"\r"_qs,     u"\u00E9"_qs, u"\u00C9"_qs};
    auto word = [&](int maxLength) {
        QString s;
        for (int i = int(rng.bounded(maxLength)) + 1; i > 0; --i)
            s += alphabet[rng.bounded(alphabet.size())];
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        QStringList items;
        for (int i = int(rng.bounded(12)) + 1; i > 0; --i)
            items.append(word(3));
        QString text;
        for (int i = int(rng.bounded(30)); i > 0; --i)
            text += (rng.bounded(6) == 0 ? QString() : word(12)) + (rng.bounded(3) == 0 ? u"\r\n"_qs : u"\n"_qs);
        for (bool ignoreCase : {false, true}) {
            const QStringList expected = naiveRows(text, items, ignoreCase);
            EXPECT_EQ(blockRows(text, items, ignoreCase), expected) << "case off " << ignoreCase;
            TextSetRule rule(items, ignoreCase);
            QStringList perLine;
            QStringList lines = text.split(u'\n');
            lines.removeLast();
            for (QString line : lines) {
                if (line.endsWith(u'\r'))
                    line.chop(1);
                for (int i = rule.hitsInLine(line, 1); i > 0; --i)
                    perLine.append(line);
            }
            EXPECT_EQ(perLine, expected);
        }
    }
}

TEST(TextSetRule, RunsOverAStagedFileWithALongList)
{
    testsupport::TempDir dir;
    QStringList items;
    for (int i = 0; i < 1000; ++i)
        items.append(u"word%1;"_qs.arg(i));
    QByteArray text("\r\n");
    for (int i = 0; i < 2000; ++i)
        text += u"line %1 has word%2; and WORD%3;\r\n"_qs.arg(i).arg(i % 1500).arg(i % 700).toUtf8();
    const QString path = dir.write(u"test.txt"_qs, text);
    for (bool ignoreCase : {false, true}) {
        Collect sink;
        rules::runTextSetsOverFile(path, items, ignoreCase, sink, path);
        EXPECT_EQ(sink.rows, naiveRows(QString::fromUtf8(text), items, ignoreCase));
    }
}

TEST(TextSetFile, KeepsNonBlankLinesUntrimmed)
{
    testsupport::TempDir dir;
    const QString path = dir.write(u"items.txt"_qs, "  lead\r\n   \r\n\r\ntwo words\r\n");
    EXPECT_EQ(rules::readTextSetFile(path), (QStringList{u"  lead"_qs, u"two words"_qs}));
}

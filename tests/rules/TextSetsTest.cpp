#include "rules/TextSetRule.h"
#include "support/CollectingSink.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

using rules::TextSetRule;

namespace {

// Each line of a text that ends with a line break, as often as count(line) says.
template <class Count>
QStringList rowsOf(const QString& text, Count count)
{
    QStringList rows, lines = text.split(u'\n');
    lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        for (int n = count(line); n > 0; --n)
            rows.append(line);
    }
    return rows;
}

// The rule over a staged text, all items searched at once, and its line test must give what searching each
// line for each item in turn gives (an empty line never being offered).
void expectPlainSearchRows(const QString& text, const QStringList& items)
{
    testsupport::TempDir dir;
    const QString path = dir.write(u"test.txt"_qs, text.toUtf8());
    for (const bool ignoreCase : {false, true}) {
        const QStringList expected = rowsOf(text, [&](const QString& line) {
            return line.isEmpty() ? 0 : int(std::count_if(items.begin(), items.end(), [&](const QString& item) {
                return line.contains(item, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
            }));
        });
        testsupport::CollectingSink staged;
        rules::runTextSetsOverFile(path, items, ignoreCase, staged, path);
        EXPECT_EQ(staged.hits, expected) << "case off " << ignoreCase;
        TextSetRule rule(items, ignoreCase);
        EXPECT_EQ(rowsOf(text, [&](const QString& line) { return rule.hitsInLine(line, 1); }), expected)
            << "case off " << ignoreCase;
    }
}

} // namespace

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
        // Now and then an empty item, which every line but an empty one contains.
        for (int i = int(rng.bounded(12)) + 1; i > 0; --i)
            items.append(rng.bounded(20) == 0 ? QString() : word(3));
        QString text;
        for (int i = int(rng.bounded(30)); i > 0; --i)
            text += (rng.bounded(6) == 0 ? QString() : word(12)) + (rng.bounded(3) == 0 ? u"\r\n"_qs : u"\n"_qs);
        expectPlainSearchRows(text, items);
    }
    // A long list over a staged text of many lines.
    QStringList items;
    for (int i = 0; i < 1000; ++i)
        items.append(u"word%1;"_qs.arg(i));
    QString text = u"\r\n"_qs;
    for (int i = 0; i < 2000; ++i)
        text += u"line %1 has word%2; and WORD%3;\r\n"_qs.arg(i).arg(i % 1500).arg(i % 700);
    expectPlainSearchRows(text, items);
}

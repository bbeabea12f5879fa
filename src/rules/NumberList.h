#pragma once

#include "rules/LineRule.h"

#include <QList>
#include <unordered_set>

namespace core {
class Trap;
}

namespace rules {

// The number at the start of a text, as the run-time's Val reads it: blanks, tabs and line feeds are
// skipped anywhere, "&H" and "&O" prefixes read hexadecimal and octal; 0 when there is none.
double leadingNumber(const QString& text);

// Splits a list such as "1,3,4" at every "," and converts each entry to a 16-bit whole number (halves to
// even). An entry that does not convert is reported through the trap as the given statement and counts as
// the number its text starts with.
QList<double> parseNumberList(const QString& text, core::Trap& trap, int statement);

// "Extract Lines By Number:": a line is a hit when some entry's value equals its number, so each line is
// listed at most once, in the order of the text.
class LineNumberRule : public LineRule
{
public:
    explicit LineNumberRule(const QList<double>& entries);
    int hitsInLine(QStringView line, qint64 number) override;
    void scan(const LineBlock& block, LineHits& hits) override;
    bool numbersLines() const override { return true; }

private:
    bool listed(qint64 number) const { return m_numbers.count(number) > 0; }

    std::unordered_set<qint64> m_numbers;
    qint64 m_highest = 0;
};

} // namespace rules

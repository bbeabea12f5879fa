#pragma once

#include "rules/LineRule.h"
#include "rules/PatternSyntax.h"

#include <QByteArray>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace re2 {
class RE2;
} // namespace re2

namespace rules {

class ContainingRule;

// "Extract Lines Matching This Pattern": lines matching a grep -E pattern (see translateExtendedPattern), with
// RE2, which takes time linear in the text whatever the pattern. Without regard to case, letters of every
// script match in any case.
class PatternRule : public LineRule
{
public:
    PatternRule(const QString& pattern, bool ignoreCase);
    ~PatternRule() override;

    // Empty when the pattern compiles; else the message that says where and why it does not, and the rule
    // matches nothing.
    const QString& problem() const { return m_problem; }

    int hitsInLine(QStringView line, qint64 number) override;
    // Searches the whole block at once and widens each match to its line.
    void scan(const LineBlock& block, LineHits& hits) override;

private:
    // A needle of one byte, with the neighbours a match allows it, where the pattern has them.
    void chooseOneByteNeedle(const std::string& translated, bool ignoreCase);
    bool needlesFit(QByteArrayView lines) const;
    // Checks each line holding a needle, from a position on, until the lines to check come too thick.
    void scanCandidates(QByteArrayView lines, LineHits& hits);
    // Returns how many lines hit.
    qsizetype scanWhole(QByteArrayView lines, qsizetype from, LineHits& hits);

    std::unique_ptr<re2::RE2> m_pattern;
    // Texts of which every matching line holds at least one (ASCII, lower-cased when they hold letters); empty
    // when no such texts were found.
    std::vector<std::string> m_needles;
    std::optional<ByteNeighbours> m_neighbours; // of a one-byte needle
    bool m_needlesHaveLetters = false;
    bool m_needlesFoldFromNonAscii = false; // and so are not found in a block that holds the letters they fold from
    std::unique_ptr<ContainingRule> m_plainText; // for a pattern without operators
    QString m_problem;
    QByteArray m_withoutCr;            // scratch: a block without the CR of its line breaks
    QByteArray m_gathered;             // scratch: candidate lines to search at once, without CR
    bool m_checkEachCandidate = false; // as most candidates lately matched
    QByteArray m_utf8;                 // scratch: a line as UTF-8
};

} // namespace rules

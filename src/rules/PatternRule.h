#pragma once

#include "rules/LineRule.h"

#include <QByteArray>
#include <memory>

namespace re2 {
class RE2;
}

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
    std::unique_ptr<re2::RE2> m_pattern;
    std::unique_ptr<ContainingRule> m_plainText; // for a pattern without operators
    QString m_problem;
    QByteArray m_withoutCr; // scratch: a block without the CR of its line breaks
    QByteArray m_utf8;      // scratch: a line as UTF-8
};

} // namespace rules

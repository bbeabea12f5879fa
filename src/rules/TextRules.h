#pragma once

#include "rules/CaselessSearch.h"
#include "rules/LineRule.h"

#include <QByteArray>

namespace rules {

// "Extract All Email Data": every line is a hit, also an empty one.
class AllLinesRule : public LineRule
{
public:
    int hitsInLine(QStringView, qint64) override { return 1; }
    void scan(const LineBlock& block, LineHits& hits) override;
};

// Lines containing a text, or not containing it. Without regard to case, letters match when their simple
// case foldings are equal, for all of Unicode.
class ContainingRule : public LineRule
{
public:
    enum class Want { Containing, NotContaining };
    ContainingRule(const QString& needle, bool ignoreCase, Want want);

    int hitsInLine(QStringView line, qint64 number) override;
    void scan(const LineBlock& block, LineHits& hits) override;

private:
    enum class Search { Lines, Bytes, LoweredBytes, Caseless };
    Search searchFor(const LineBlock& block) const;
    template <class Find>
    void scanWith(QByteArrayView haystack, const LineBlock& block, LineHits& hits, Find find);

    Want m_want;
    QString m_needle;
    Qt::CaseSensitivity m_case;
    QByteArray m_needleBytes; // UTF-8, lower-cased when case is ignored (only for an ASCII needle)
    bool m_asciiNeedle = false;
    bool m_utf8Exact = false;         // the needle survives UTF-8 encoding unchanged
    bool m_foldsFromNonAscii = false; // K and S have non-ASCII letters (KELVIN SIGN, LONG S) folding to them
    QByteArray m_lowered;             // scratch copy of a block in lower case
    CaselessSearch m_caseless;        // any case beyond ASCII
};

// The byte search behind ContainingRule: calls found(lineStart, contentEnd) for each line of the haystack
// that holds the needle inside its content, and missed(runStart, runEnd) for each run of whole lines
// between them that do not, in order. Lines end with LF; a CR before it is not content.
template <class Found, class Missed>
void searchLines(QByteArrayView haystack, QByteArrayView needle, Found found, Missed missed);
// The same with any search: find(from) gives the first occurrence {start, end} starting at or after from,
// {nullptr, nullptr} when there is none.
template <class Find, class Found, class Missed>
void searchLinesWith(QByteArrayView haystack, Find find, Found found, Missed missed);

} // namespace rules

#include "rules/TextRules.inl"

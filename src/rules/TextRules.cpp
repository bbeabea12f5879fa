#include "rules/TextRules.h"

#include <algorithm>

namespace rules {

namespace {

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

void lowerAscii(QByteArrayView from, QByteArray& to)
{
    to.resize(from.size());
    const char* in = from.data();
    char* out = to.data();
    for (qsizetype i = 0; i < from.size(); ++i) {
        const char c = in[i];
        out[i] = static_cast<unsigned char>(c - 'A') < 26u ? char(c | 0x20) : c;
    }
}

} // namespace

void AllLinesRule::scan(const LineBlock& block, LineHits& hits)
{
    forEachLine(block, [&](QByteArrayView line, qint64) { hits.add(line, block.validUtf8); });
}

ContainingRule::ContainingRule(const QString& needle, bool ignoreCase, Want want)
    : m_want(want), m_needle(needle), m_case(ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive),
      m_asciiNeedle(isAscii(needle)), m_caseless(ignoreCase ? QStringView(needle) : QStringView())
{
    m_needleBytes = m_asciiNeedle && ignoreCase ? needle.toLower().toLatin1() : needle.toUtf8();
    m_utf8Exact = QString::fromUtf8(m_needleBytes) == needle;
    m_foldsFromNonAscii =
        ignoreCase && (needle.contains(u'k', Qt::CaseInsensitive) || needle.contains(u's', Qt::CaseInsensitive));
}

int ContainingRule::hitsInLine(QStringView line, qint64)
{
    const bool contains = line.indexOf(m_needle, 0, m_case) >= 0;
    return contains == (m_want == Want::Containing) ? 1 : 0;
}

ContainingRule::Search ContainingRule::searchFor(const LineBlock& block) const
{
    if (m_case == Qt::CaseSensitive)
        return m_asciiNeedle || (block.validUtf8 && m_utf8Exact) ? Search::Bytes : Search::Lines;
    // KELVIN SIGN folds to k and LONG S to s: a block holding them needs the folding search.
    if (m_asciiNeedle &&
        (!m_foldsFromNonAscii || (block.bytes.indexOf("\xE2\x84\xAA") < 0 && block.bytes.indexOf("\xC5\xBF") < 0)))
        return Search::LoweredBytes;
    return block.validUtf8 && m_caseless.usable() ? Search::Caseless : Search::Lines;
}

void ContainingRule::scan(const LineBlock& block, LineHits& hits)
{
    switch (searchFor(block)) {
    case Search::Lines:
        LineRule::scan(block, hits);
        return;
    case Search::Bytes:
        scanWith(block.bytes, block, hits, detail::needleFinder(block.bytes, m_needleBytes));
        return;
    case Search::LoweredBytes:
        lowerAscii(block.bytes, m_lowered);
        scanWith(m_lowered, block, hits, detail::needleFinder(m_lowered, m_needleBytes));
        return;
    case Search::Caseless: {
        const char* const begin = block.bytes.data();
        const char* const end = begin + block.bytes.size();
        scanWith(block.bytes, block, hits, [&](const char* from) -> std::pair<const char*, const char*> {
            const CaselessSearch::Match match = m_caseless.find(begin, from, end);
            return {match.start, match.end};
        });
        return;
    }
    }
}

template <class Find>
void ContainingRule::scanWith(QByteArrayView haystack, const LineBlock& block, LineHits& hits, Find find)
{
    // The haystack may be a lower-cased copy: offsets into it are offsets into the block.
    const char* base = haystack.data();
    const char* original = block.bytes.data();
    auto line = [&](const char* start, const char* contentEnd) {
        hits.add(QByteArrayView(original + (start - base), contentEnd - start), block.validUtf8);
    };
    auto lines = [&](const char* start, const char* runEnd) {
        hits.addLines(QByteArrayView(original + (start - base), runEnd - start), block.validUtf8);
    };
    auto ignore = [](const char*, const char*) {};
    if (m_want == Want::Containing)
        searchLinesWith(haystack, find, line, ignore);
    else
        searchLinesWith(haystack, find, ignore, lines);
}

} // namespace rules

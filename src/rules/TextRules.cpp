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
      m_asciiNeedle(isAscii(needle))
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

bool ContainingRule::canSearchBytes(const LineBlock& block) const
{
    if (m_case == Qt::CaseSensitive)
        return m_asciiNeedle || (block.validUtf8 && m_utf8Exact);
    if (!m_asciiNeedle)
        return false;
    // KELVIN SIGN folds to k and LONG S to s: a block holding them needs the letter-by-letter comparison.
    return !m_foldsFromNonAscii || (block.bytes.indexOf("\xE2\x84\xAA") < 0 && block.bytes.indexOf("\xC5\xBF") < 0);
}

void ContainingRule::scan(const LineBlock& block, LineHits& hits)
{
    if (!canSearchBytes(block)) {
        LineRule::scan(block, hits);
        return;
    }
    if (m_case == Qt::CaseInsensitive) {
        lowerAscii(block.bytes, m_lowered);
        scanBytes(m_lowered, block, hits);
    } else {
        scanBytes(block.bytes, block, hits);
    }
}

void ContainingRule::scanBytes(QByteArrayView haystack, const LineBlock& block, LineHits& hits)
{
    // The haystack may be a lower-cased copy: offsets into it are offsets into the block.
    const char* base = haystack.data();
    const char* original = block.bytes.data();
    auto hand = [&](const char* start, const char* contentEnd) {
        hits.add(QByteArrayView(original + (start - base), contentEnd - start), block.validUtf8);
    };
    auto ignore = [](const char*, const char*) {};
    if (m_want == Want::Containing)
        searchLines(haystack, m_needleBytes, hand, ignore);
    else
        searchLines(haystack, m_needleBytes, ignore, hand);
}

} // namespace rules

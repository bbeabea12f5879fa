#include "rules/CaselessSearch.h"

#include <QChar>
#include <algorithm>
#include <cstring>
#include <emmintrin.h>
#include <unordered_map>

namespace rules {

namespace {

bool isContinuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xc0) == 0x80;
}

// Decodes the code point at p of valid UTF-8.
char32_t decodeAt(const char* p, int& length)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    if (u[0] < 0x80) {
        length = 1;
        return u[0];
    }
    if (u[0] < 0xe0) {
        length = 2;
        return char32_t(u[0] & 0x1f) << 6 | (u[1] & 0x3f);
    }
    if (u[0] < 0xf0) {
        length = 3;
        return char32_t(u[0] & 0x0f) << 12 | char32_t(u[1] & 0x3f) << 6 | (u[2] & 0x3f);
    }
    length = 4;
    return char32_t(u[0] & 0x07) << 18 | char32_t(u[1] & 0x3f) << 12 | char32_t(u[2] & 0x3f) << 6 | (u[3] & 0x3f);
}

char lastUtf8Byte(char32_t c)
{
    return c < 0x80 ? char(c) : char(0x80 | (c & 0x3f));
}

// Every code point that folds to another, listed under its folding; built once, from Qt's own tables.
const std::unordered_map<char32_t, std::vector<char32_t>>& unfoldings()
{
    static const auto table = [] {
        std::unordered_map<char32_t, std::vector<char32_t>> t;
        for (char32_t c = 0; c <= 0x10ffff; ++c) {
            if (c >= 0xd800 && c < 0xe000)
                continue;
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded != c)
                t[folded].push_back(c);
        }
        return t;
    }();
    return table;
}

// How often a byte turns up in mail text, roughly: spaces and lower-case letters most, then the lead byte of
// Latin letters with accents, capitals and digits; other continuation bytes are rare.
int byteFrequency(unsigned char b)
{
    static constexpr char kCommonFirst[] = " etaoinsrhldcumfpgwybvkxjqz";
    if (const char* at = std::strchr(kCommonFirst, b); b != 0 && at)
        return 100 - int(at - kCommonFirst) * 3;
    if (b == 0xc3 || b == 0xd0 || b == 0xd1)
        return 40;
    if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '\r' || b == '\n')
        return 12;
    if (b < 0x80)
        return 6;
    return b < 0xc0 ? 3 : 8;
}

// The first byte in [p, end) equal to one of count (1 to 4) bytes, or nullptr.
const char* findAnyByte(const char* p, const char* end, const std::array<char, 4>& bytes, int count)
{
    if (count == 1)
        return static_cast<const char*>(std::memchr(p, bytes[0], std::size_t(end - p)));
    const __m128i b0 = _mm_set1_epi8(bytes[0]);
    const __m128i b1 = _mm_set1_epi8(bytes[1]);
    const __m128i b2 = _mm_set1_epi8(bytes[count > 2 ? 2 : 1]);
    const __m128i b3 = _mm_set1_epi8(bytes[count > 3 ? 3 : 1]);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, b0), _mm_cmpeq_epi8(v, b1)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, b2), _mm_cmpeq_epi8(v, b3)));
        if (const int mask = _mm_movemask_epi8(hit))
            return p + __builtin_ctz(unsigned(mask));
    }
    for (; p < end; ++p) {
        if (std::find(bytes.begin(), bytes.begin() + count, *p) != bytes.begin() + count)
            return p;
    }
    return nullptr;
}

} // namespace

CaselessSearch::CaselessSearch(QStringView needle)
{
    std::vector<char32_t> folded;
    std::vector<bool> wide;
    for (qsizetype i = 0; i < needle.size(); ++i) {
        char32_t c = needle[i].unicode();
        if (c == u'\n')
            return;
        if (QChar::isSurrogate(c)) {
            if (!QChar::isHighSurrogate(c) || i + 1 >= needle.size() || !needle[i + 1].isLowSurrogate())
                return;
            c = QChar::surrogateToUcs4(needle[i], needle[i + 1]);
            ++i;
        }
        folded.push_back(QChar::toCaseFolded(c));
        wide.push_back(c > 0xffff);
    }
    int bestFrequency = 0;
    bool found = false;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        std::vector<char32_t> variants{folded[i]};
        if (const auto it = unfoldings().find(folded[i]); it != unfoldings().end())
            variants.insert(variants.end(), it->second.begin(), it->second.end());
        std::array<char, 4> bytes{};
        int count = 0;
        bool fits = true;
        for (char32_t v : variants) {
            if ((v > 0xffff) != wide[i])
                continue;
            const char last = lastUtf8Byte(v);
            if (std::find(bytes.begin(), bytes.begin() + count, last) != bytes.begin() + count)
                continue;
            if (count == 4) {
                fits = false;
                break;
            }
            bytes[size_t(count++)] = last;
        }
        int frequency = 0;
        for (int b = 0; b < count; ++b)
            frequency += byteFrequency(static_cast<unsigned char>(bytes[size_t(b)]));
        if (fits && count > 0 && (!found || frequency < bestFrequency)) {
            found = true;
            bestFrequency = frequency;
            m_anchor = i;
            m_anchorBytes = bytes;
            m_anchorByteCount = count;
        }
    }
    if (found) {
        m_folded = std::move(folded);
        m_wide = std::move(wide);
    }
}

bool CaselessSearch::matchesAt(std::size_t index, char32_t codePoint) const
{
    return QChar::toCaseFolded(codePoint) == m_folded[index] && (codePoint > 0xffff) == m_wide[index];
}

CaselessSearch::Match CaselessSearch::find(const char* begin, const char* from, const char* end) const
{
    for (const char* candidate = from; candidate < end; ++candidate) {
        candidate = findAnyByte(candidate, end, m_anchorBytes, m_anchorByteCount);
        if (!candidate)
            return {};
        // The candidate must end the code point it belongs to, and that code point must be the anchor letter.
        const char* anchor = candidate;
        while (anchor > begin && candidate - anchor < 3 && isContinuation(*anchor))
            --anchor;
        int length = 0;
        const char32_t codePoint = decodeAt(anchor, length);
        if (anchor + length - 1 != candidate || !matchesAt(m_anchor, codePoint))
            continue;
        const char* start = anchor;
        bool matched = true;
        for (std::size_t i = m_anchor; matched && i-- > 0;) {
            if (start == begin) {
                matched = false;
                break;
            }
            --start;
            while (start > begin && isContinuation(*start))
                --start;
            matched = matchesAt(i, decodeAt(start, length));
        }
        if (!matched || start < from)
            continue;
        const char* stop = candidate + 1;
        for (std::size_t i = m_anchor + 1; matched && i < m_folded.size(); ++i) {
            if (stop >= end) {
                matched = false;
                break;
            }
            matched = matchesAt(i, decodeAt(stop, length));
            stop += length;
        }
        if (matched)
            return {start, stop};
    }
    return {};
}

} // namespace rules

#include "rules/AddressRule.h"

#include <array>
#include <cstring>

namespace rules {

namespace {

enum : unsigned char { kLetter = 1, kDigit = 2, kAtomMark = 4 };

// The classes of the ASCII characters; other characters are classed by Unicode.
constexpr std::array<unsigned char, 128> kAscii = [] {
    std::array<unsigned char, 128> table{};
    for (int c = 'a'; c <= 'z'; ++c)
        table[size_t(c)] = table[size_t(c - 'a' + 'A')] = kLetter;
    for (int c = '0'; c <= '9'; ++c)
        table[size_t(c)] = kDigit;
    for (const char c : {'_', '%', '+', '-'})
        table[size_t(c)] = kAtomMark;
    return table;
}();

// Marks count as letters: the accents of decomposed text and the vowel signs of many scripts are marks.
bool isLetter(char32_t c)
{
    return c < 0x80 ? (kAscii[c] & kLetter) != 0 : QChar::isLetter(c) || QChar::isMark(c);
}

bool isLetterOrDigit(char32_t c)
{
    return c < 0x80 ? (kAscii[c] & (kLetter | kDigit)) != 0 : QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isAtomCharacter(char32_t c)
{
    return c < 0x80 ? kAscii[c] != 0 : isLetterOrDigit(c);
}

struct CodePoint
{
    char32_t value;
    int size;
};

// The code point at p; a byte that begins no valid sequence reads as U+FFFD of one byte, which no class holds.
CodePoint decodeAt(const char* p, const char* end)
{
    const auto lead = static_cast<unsigned char>(*p);
    if (lead < 0x80)
        return {lead, 1};
    const int size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (size == 1 || end - p < size)
        return {0xFFFD, 1};
    char32_t value = lead & (0x7F >> size);
    for (int i = 1; i < size; ++i) {
        const auto next = static_cast<unsigned char>(p[i]);
        if ((next & 0xC0) != 0x80)
            return {0xFFFD, 1};
        value = value << 6 | (next & 0x3F);
    }
    return {value, size};
}

// The code point that ends at p.
CodePoint decodeBefore(const char* begin, const char* p)
{
    const char* q = p - 1;
    while (q > begin && p - q < 4 && (static_cast<unsigned char>(*q) & 0xC0) == 0x80)
        --q;
    const CodePoint c = decodeAt(q, p);
    return c.size == p - q ? c : CodePoint{0xFFFD, 1};
}

// Where the longest local part that ends at the "@" begins, not before from; -1 when there is none.
qsizetype localStart(const char* base, qsizetype from, qsizetype at)
{
    qsizetype start = -1;
    bool afterDot = true; // as after a dot: the local part cannot end with one
    for (qsizetype q = at; q > from;) {
        const CodePoint c = decodeBefore(base + from, base + q);
        if (c.value == '.') {
            if (afterDot)
                break;
            afterDot = true;
            --q;
            continue;
        }
        if (!isAtomCharacter(c.value))
            break;
        q -= c.size;
        start = q;
        afterDot = false;
    }
    return start;
}

// Where the longest domain that begins at p ends; -1 when there is none.
qsizetype domainEnd(const char* base, qsizetype p, qsizetype size)
{
    const char* const end = base + size;
    qsizetype domainEnd = -1;
    for (;;) {
        const qsizetype labelStart = p;
        while (p < size) {
            const CodePoint c = decodeAt(base + p, end);
            if (c.value != '-' && !isLetterOrDigit(c.value))
                break;
            p += c.size;
        }
        if (p == labelStart || base[labelStart] == '-' || base[p - 1] == '-' || p == size || base[p] != '.')
            return domainEnd;
        ++p;
        // The letters after a label's dot may end the domain; the longest such end counts.
        qsizetype q = p;
        int letters = 0;
        while (q < size) {
            const CodePoint c = decodeAt(base + q, end);
            if (!isLetter(c.value))
                break;
            q += c.size;
            ++letters;
        }
        if (letters >= 2)
            domainEnd = q;
    }
}

} // namespace

std::optional<AddressSpan> nextAddress(QByteArrayView text, qsizetype from)
{
    const char* const base = text.data();
    const qsizetype size = text.size();
    for (qsizetype search = from; search < size;) {
        const auto* found = static_cast<const char*>(memchr(base + search, '@', size_t(size - search)));
        if (!found)
            break;
        const qsizetype at = found - base;
        if (const qsizetype start = localStart(base, from, at); start >= 0) {
            if (const qsizetype end = domainEnd(base, at + 1, size); end >= 0)
                return AddressSpan{start, end};
        }
        search = at + 1;
    }
    return std::nullopt;
}

int AddressRule::hitsInLine(QStringView line, qint64)
{
    m_utf8 = line.toUtf8();
    int count = 0;
    for (auto span = nextAddress(m_utf8, 0); span; span = nextAddress(m_utf8, span->end))
        ++count;
    return count;
}

void AddressRule::scan(const LineBlock& block, LineHits& hits)
{
    if (!block.validUtf8) {
        // Lines that are not UTF-8 are read as Windows-1252, as every rule reads them.
        forEachLine(block, [&](QByteArrayView bytes, qint64 number) {
            decodeInto(m_line, bytes, false);
            scanLine(m_line, number, hits);
        });
        return;
    }
    for (auto span = nextAddress(block.bytes, 0); span; span = nextAddress(block.bytes, span->end))
        hits.add(block.bytes.sliced(span->start, span->end - span->start), true);
}

void AddressRule::scanLine(QStringView line, qint64, LineHits& hits)
{
    m_utf8 = line.toUtf8();
    for (auto span = nextAddress(m_utf8, 0); span; span = nextAddress(m_utf8, span->end))
        hits.add(QString::fromUtf8(QByteArrayView(m_utf8).sliced(span->start, span->end - span->start)));
}

} // namespace rules

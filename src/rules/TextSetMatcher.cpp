#include "rules/TextSetMatcher.h"

#include <QChar>
#include <algorithm>
#include <deque>

namespace rules {

namespace {

// Automata beyond this many transitions (4 bytes each) are not built; the list is searched item by item.
constexpr std::size_t kMaxTransitions = std::size_t(1) << 24;

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

// Simple case folding per code point, as QString compares without regard to case.
QString folded(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        const char32_t f = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(f)) {
            out.append(QChar(QChar::highSurrogate(f)));
            out.append(QChar(QChar::lowSurrogate(f)));
        } else {
            out.append(QChar(char16_t(f)));
        }
    }
    return out;
}

bool hasNonAscii(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

TextSetMatcher::TextSetMatcher(const QStringList& items, bool ignoreCase) : m_ignoreCase(ignoreCase)
{
    QList<QByteArray> patterns;
    patterns.reserve(items.size());
    for (const QString& item : items) {
        if (hasLoneSurrogate(item)) {
            m_usable = false;
            return;
        }
        if (item.isEmpty())
            ++m_emptyItems;
        QByteArray bytes = (ignoreCase ? folded(item) : item).toUtf8();
        m_nonAsciiItems = m_nonAsciiItems || hasNonAscii(bytes);
        patterns.append(std::move(bytes));
    }
    m_seen.assign(std::size_t(items.size()), 0);
    build(patterns);
}

void TextSetMatcher::build(const QList<QByteArray>& patterns)
{
    if (!assignClasses(patterns)) {
        m_usable = false;
        return;
    }
    Trie trie = buildTrie(patterns);
    indexItemEnds(trie);
    linkFailures(trie);
    packTransitions(trie);
}

bool TextSetMatcher::assignClasses(const QList<QByteArray>& patterns)
{
    // Byte classes: one per byte that occurs in an item, and class 0 for all others; without regard to
    // case, an upper-case ASCII letter shares the class of its lower-case one (items are folded already).
    bool used[256] = {};
    std::size_t maxStates = 1;
    for (const QByteArray& p : patterns) {
        if (p.contains('\n'))
            continue; // a line never holds a line feed
        for (char b : p)
            used[static_cast<unsigned char>(b)] = true;
        maxStates += std::size_t(p.size());
    }
    for (int b = 0; b < 256; ++b)
        m_class[b] = used[b] ? std::uint8_t(m_classes++) : 0;
    if (m_ignoreCase) {
        for (int b = 'A'; b <= 'Z'; ++b)
            m_class[b] = m_class[b | 0x20];
    }
    return maxStates * std::size_t(m_classes) <= kMaxTransitions;
}

TextSetMatcher::Trie TextSetMatcher::buildTrie(const QList<QByteArray>& patterns) const
{
    const auto classes = std::size_t(m_classes);
    Trie trie;
    trie.edges.assign(classes, -1);
    for (qsizetype id = 0; id < patterns.size(); ++id) {
        const QByteArray& p = patterns[id];
        if (p.isEmpty() || p.contains('\n'))
            continue;
        std::int32_t node = 0;
        for (char b : p) {
            const std::size_t slot = std::size_t(node) * classes + m_class[static_cast<unsigned char>(b)];
            if (trie.edges[slot] < 0) {
                trie.edges[slot] = trie.states++;
                trie.edges.resize(std::size_t(trie.states) * classes, -1);
            }
            node = trie.edges[slot];
        }
        trie.ends.emplace_back(node, std::uint32_t(id));
    }
    return trie;
}

void TextSetMatcher::indexItemEnds(Trie& trie)
{
    std::sort(trie.ends.begin(), trie.ends.end());
    m_idsBegin.assign(std::size_t(trie.states) + 1, 0);
    for (const auto& [node, id] : trie.ends) {
        ++m_idsBegin[std::size_t(node) + 1];
        m_ids.push_back(id);
    }
    for (std::size_t s = 1; s < m_idsBegin.size(); ++s)
        m_idsBegin[s] += m_idsBegin[s - 1];
}

bool TextSetMatcher::ownsItems(std::int32_t state) const
{
    return m_idsBegin[std::size_t(state)] != m_idsBegin[std::size_t(state) + 1];
}

void TextSetMatcher::linkFailures(Trie& trie)
{
    // Breadth first; missing edges become the failure state's edges.
    const auto classes = std::size_t(m_classes);
    std::vector<std::int32_t>& edges = trie.edges;
    std::vector<std::int32_t> fail(std::size_t(trie.states), 0);
    m_dictLink.assign(std::size_t(trie.states), -1);
    std::deque<std::int32_t> queue;
    for (std::size_t c = 0; c < classes; ++c) {
        if (edges[c] < 0)
            edges[c] = 0;
        else
            queue.push_back(edges[c]);
    }
    while (!queue.empty()) {
        const std::int32_t u = queue.front();
        queue.pop_front();
        const std::size_t row = std::size_t(u) * classes;
        const std::size_t failRow = std::size_t(fail[std::size_t(u)]) * classes;
        for (std::size_t c = 0; c < classes; ++c) {
            const std::int32_t v = edges[row + c];
            if (v < 0) {
                edges[row + c] = edges[failRow + c];
                continue;
            }
            const std::int32_t f = edges[failRow + c];
            fail[std::size_t(v)] = f;
            m_dictLink[std::size_t(v)] = ownsItems(f) ? f : m_dictLink[std::size_t(f)];
            queue.push_back(v);
        }
    }
}

void TextSetMatcher::packTransitions(const Trie& trie)
{
    const auto classes = std::size_t(m_classes);
    m_next.resize(trie.edges.size());
    for (std::size_t i = 0; i < trie.edges.size(); ++i) {
        const std::int32_t t = trie.edges[i];
        const bool output = ownsItems(t) || m_dictLink[std::size_t(t)] >= 0;
        m_next[i] = std::uint32_t(std::size_t(t) * classes) | (output ? kOutput : 0);
    }
}

void TextSetMatcher::startLine()
{
    if (++m_stamp == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_stamp = 1;
    }
    m_count = 0;
}

void TextSetMatcher::collect(std::uint32_t node)
{
    for (std::int32_t s = std::int32_t(node); s >= 0; s = m_dictLink[std::size_t(s)]) {
        for (std::uint32_t k = m_idsBegin[std::size_t(s)]; k < m_idsBegin[std::size_t(s) + 1]; ++k) {
            const std::uint32_t id = m_ids[k];
            if (m_seen[id] != m_stamp) {
                m_seen[id] = m_stamp;
                ++m_count;
            }
        }
    }
}

int TextSetMatcher::countInLine(QStringView line)
{
    if (line.isEmpty())
        return 0;
    m_lineBytes = m_ignoreCase ? folded(line).toUtf8() : line.toUtf8();
    startLine();
    const auto* h = reinterpret_cast<const unsigned char*>(m_lineBytes.constData());
    const std::uint32_t classes = std::uint32_t(m_classes);
    std::uint32_t state = 0;
    for (qsizetype i = 0; i < m_lineBytes.size(); ++i) {
        state = m_next[state + m_class[h[i]]];
        if (state & kOutput) {
            state &= ~kOutput;
            collect(state / classes);
        }
    }
    return m_count + m_emptyItems;
}

bool TextSetMatcher::needsFoldedCopy(QByteArrayView block) const
{
    if (!m_ignoreCase)
        return false;
    if (m_nonAsciiItems)
        return hasNonAscii(block);
    // ASCII items: only KELVIN SIGN and LONG S fold to ASCII letters.
    return block.indexOf("\xE2\x84\xAA") >= 0 || block.indexOf("\xC5\xBF") >= 0;
}

void TextSetMatcher::foldInto(QByteArray& out, QByteArrayView block) const
{
    out.clear();
    out.reserve(block.size() + block.size() / 4 + 16);
    const auto* p = reinterpret_cast<const unsigned char*>(block.data());
    const qsizetype n = block.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype run = i;
        while (i < n && p[i] < 0x80)
            ++i;
        out.append(block.sliced(run, i - run));
        if (i >= n)
            break;
        const unsigned char lead = p[i];
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 1 || i + length > n) {
            out.append(char(lead)); // not UTF-8: kept as it is
            ++i;
            continue;
        }
        char32_t c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (p[i + k] & 0x3F);
        appendUtf8(out, QChar::toCaseFolded(c));
        i += length;
    }
}

} // namespace rules

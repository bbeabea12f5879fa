#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

namespace rules {

// Finds, for a line, how many items of a text-set list it contains, all items at once: an Aho-Corasick
// automaton over UTF-8 bytes. Without regard to case, items and text are compared by the simple case folding
// of each code point (as QString's case-insensitive search does), ASCII letters folded by the automaton's
// byte classes, other letters by folding the text first when it holds any that matter.
// An empty item is found in every line that is not empty.
class TextSetMatcher
{
public:
    TextSetMatcher(const QStringList& items, bool ignoreCase);

    // False when the items cannot be matched as UTF-8 (a lone surrogate) or the automaton would be too big;
    // the caller then searches item by item.
    bool usable() const { return m_usable; }
    // Whether scanBlock may be used: an empty item has to be counted in every line, line by line.
    bool searchesBlocks() const { return m_usable && m_emptyItems == 0; }

    int countInLine(QStringView line);

    // Calls onLine(content, count) for each line of the block (valid UTF-8, every line ended by LF, a CR
    // before the LF not being content) that contains at least one item, in order.
    template <class OnLine>
    void scanBlock(QByteArrayView block, OnLine onLine);

private:
    // The automaton while it is built: edges per state and byte class (-1 for none), and the (state, item)
    // pairs where items end.
    struct Trie
    {
        std::vector<std::int32_t> edges;
        std::vector<std::pair<std::int32_t, std::uint32_t>> ends;
        std::int32_t states = 1;
    };

    void build(const QList<QByteArray>& patterns);
    // False when the automaton would be too big.
    bool assignClasses(const QList<QByteArray>& patterns);
    Trie buildTrie(const QList<QByteArray>& patterns) const;
    void indexItemEnds(Trie& trie);
    void linkFailures(Trie& trie);
    void packTransitions(const Trie& trie);
    bool ownsItems(std::int32_t state) const;
    bool needsFoldedCopy(QByteArrayView block) const;
    void foldInto(QByteArray& out, QByteArrayView block) const;
    void startLine();
    // Adds the items ending at node to the current line's count, each item once per line.
    void collect(std::uint32_t node);

    bool m_usable = true;
    bool m_ignoreCase;
    bool m_nonAsciiItems = false;
    int m_emptyItems = 0;
    int m_classes = 1;
    std::uint8_t m_class[256] = {};
    // Transitions, as the target's row offset (state * m_classes) with kOutput set when items end there.
    std::vector<std::uint32_t> m_next;
    std::vector<std::int32_t> m_dictLink;  // per state: the nearest shorter suffix state where items end
    std::vector<std::uint32_t> m_idsBegin; // per state: its items in m_ids, from here to the next state's begin
    std::vector<std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_seen; // per item: the line stamp when last counted
    std::uint32_t m_stamp = 0;
    int m_count = 0;
    QByteArray m_folded;    // scratch
    QByteArray m_lineBytes; // scratch

    static constexpr std::uint32_t kOutput = 0x80000000u;
};

} // namespace rules

#include "rules/TextSetMatcher.inl"

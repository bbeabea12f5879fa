#pragma once

#include <QString>
#include <boost/unordered/unordered_flat_set.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace results {

// A strong 64-bit hash of bytes (128-bit multiply-and-fold mixing, 16 bytes a step).
std::uint64_t hashBytes(std::string_view bytes);

// A text as the index's bytes: its UTF-8 when it has one, else (an unpaired surrogate) its UTF-16 units
// behind a 0xFF byte, which no UTF-8 holds; scratch holds the bytes. decodeText turns them back.
std::string_view encodeText(QStringView text, std::string& scratch);
QString decodeText(std::string_view bytes);

// Distinct byte strings, each stored once in an arena and numbered in the order first seen. The hash set
// holds only the numbers: a lookup hashes the bytes once and compares them only with texts that share the
// hash's bits, so telling a duplicate costs the same at ten texts as at ten million, and no text is held twice.
class TextIndex
{
public:
    using Id = std::uint32_t;

    TextIndex();
    TextIndex(const TextIndex&) = delete;
    TextIndex& operator=(const TextIndex&) = delete;

    // The number of these bytes, stored first when they are new (inserted then tells so).
    Id insert(std::string_view bytes, bool* inserted = nullptr);
    std::string_view at(Id id) const;
    std::size_t size() const { return m_offsets.size(); }
    void clear();
    // What the index holds in memory: arena, numbers and hash slots.
    std::size_t memoryBytes() const;

private:
    struct Probe
    {
        std::string_view bytes;
        std::uint64_t hash;
    };
    struct Hash
    {
        using is_transparent = void;
        using is_avalanching = void;
        const TextIndex* index;
        std::size_t operator()(Id id) const { return index->hashOf(id); }
        std::size_t operator()(const Probe& probe) const { return probe.hash; }
    };
    struct Equal
    {
        using is_transparent = void;
        const TextIndex* index;
        bool operator()(Id a, Id b) const { return a == b; }
        bool operator()(Id a, const Probe& b) const { return index->at(a) == b.bytes; }
        bool operator()(const Probe& a, Id b) const { return a.bytes == index->at(b); }
    };

    std::uint64_t hashOf(Id id) const { return id == m_pendingId ? m_pendingHash : hashBytes(at(id)); }
    std::uint64_t store(std::string_view bytes);

    static constexpr std::size_t kChunkBytes = std::size_t(1) << 20;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<std::size_t> m_chunkSizes;
    std::size_t m_used = 0;               // in the last chunk
    std::vector<std::uint64_t> m_offsets; // per id: chunk << 32 | offset of its length prefix
    boost::unordered_flat_set<Id, Hash, Equal> m_set;
    // The hash of the text being inserted, so the set does not hash it a second time.
    Id m_pendingId = ~Id(0);
    std::uint64_t m_pendingHash = 0;
};

} // namespace results

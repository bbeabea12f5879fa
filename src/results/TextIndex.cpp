#include "results/TextIndex.h"

#include <QStringEncoder>
#include <cstring>

namespace results {

namespace {

std::uint64_t fold(std::uint64_t a, std::uint64_t b)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return std::uint64_t(product) ^ std::uint64_t(product >> 64);
}

std::uint64_t read64(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t read32(const char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

constexpr std::uint64_t kSeed0 = 0xa0761d6478bd642full;
constexpr std::uint64_t kSeed1 = 0xe7037ed1a0b428dbull;
constexpr std::uint64_t kSeed2 = 0x8ebc6af09c88c6e3ull;

// Lengths are stored before each text as 7-bit groups, low first: one byte for texts under 128 bytes.
std::size_t putLength(char* out, std::size_t length)
{
    std::size_t n = 0;
    while (length >= 0x80) {
        out[n++] = char((length & 0x7f) | 0x80);
        length >>= 7;
    }
    out[n++] = char(length);
    return n;
}

} // namespace

std::uint64_t hashBytes(std::string_view bytes)
{
    const char* p = bytes.data();
    const std::size_t length = bytes.size();
    std::uint64_t seed = fold(kSeed0 ^ length, kSeed1);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (length <= 16) {
        if (length >= 8) {
            a = read64(p);
            b = read64(p + length - 8);
        } else if (length >= 4) {
            a = read32(p);
            b = read32(p + length - 4);
        } else if (length > 0) {
            a = std::uint64_t(std::uint8_t(p[0])) << 16 | std::uint64_t(std::uint8_t(p[length / 2])) << 8 |
                std::uint8_t(p[length - 1]);
        }
    } else {
        std::size_t left = length;
        while (left > 16) {
            seed = fold(read64(p) ^ kSeed1, read64(p + 8) ^ seed);
            p += 16;
            left -= 16;
        }
        a = read64(p + left - 16);
        b = read64(p + left - 8);
    }
    return fold(kSeed2 ^ length, fold(a ^ kSeed1, b ^ seed));
}

std::string_view encodeText(QStringView text, std::string& scratch)
{
    const char16_t* units = text.utf16();
    const qsizetype n = text.size();
    bool unpaired = false;
    for (qsizetype i = 0; i < n && !unpaired; ++i) {
        if ((units[i] & 0xf800) != 0xd800)
            continue;
        if (units[i] < 0xdc00 && i + 1 < n && (units[i + 1] & 0xfc00) == 0xdc00)
            ++i;
        else
            unpaired = true;
    }
    if (unpaired) {
        scratch.resize(1 + std::size_t(n) * 2);
        scratch[0] = '\xff';
        std::memcpy(scratch.data() + 1, units, std::size_t(n) * 2);
        return scratch;
    }
    scratch.resize(std::size_t(n) * 3);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const char* end = encoder.appendToBuffer(scratch.data(), text);
    return {scratch.data(), std::size_t(end - scratch.data())};
}

QString decodeText(std::string_view bytes)
{
    if (!bytes.empty() && bytes.front() == '\xff') {
        QString text(qsizetype(bytes.size() - 1) / 2, Qt::Uninitialized);
        std::memcpy(text.data(), bytes.data() + 1, std::size_t(text.size()) * 2);
        return text;
    }
    return QString::fromUtf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

TextIndex::TextIndex() : m_set(0, Hash{this}, Equal{this}) {}

std::string_view TextIndex::at(Id id) const
{
    const std::uint64_t offset = m_offsets[id];
    const char* p = m_chunks[offset >> 32].get() + (offset & 0xffffffffu);
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = std::uint8_t(*p++);
        length |= std::size_t(byte & 0x7f) << shift;
        if (byte < 0x80)
            break;
    }
    return {p, length};
}

std::uint64_t TextIndex::store(std::string_view bytes)
{
    const std::size_t need = bytes.size() + 10;
    if (m_chunks.empty() || m_chunkSizes.back() - m_used < need) {
        const std::size_t size = std::max(kChunkBytes, need);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_chunkSizes.push_back(size);
        m_used = 0;
    }
    char* start = m_chunks.back().get() + m_used;
    const std::size_t prefix = putLength(start, bytes.size());
    if (!bytes.empty())
        std::memcpy(start + prefix, bytes.data(), bytes.size());
    const std::uint64_t offset = std::uint64_t(m_chunks.size() - 1) << 32 | m_used;
    m_used += prefix + bytes.size();
    return offset;
}

TextIndex::Id TextIndex::insert(std::string_view bytes, bool* inserted)
{
    const Probe probe{bytes, hashBytes(bytes)};
    const auto found = m_set.find(probe);
    if (inserted)
        *inserted = found == m_set.end();
    if (found != m_set.end())
        return *found;
    const auto id = Id(m_offsets.size());
    m_offsets.push_back(store(bytes));
    m_pendingId = id;
    m_pendingHash = probe.hash;
    m_set.insert(id);
    m_pendingId = ~Id(0);
    return id;
}

void TextIndex::clear()
{
    // A new set, not clear(): clear keeps the slots of the biggest list seen.
    m_set = decltype(m_set)(0, Hash{this}, Equal{this});
    m_offsets.clear();
    m_offsets.shrink_to_fit();
    m_chunks.clear();
    m_chunkSizes.clear();
    m_used = 0;
}

std::size_t TextIndex::memoryBytes() const
{
    std::size_t bytes = m_offsets.capacity() * sizeof(std::uint64_t);
    for (std::size_t size : m_chunkSizes)
        bytes += size;
    // Each slot holds an id; each group of 15 slots has 16 bytes of metadata.
    return bytes + m_set.bucket_count() * sizeof(Id) + m_set.bucket_count() / 15 * 16;
}

} // namespace results

#pragma once

#include <QStringView>
#include <array>
#include <vector>

namespace rules {

// Finds a needle in valid UTF-8 without regard to case, with the meaning of QString's case-insensitive
// search: code points match when their simple case foldings are equal. Each letter has few case variants
// (Ü/ü, ß/ẞ, k/K/KELVIN SIGN), so the search looks for the last byte of any variant of the needle's rarest
// letter and checks the text around each candidate by decoding and folding: the work follows the
// candidates, not the lines, and no text is folded or copied.
class CaselessSearch
{
public:
    // Not usable() for an empty needle, one holding an unpaired surrogate or a line break, or one whose every
    // letter has variants ending in more than four different bytes.
    explicit CaselessSearch(QStringView needle);
    bool usable() const { return !m_folded.empty(); }

    struct Match
    {
        const char* start = nullptr; // nullptr when there is none
        const char* end = nullptr;
    };
    // The first match in [begin, end) that starts at or after from; begin bounds the look back.
    Match find(const char* begin, const char* from, const char* end) const;

private:
    bool matchesAt(std::size_t index, char32_t codePoint) const;

    std::vector<char32_t> m_folded; // the needle's code points, folded
    std::vector<bool> m_wide;       // per code point: outside the BMP (a variant must be too, as in UTF-16)
    std::size_t m_anchor = 0;       // the letter whose variants' last bytes are searched for
    std::array<char, 4> m_anchorBytes{};
    int m_anchorByteCount = 0;
};

} // namespace rules

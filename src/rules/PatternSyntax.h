#pragma once

#include <QString>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rules {

// Why a pattern cannot be used, and the character (counted from 0) where it goes wrong.
struct PatternProblem
{
    qsizetype at = 0;
    QString why;
};

// A pattern written for grep -E, in RE2's syntax over UTF-8 text where lines end with LF.
struct TranslatedPattern
{
    std::string re2;
    std::vector<qsizetype> origins; // per byte of re2: the pattern's character it came from
    std::optional<PatternProblem> problem;
};

// Reads a POSIX extended regular expression as GNU grep -E does in a UTF-8 locale: ^ and $ anchor at line
// ends, a repetition with nothing before it repeats nothing, "{" that begins no interval and an unmatched ")"
// are themselves, a backslash inside brackets is itself, and the character classes ([:alpha:], \w, \s) take
// in the letters and spaces of every script. Added: \d and \D for ASCII digits. \b, \B, \< and \> are word
// boundaries of ASCII words. Back-references are refused, as RE2 cannot match them in linear time.
TranslatedPattern translateExtendedPattern(const QString& pattern);

// The bytes that may stand just before and just after an ASCII byte (in either case, for a letter) wherever a
// match holds it: a line in which no occurrence of the byte has such neighbours on both sides cannot match.
// The start of a line counts as a line feed before it.
struct ByteNeighbours
{
    std::bitset<256> before; // all bytes where the byte may begin a match
    std::bitset<256> after;  // all bytes where it may end one
};

// The neighbours of a byte in the matches of a translation, found from the pattern's structure and erring only
// towards more bytes; none when the translation holds something not understood here or the byte may stand
// anywhere.
std::optional<ByteNeighbours> neighboursInMatches(std::string_view translated, char byte, bool ignoreCase);

} // namespace rules

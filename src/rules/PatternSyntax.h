#pragma once

#include <QString>
#include <optional>
#include <string>
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

} // namespace rules

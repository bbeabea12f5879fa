#pragma once

#include <cstring>
#include <utility>

namespace rules {

namespace detail {
// Calls f(start, contentEnd) for every line in [p, end).
template <class F>
void eachLineIn(const char* p, const char* end, F f)
{
    while (p < end) {
        const auto* lf = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
        f(p, lf > p && lf[-1] == '\r' ? lf - 1 : lf);
        p = lf + 1;
    }
}
} // namespace detail

template <class Find, class Found, class Missed>
void searchLinesWith(QByteArrayView haystack, Find find, Found found, Missed missed)
{
    const char* const begin = haystack.data();
    const char* const end = begin + haystack.size();
    const char* next = begin; // the first line not yet handed on
    const char* searchFrom = begin;
    while (searchFrom < end) {
        const auto [hit, hitEnd] = find(searchFrom);
        if (!hit)
            break;
        const auto* before = static_cast<const char*>(memrchr(next, '\n', size_t(hit - next)));
        const char* lineStart = before ? before + 1 : next;
        const auto* lf = static_cast<const char*>(memchr(hit, '\n', size_t(end - hit)));
        if (!lf) // a needle that runs past the last line break cannot be inside a line
            break;
        const char* contentEnd = lf > lineStart && lf[-1] == '\r' ? lf - 1 : lf;
        if (hitEnd > contentEnd) {
            searchFrom = hit + 1; // runs into the line break; a later occurrence may still fit
            continue;
        }
        if (next < lineStart)
            missed(next, lineStart);
        found(lineStart, contentEnd);
        next = searchFrom = lf + 1;
    }
    if (next < end)
        missed(next, end);
}

namespace detail {
// The find of searchLinesWith for a plain byte search of needle in haystack.
inline auto needleFinder(QByteArrayView haystack, QByteArrayView needle)
{
    const char* const end = haystack.data() + haystack.size();
    return [end, needle](const char* from) -> std::pair<const char*, const char*> {
        // An empty needle is found at once, in every line.
        const auto* hit =
            needle.isEmpty()
                ? from
                : static_cast<const char*>(memmem(from, size_t(end - from), needle.data(), size_t(needle.size())));
        return {hit, hit ? hit + needle.size() : nullptr};
    };
}
} // namespace detail

template <class Found, class Missed>
void searchLines(QByteArrayView haystack, QByteArrayView needle, Found found, Missed missed)
{
    searchLinesWith(haystack, detail::needleFinder(haystack, needle), found, missed);
}

} // namespace rules

#include "rules/PatternRule.h"

#include "rules/PatternSyntax.h"
#include "rules/TextRules.h"

#include <re2/filtered_re2.h>
#include <re2/re2.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace rules {

namespace {

// What RE2 refuses once the pattern is translated, in the words of the message.
QString whyRefused(const re2::RE2& compiled)
{
    switch (compiled.error_code()) {
    case re2::RE2::ErrorRepeatSize:
        return QStringLiteral("repetitions count or nest too high");
    case re2::RE2::ErrorPatternTooLarge:
        return QStringLiteral("the pattern is too large");
    case re2::RE2::ErrorRepeatOp:
        return QStringLiteral("a repetition follows nothing it can repeat");
    default:
        return QString::fromStdString(compiled.error());
    }
}

QString problemMessage(const PatternProblem& problem)
{
    return QStringLiteral("The pattern cannot be used: at character %1, %2.").arg(problem.at + 1).arg(problem.why);
}

// Copies a block without the CR before each LF, so that $ anchors before a line's CR LF as before its LF.
QByteArrayView withoutLineCr(QByteArrayView block, QByteArray& copy)
{
    if (!memchr(block.data(), '\r', size_t(block.size())))
        return block;
    copy.resize(block.size());
    const char* p = block.data();
    const char* const end = p + block.size();
    char* out = copy.data();
    while (const auto* cr = static_cast<const char*>(memchr(p, '\r', size_t(end - p)))) {
        const bool lineBreak = cr + 1 < end && cr[1] == '\n';
        const qsizetype keep = cr - p + (lineBreak ? 0 : 1);
        memcpy(out, p, size_t(keep));
        out += keep;
        p = cr + 1;
    }
    memcpy(out, p, size_t(end - p));
    out += end - p;
    copy.resize(out - copy.data());
    return copy;
}

bool isSearchable(const std::string& atom)
{
    return std::all_of(atom.begin(), atom.end(), [](char c) { return c != '\n' && (c & 0x80) == 0; });
}

// Texts of which every line the pattern matches holds one (lower-cased, ASCII): a single text where one will do,
// the longest, else as few and as long as can be; none when a line may match without holding any. A line found
// this way is checked whole, so any text, however short, that most lines lack saves reading the others.
std::vector<std::string> needlesFor(const std::string& translated, const re2::RE2::Options& options)
{
    re2::FilteredRE2 filter(1);
    int id = 0;
    if (filter.Add(translated, options, &id) != re2::RE2::NoError)
        return {};
    std::vector<std::string> atoms;
    filter.Compile(&atoms);
    std::vector<bool> chosen(atoms.size(), false);
    std::vector<int> others;
    std::vector<int> potential;
    // Whether a line that holds none of the chosen texts (and any of the others) cannot match.
    const auto suffice = [&] {
        others.clear();
        for (size_t i = 0; i < atoms.size(); ++i) {
            if (!chosen[i])
                others.push_back(int(i));
        }
        filter.AllPotentials(others, &potential);
        return potential.empty();
    };
    std::vector<size_t> order(atoms.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Unsearchable texts first, then the shortest: those are the ones to do without.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return std::pair(isSearchable(atoms[a]), atoms[a].size()) < std::pair(isSearchable(atoms[b]), atoms[b].size());
    });
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        if (!isSearchable(atoms[*i]))
            continue;
        chosen[*i] = true;
        if (suffice())
            return {atoms[*i]};
        chosen[*i] = false;
    }
    chosen.assign(atoms.size(), true);
    if (atoms.empty() || !suffice())
        return {};
    for (const size_t i : order) {
        chosen[i] = false;
        if (!suffice())
            chosen[i] = true;
    }
    std::vector<std::string> needles;
    for (size_t i = 0; i < atoms.size(); ++i) {
        if (chosen[i]) {
            if (!isSearchable(atoms[i]))
                return {};
            needles.push_back(atoms[i]);
        }
    }
    return needles;
}

bool isPlainText(const QString& pattern)
{
    return std::none_of(pattern.begin(), pattern.end(),
                        [](QChar c) { return QStringView(u".[]()*+?{}|^$\\").contains(c); });
}

bool isLowerAscii(char c)
{
    return c >= 'a' && c <= 'z';
}

// Without regard to case a needle's letters, which are lower case, match either case: a text's byte lower-cased
// (by setting bit 5, which only a letter's cases differ in) is compared with them.
char caseBit(char needleByte, bool caseless)
{
    return caseless && isLowerAscii(needleByte) ? 0x20 : 0;
}

bool sameByte(char textByte, char needleByte, bool caseless)
{
    return char(textByte | caseBit(needleByte, caseless)) == needleByte;
}

// The first occurrence at or after from of a byte in lines whose neighbours fit (when there are neighbours to
// fit), or -1. Thirty-two bytes are compared at a time and each occurrence checked where it is found: the byte
// may be common and most occurrences not fit.
qsizetype findFitting(QByteArrayView lines, qsizetype from, char byte, bool caseless, const ByteNeighbours* neighbours)
{
    const char* const text = lines.data();
    const qsizetype size = lines.size();
    // The byte is never the line feed, so one follows it in the block.
    const auto fits = [&](qsizetype at) {
        return !neighbours || (neighbours->before[static_cast<unsigned char>(at > 0 ? text[at - 1] : '\n')] &&
                               neighbours->after[static_cast<unsigned char>(text[at + 1])]);
    };
    qsizetype at = from;
#ifdef __SSE2__ // elsewhere the byte-by-byte loop below does it all
    const __m128i wanted = _mm_set1_epi8(byte);
    const __m128i fold = _mm_set1_epi8(caseBit(byte, caseless));
    const auto found = [&](const char* p) {
        const __m128i bytes = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fold);
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
    };
    for (; at + 32 <= size; at += 32) {
        for (unsigned mask = found(text + at) | found(text + at + 16) << 16; mask; mask &= mask - 1) {
            const qsizetype hit = at + __builtin_ctz(mask);
            if (fits(hit))
                return hit;
        }
    }
#endif
    for (; at < size; ++at) {
        if (sameByte(text[at], byte, caseless) && fits(at))
            return at;
    }
    return -1;
}

// The first occurrence of a needle in text[from, size), or -1. The needle's first and last bytes are compared at
// sixteen places at once and the rest only where both agree, which is rare for a word: several times faster than
// memmem over mail, and no lower-cased copy of the text is needed.
qsizetype findText(const char* text, qsizetype from, qsizetype size, const std::string& needle, bool caseless)
{
    const auto n = qsizetype(needle.size());
    // Whether bytes begin to end of the needle stand at a place.
    const auto matchesAt = [&](qsizetype place, qsizetype begin, qsizetype end) {
        for (qsizetype k = begin; k < end; ++k) {
            if (!sameByte(text[place + k], needle[size_t(k)], caseless))
                return false;
        }
        return true;
    };
    qsizetype at = from;
#ifdef __SSE2__ // elsewhere the byte-by-byte loop below does it all
    if (n > 1) {
        const __m128i first = _mm_set1_epi8(needle.front());
        const __m128i last = _mm_set1_epi8(needle.back());
        const __m128i foldFirst = _mm_set1_epi8(caseBit(needle.front(), caseless));
        const __m128i foldLast = _mm_set1_epi8(caseBit(needle.back(), caseless));
        for (; at + n - 1 + 16 <= size; at += 16) {
            const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + n - 1));
            auto mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(starts, foldFirst), first),
                                                                 _mm_cmpeq_epi8(_mm_or_si128(ends, foldLast), last))));
            for (; mask; mask &= mask - 1) {
                const qsizetype hit = at + __builtin_ctz(mask);
                if (matchesAt(hit, 1, n - 1))
                    return hit;
            }
        }
    }
#endif
    for (; at + n <= size; ++at) {
        if (matchesAt(at, 0, n))
            return at;
    }
    return -1;
}

// Adds a line without its line break to the lines to search, ending it with LF.
void appendLine(QByteArray& lines, QByteArrayView line)
{
    const qsizetype old = lines.size();
    lines.resize(old + line.size() + 1);
    memcpy(lines.data() + old, line.data(), size_t(line.size()));
    lines.data()[old + line.size()] = '\n';
}

} // namespace

PatternRule::PatternRule(const QString& pattern, bool ignoreCase)
{
    // A pattern without operators is a text that lines contain: the plain text search finds it faster.
    if (!pattern.isEmpty() && isPlainText(pattern)) {
        m_plainText = std::make_unique<ContainingRule>(pattern, ignoreCase, ContainingRule::Want::Containing);
        return;
    }
    const TranslatedPattern translated = translateExtendedPattern(pattern);
    if (translated.problem) {
        m_problem = problemMessage(*translated.problem);
        return;
    }
    re2::RE2::Options options;
    options.set_never_nl(true); // a block is searched whole: no match may run from one line into the next
    options.set_case_sensitive(!ignoreCase);
    options.set_log_errors(false);
    options.set_max_mem(64 << 20);
    m_pattern = std::make_unique<re2::RE2>(translated.re2, options);
    if (!m_pattern->ok()) {
        // The piece RE2 names is found in the translation and traced back to the pattern's character; the last
        // of equal pieces, as a nested repetition is refused at the outer one.
        const size_t at = translated.re2.rfind(m_pattern->error_arg());
        const qsizetype origin = at < translated.origins.size() ? translated.origins[at] : 0;
        m_problem = problemMessage({origin, whyRefused(*m_pattern)});
        m_pattern.reset();
        return;
    }
    m_needles = needlesFor(translated.re2, options);
    chooseOneByteNeedle(translated.re2, ignoreCase);
    m_needlesHaveLetters = std::any_of(m_needles.begin(), m_needles.end(), [](const std::string& needle) {
        return std::any_of(needle.begin(), needle.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    });
    // KELVIN SIGN and LONG S fold to k and s without regard to case, and lower-case to them for the needles;
    // lower-casing ASCII does not show them.
    m_needlesFoldFromNonAscii =
        std::any_of(m_needles.begin(), m_needles.end(),
                    [](const std::string& needle) { return needle.find_first_of("ks") != std::string::npos; }) &&
        (ignoreCase || pattern.contains(QChar(0x212A)) || pattern.contains(QChar(0x017F)));
}

void PatternRule::chooseOneByteNeedle(const std::string& translated, bool ignoreCase)
{
    if (m_needles.size() == 1 && m_needles[0].size() == 1) {
        m_neighbours = neighboursInMatches(translated, m_needles[0][0], ignoreCase);
        return;
    }
    if (m_needles.size() < 2)
        return;
    // Several texts that share a punctuation mark (".0" to ".9") are found faster as that mark with the
    // neighbours a match allows it, in one pass, than each text in a pass of its own. Letters, digits and spaces
    // are too common in mail to be worth it.
    for (const char c : m_needles[0]) {
        if (!std::ispunct(static_cast<unsigned char>(c)) ||
            !std::all_of(m_needles.begin(), m_needles.end(),
                         [c](const std::string& needle) { return needle.find(c) != std::string::npos; }))
            continue;
        if (auto neighbours = neighboursInMatches(translated, c, ignoreCase)) {
            m_needles = {std::string(1, c)};
            m_neighbours = std::move(neighbours);
            return;
        }
    }
}

bool PatternRule::needlesFit(QByteArrayView lines) const
{
    // KELVIN SIGN and LONG S in UTF-8.
    static const std::string kFoldingToAscii[] = {"\xE2\x84\xAA", "\xC5\xBF"};
    return !m_needles.empty() &&
           (!m_needlesFoldFromNonAscii ||
            std::none_of(std::begin(kFoldingToAscii), std::end(kFoldingToAscii), [&](const std::string& letter) {
                return findText(lines.data(), 0, lines.size(), letter, false) >= 0;
            }));
}

void PatternRule::scanCandidates(QByteArrayView lines, LineHits& hits)
{
    const char* const text = lines.data();
    // Needles with letters are lower case, and found in the text in either case.
    const bool caseless = m_needlesHaveLetters;
    const qsizetype size = lines.size();
    const bool oneByte = m_needles.size() == 1 && m_needles[0].size() == 1;
    // RE2 takes longer to start a search than to run over a line, and longer again to tell where a match starts.
    // So while most candidates do not match, they are gathered and searched at once, a search per match; while
    // most do, each is checked on its own. Which is the case is judged anew after every few candidates.
    constexpr int kBatch = 64;
    int batch = 0;
    qsizetype batchHits = 0;
    m_gathered.resize(0);
    // Per needle: where it next occurs at or after the search position; -1 when no more, -2 when not searched yet.
    std::vector<qsizetype> next(m_needles.size(), -2);
    qsizetype candidates = 0;
    for (qsizetype at = 0; at < size;) {
        // Needles found in many lines filter little: past one candidate line in 128 bytes the automaton searching
        // the rest of the block at once is faster than gathering the lines.
        if (++candidates > 64 && candidates * 128 > at) {
            scanWhole(m_gathered, 0, hits);
            scanWhole(withoutLineCr(lines.sliced(at), m_withoutCr), 0, hits);
            return;
        }
        qsizetype candidate = -1;
        if (oneByte && (m_neighbours || caseless)) {
            candidate = findFitting(lines, at, m_needles[0][0], caseless, m_neighbours ? &*m_neighbours : nullptr);
        } else if (oneByte) {
            const auto* hit = static_cast<const char*>(memchr(text + at, m_needles[0][0], size_t(size - at)));
            candidate = hit ? hit - text : -1;
        } else {
            for (size_t i = 0; i < m_needles.size(); ++i) {
                if (next[i] == -2 || (next[i] >= 0 && next[i] < at))
                    next[i] = findText(text, at, size, m_needles[i], caseless);
                if (next[i] >= 0 && (candidate < 0 || next[i] < candidate))
                    candidate = next[i];
            }
        }
        if (candidate < 0)
            break;
        const auto* before = static_cast<const char*>(memrchr(text + at, '\n', size_t(candidate - at)));
        const qsizetype lineStart = before ? before - text + 1 : at;
        const qsizetype lineEnd =
            static_cast<const char*>(memchr(text + candidate, '\n', size_t(size - candidate))) - text;
        const qsizetype contentEnd = lineEnd > lineStart && lines[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
        const QByteArrayView line = lines.sliced(lineStart, contentEnd - lineStart);
        if (m_checkEachCandidate) {
            if (m_pattern->Match(re2::StringPiece(line.data(), size_t(line.size())), 0, size_t(line.size()),
                                 re2::RE2::UNANCHORED, nullptr, 0)) {
                hits.add(line, true);
                ++batchHits;
            }
        } else {
            appendLine(m_gathered, line);
        }
        if (++batch == kBatch) {
            if (!m_checkEachCandidate) {
                batchHits = scanWhole(m_gathered, 0, hits);
                m_gathered.resize(0);
            }
            m_checkEachCandidate = batchHits * 3 > kBatch;
            batch = 0;
            batchHits = 0;
        }
        at = lineEnd + 1;
    }
    scanWhole(m_gathered, 0, hits);
}

PatternRule::~PatternRule() = default;

int PatternRule::hitsInLine(QStringView line, qint64 number)
{
    if (m_plainText)
        return m_plainText->hitsInLine(line, number);
    if (!m_pattern)
        return 0;
    m_utf8 = line.toUtf8();
    const re2::StringPiece text(m_utf8.constData(), size_t(m_utf8.size()));
    return m_pattern->Match(text, 0, text.size(), re2::RE2::UNANCHORED, nullptr, 0) ? 1 : 0;
}

void PatternRule::scan(const LineBlock& block, LineHits& hits)
{
    if (m_plainText) {
        m_plainText->scan(block, hits);
        return;
    }
    if (!m_pattern)
        return;
    if (!block.validUtf8) {
        LineRule::scan(block, hits);
        return;
    }
    if (needlesFit(block.bytes)) {
        scanCandidates(block.bytes, hits);
        return;
    }
    scanWhole(withoutLineCr(block.bytes, m_withoutCr), 0, hits);
}

qsizetype PatternRule::scanWhole(QByteArrayView lines, qsizetype start, LineHits& hits)
{
    qsizetype found = 0;
    const re2::StringPiece text(lines.data(), size_t(lines.size()));
    const char* const end = lines.data() + lines.size();
    re2::StringPiece match;
    for (size_t from = size_t(start); from < text.size();) {
        if (!m_pattern->Match(text, from, text.size(), re2::RE2::UNANCHORED, &match, 1) || match.data() == end)
            break;
        const char* const searched = text.data() + from;
        const auto* before = static_cast<const char*>(memrchr(searched, '\n', size_t(match.data() - searched)));
        const char* const lineStart = before ? before + 1 : searched;
        const auto* lineEnd = static_cast<const char*>(memchr(match.data(), '\n', size_t(end - match.data())));
        hits.add(QByteArrayView(lineStart, lineEnd - lineStart), true);
        ++found;
        from = size_t(lineEnd + 1 - text.data());
    }
    return found;
}

} // namespace rules

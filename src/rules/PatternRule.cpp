#include "rules/PatternRule.h"

#include "rules/PatternSyntax.h"
#include "rules/TextRules.h"

#include <re2/filtered_re2.h>
#include <re2/re2.h>

#include <algorithm>
#include <cstring>

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

void lowerAscii(QByteArrayView from, QByteArray& to)
{
    to.resize(from.size());
    char* out = to.data();
    for (const char c : from)
        *out++ = static_cast<unsigned char>(c - 'A') < 26u ? char(c | 0x20) : c;
}

// A filter that tells from the texts a line holds (atoms, lower-cased) whether the pattern may match it; none
// when a line may match without holding any of them, or a text is not ASCII.
std::unique_ptr<re2::FilteredRE2> prefilterFor(const std::string& translated, const re2::RE2::Options& options,
                                               std::vector<std::string>& atoms)
{
    // Texts shorter than three characters are found in too many lines to be worth searching for first.
    auto filter = std::make_unique<re2::FilteredRE2>(3);
    int id = 0;
    if (filter->Add(translated, options, &id) != re2::RE2::NoError)
        return nullptr;
    filter->Compile(&atoms);
    std::vector<int> potential;
    filter->AllPotentials({}, &potential);
    const bool usable =
        potential.empty() && !atoms.empty() && std::all_of(atoms.begin(), atoms.end(), [](const std::string& atom) {
            return std::all_of(atom.begin(), atom.end(), [](char c) { return c != '\n' && (c & 0x80) == 0; });
        });
    return usable ? std::move(filter) : nullptr;
}

bool isPlainText(const QString& pattern)
{
    return std::none_of(pattern.begin(), pattern.end(),
                        [](QChar c) { return QStringView(u".[]()*+?{}|^$\\").contains(c); });
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
    m_ignoreCase = ignoreCase;
    m_prefilter = prefilterFor(translated.re2, options, m_atoms);
}

bool PatternRule::prefilterFits(QByteArrayView lines) const
{
    if (!m_prefilter || !m_ignoreCase)
        return m_prefilter != nullptr;
    // KELVIN SIGN matches k and LONG S matches s without regard to case; lower-casing ASCII does not show it.
    const bool foldsFromNonAscii = std::any_of(m_atoms.begin(), m_atoms.end(), [](const std::string& atom) {
        return atom.find_first_of("ks") != std::string::npos;
    });
    return !foldsFromNonAscii || (lines.indexOf("\xE2\x84\xAA") < 0 && lines.indexOf("\xC5\xBF") < 0);
}

void PatternRule::scanCandidates(QByteArrayView lines, LineHits& hits)
{
    lowerAscii(lines, m_lowered);
    const char* const lowered = m_lowered.constData();
    const qsizetype size = lines.size();
    // Per text: where it next occurs at or after the search position; -1 when no more, -2 when not searched yet.
    std::vector<qsizetype> next(m_atoms.size(), -2);
    std::vector<int> found;
    std::vector<int> potential;
    qsizetype candidates = 0;
    for (qsizetype at = 0; at < size;) {
        // Texts found in many lines filter little: past one candidate line in 512 bytes the automaton searching
        // the rest of the block at once is faster than a search per line.
        if (++candidates > 64 && candidates * 512 > at) {
            scanWhole(lines, at, hits);
            return;
        }
        qsizetype candidate = -1;
        for (size_t i = 0; i < m_atoms.size(); ++i) {
            if (next[i] == -2 || (next[i] >= 0 && next[i] < at)) {
                const void* hit = memmem(lowered + at, size_t(size - at), m_atoms[i].data(), m_atoms[i].size());
                next[i] = hit ? static_cast<const char*>(hit) - lowered : -1;
            }
            if (next[i] >= 0 && (candidate < 0 || next[i] < candidate))
                candidate = next[i];
        }
        if (candidate < 0)
            break;
        const auto* before = static_cast<const char*>(memrchr(lowered + at, '\n', size_t(candidate - at)));
        const qsizetype lineStart = before ? before - lowered + 1 : at;
        const qsizetype lineEnd =
            static_cast<const char*>(memchr(lowered + candidate, '\n', size_t(size - candidate))) - lowered;
        found.clear();
        for (size_t i = 0; i < m_atoms.size(); ++i) {
            if (next[i] >= 0 && next[i] + qsizetype(m_atoms[i].size()) <= lineEnd)
                found.push_back(int(i));
        }
        m_prefilter->AllPotentials(found, &potential);
        const re2::StringPiece line(lines.data() + lineStart, size_t(lineEnd - lineStart));
        if (!potential.empty() && m_pattern->Match(line, 0, line.size(), re2::RE2::UNANCHORED, nullptr, 0))
            hits.add(QByteArrayView(line.data(), qsizetype(line.size())), true);
        at = lineEnd + 1;
    }
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
    const QByteArrayView lines = withoutLineCr(block.bytes, m_withoutCr);
    if (prefilterFits(lines)) {
        scanCandidates(lines, hits);
        return;
    }
    scanWhole(lines, 0, hits);
}

void PatternRule::scanWhole(QByteArrayView lines, qsizetype start, LineHits& hits)
{
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
        from = size_t(lineEnd + 1 - text.data());
    }
}

} // namespace rules

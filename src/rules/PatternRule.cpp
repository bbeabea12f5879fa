#include "rules/PatternRule.h"

#include "rules/PatternSyntax.h"
#include "rules/TextRules.h"

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
    const re2::StringPiece text(lines.data(), size_t(lines.size()));
    const char* const end = lines.data() + lines.size();
    re2::StringPiece match;
    for (size_t from = 0; from < text.size();) {
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

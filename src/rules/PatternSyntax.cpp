#include "rules/PatternSyntax.h"

#include <QList>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace rules {

namespace {

// glibc's space and blank classes in UTF-8 locales (no-break spaces are not spaces there).
constexpr std::string_view kSpaces = "\\t\\n\\x0B\\f\\r \\x{1680}\\x{2000}-\\x{2006}\\x{2008}-\\x{200A}\\x{2028}"
                                     "\\x{2029}\\x{205F}\\x{3000}";
constexpr std::string_view kBlanks = "\\t \\x{1680}\\x{2000}-\\x{2006}\\x{2008}-\\x{200A}\\x{205F}\\x{3000}";
constexpr std::string_view kWord = "\\p{L}\\p{N}_";
constexpr int kMostRepeats = 1000; // RE2's limit

// The members of a POSIX character class, for inside an RE2 class; empty for an unknown name.
std::string_view classMembers(const QString& name)
{
    static const std::pair<const char16_t*, std::string_view> classes[] = {
        {u"alpha", "\\p{L}"},
        {u"digit", "0-9"},
        {u"alnum", "\\p{L}\\p{N}"},
        {u"upper", "\\p{Lu}"},
        {u"lower", "\\p{Ll}"},
        {u"space", kSpaces},
        {u"blank", kBlanks},
        {u"punct", "!-/:-@\\[-`\\{-~\\p{P}\\p{S}"},
        {u"cntrl", "\\x00-\\x1F\\x7F-\\x{9F}"},
        {u"print", "\\x20-\\x7E\\x{A0}-\\x{10FFFF}"},
        {u"graph", "\\x21-\\x7E\\x{A1}-\\x{10FFFF}"},
        {u"xdigit", "0-9A-Fa-f"},
    };
    for (const auto& [known, members] : classes) {
        if (name == QStringView(known))
            return members;
    }
    return {};
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A character that stands for itself, in or outside a class.
std::string literal(char32_t c)
{
    std::string out;
    if (c < 0x20 || c == 0x7F) {
        char hex[12];
        std::snprintf(hex, sizeof hex, "\\x{%X}", unsigned(c));
        out = hex;
    } else if (c < 0x80 && !std::isalnum(int(c)) && c != ' ' && c != '_') {
        out = {'\\', char(c)};
    } else {
        appendUtf8(out, c);
    }
    return out;
}

struct Failure
{
    PatternProblem problem;
};

class Translator
{
public:
    explicit Translator(const QString& pattern) : m_in(pattern.toUcs4()) {}

    TranslatedPattern run()
    {
        TranslatedPattern result;
        try {
            emit("(?m)", 0);
            while (m_i < m_in.size())
                step();
            if (!m_groups.empty())
                fail(m_groups.back().second, QStringLiteral("\"(\" is not closed by \")\""));
        } catch (const Failure& failure) {
            result.problem = failure.problem;
            return result;
        }
        result.re2 = std::move(m_out);
        result.origins = std::move(m_origins);
        return result;
    }

private:
    [[noreturn]] static void fail(qsizetype at, const QString& why) { throw Failure{{at, why}}; }

    void emit(std::string_view text, qsizetype at)
    {
        m_out += text;
        m_origins.resize(m_out.size(), at);
    }

    void atom(std::string_view text, qsizetype at)
    {
        m_atomStart = qsizetype(m_out.size());
        m_repeated = false;
        emit(text, at);
    }

    // A boundary or the start of an alternative: nothing for a repetition to repeat.
    void nonAtom(std::string_view text, qsizetype at)
    {
        emit(text, at);
        m_atomStart = -1;
    }

    void repeat(std::string_view op, qsizetype at)
    {
        if (m_atomStart < 0)
            return; // as grep: a repetition of nothing is dropped
        if (m_repeated) {
            // "a**" and "a{2}{3}" repeat the repetition; RE2 wants it grouped.
            m_out.insert(size_t(m_atomStart), "(?:");
            m_origins.insert(m_origins.begin() + m_atomStart, 3, m_origins[size_t(m_atomStart)]);
            emit(")", at);
        }
        emit(op, at);
        m_repeated = true;
    }

    void step()
    {
        const qsizetype at = m_i;
        const char32_t c = m_in[m_i++];
        switch (c) {
        case '(':
            m_groups.emplace_back(qsizetype(m_out.size()), at);
            nonAtom("(?:", at);
            break;
        case ')':
            if (m_groups.empty()) {
                atom("\\)", at);
            } else {
                emit(")", at);
                m_atomStart = m_groups.back().first;
                m_repeated = false;
                m_groups.pop_back();
            }
            break;
        case '|':
        case '^':
            nonAtom(std::string(1, char(c)), at);
            break;
        case '*':
        case '+':
        case '?':
            repeat(std::string(1, char(c)), at);
            break;
        case '{':
            interval(at);
            break;
        case '$':
        case '.':
            atom(std::string(1, char(c)), at);
            break;
        case '[':
            atom(bracket(at), at);
            break;
        case '\\':
            escape(at);
            break;
        default:
            atom(literal(c), at);
        }
    }

    // A number of at most a few digits more than the limit, or -1 when there are no digits.
    int number()
    {
        int value = -1;
        while (m_i < m_in.size() && m_in[m_i] >= '0' && m_in[m_i] <= '9') {
            value = std::min(100000, std::max(value, 0) * 10 + int(m_in[m_i] - '0'));
            ++m_i;
        }
        return value;
    }

    void interval(qsizetype at)
    {
        const int least = number();
        int most = least;
        const bool comma = m_i < m_in.size() && m_in[m_i] == ',';
        if (comma) {
            ++m_i;
            most = number();
        }
        if (m_i == m_in.size() || m_in[m_i] != '}' || (least < 0 && !comma)) {
            m_i = at + 1; // begins no interval: "{" is itself
            atom("\\{", at);
            return;
        }
        ++m_i;
        if (std::max(least, most) > kMostRepeats)
            fail(at, QStringLiteral("a repetition count is larger than %1").arg(kMostRepeats));
        if (most >= 0 && std::max(least, 0) > most)
            fail(at, QStringLiteral("the repetition's least count is larger than its greatest"));
        std::string op = "{" + std::to_string(std::max(least, 0));
        if (comma)
            op += "," + (most >= 0 ? std::to_string(most) : std::string());
        repeat(op + "}", at);
    }

    void escape(qsizetype at)
    {
        if (m_i == m_in.size())
            fail(at, QStringLiteral("the pattern ends with a lone \"\\\""));
        const char32_t c = m_in[m_i++];
        switch (c) {
        case 'd':
            return atom("[0-9]", at);
        case 'D':
            return atom("[^0-9]", at);
        case 'w':
            return atom("[" + std::string(kWord) + "]", at);
        case 'W':
            return atom("[^" + std::string(kWord) + "]", at);
        case 's':
            return atom("[" + std::string(kSpaces) + "]", at);
        case 'S':
            return atom("[^" + std::string(kSpaces) + "]", at);
        case 'b':
        case '<':
        case '>':
            return nonAtom("\\b", at);
        case 'B':
            return nonAtom("\\B", at);
        case '`': // the start and end of the "buffer", which is a line for grep
            return nonAtom("^", at);
        case '\'':
            return nonAtom("$", at);
        default:
            if (c >= '1' && c <= '9')
                fail(at, QStringLiteral("back-references such as \"\\%1\" are not supported").arg(QChar(c)));
            atom(literal(c), at); // as grep: any other escaped character is itself
        }
    }

    // A single character of a bracket expression: itself, or [.c.] or [=c=]; the position is on the next one.
    char32_t bracketCharacter(qsizetype open)
    {
        const char32_t c = m_in[m_i];
        if (c != '[' || m_i + 1 >= m_in.size() || (m_in[m_i + 1] != '.' && m_in[m_i + 1] != '='))
            return m_in[m_i++];
        const QString name = bracketName(open);
        if (name.size() != 1)
            fail(m_i, QStringLiteral("only a single character can stand in [. .] or [= =]"));
        return name.front().unicode();
    }

    // The name of [:name:], [.name.] or [=name=] at the position, which is moved past it.
    QString bracketName(qsizetype open)
    {
        const char32_t kind = m_in[m_i + 1];
        for (qsizetype k = m_i + 2; k + 1 < m_in.size(); ++k) {
            if (m_in[k] == kind && m_in[k + 1] == ']') {
                const QString name =
                    QString::fromUcs4(reinterpret_cast<const char32_t*>(m_in.constData()) + m_i + 2, k - m_i - 2);
                m_i = k + 2;
                return name;
            }
        }
        fail(open, QStringLiteral("\"[\" is not closed by \"]\""));
    }

    std::string bracket(qsizetype open)
    {
        std::string members;
        bool negated = false;
        if (m_i < m_in.size() && m_in[m_i] == '^') {
            negated = true;
            ++m_i;
        }
        for (bool first = true;; first = false) {
            if (m_i >= m_in.size())
                fail(open, QStringLiteral("\"[\" is not closed by \"]\""));
            const char32_t c = m_in[m_i];
            if (c == ']' && !first) {
                ++m_i;
                break;
            }
            if (c == '[' && m_i + 1 < m_in.size() && m_in[m_i + 1] == ':') {
                const qsizetype at = m_i;
                const QString name = bracketName(open);
                const std::string_view inClass = classMembers(name);
                if (inClass.empty())
                    fail(at, QStringLiteral("[:%1:] is no character class").arg(name));
                members += inClass;
                continue;
            }
            const qsizetype from = m_i;
            const char32_t low = bracketCharacter(open);
            if (m_i + 1 < m_in.size() && m_in[m_i] == '-' && m_in[m_i + 1] != ']') {
                ++m_i;
                const char32_t high = bracketCharacter(open);
                if (high < low)
                    fail(from, QStringLiteral("the range runs backwards"));
                members += literal(low) + "-" + literal(high);
            } else {
                members += literal(low);
            }
        }
        return (negated ? "[^" : "[") + members + "]";
    }

    const QList<uint> m_in;
    qsizetype m_i = 0;
    std::string m_out;
    std::vector<qsizetype> m_origins;
    qsizetype m_atomStart = -1; // where the last thing a repetition may repeat begins in m_out
    bool m_repeated = false;    // it is already repeated
    std::vector<std::pair<qsizetype, qsizetype>> m_groups; // the open groups: start in m_out, position in m_in
};

} // namespace

TranslatedPattern translateExtendedPattern(const QString& pattern)
{
    return Translator(pattern).run();
}

} // namespace rules

#include "rules/PatternSyntax.h"

#include <QList>
#include <algorithm>
#include <bitset>
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
        // Built by appending: GCC 12 warns wrongly about prepending a literal to a std::string.
        std::string op = "{";
        op += std::to_string(std::max(least, 0));
        if (comma)
            op += ',';
        if (comma && most >= 0)
            op += std::to_string(most);
        op += '}';
        repeat(op, at);
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
            return atom(std::string("[").append(kWord).append("]"), at);
        case 'W':
            return atom(std::string("[^").append(kWord).append("]"), at);
        case 's':
            return atom(std::string("[").append(kSpaces).append("]"), at);
        case 'S':
            return atom(std::string("[^").append(kSpaces).append("]"), at);
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

using ByteSet = std::bitset<256>;

// What a part of a translation matches, as far as neighbours go: whether it may match nothing, and the bytes
// its matches may begin and end with.
struct Span
{
    bool empty = true;
    ByteSet first;
    ByteSet last;
};

struct NotUnderstood
{
};

// Reads a translation (the RE2 syntax translateExtendedPattern writes) and notes, wherever one part may
// follow another, which bytes may stand beside the target byte. Character sets are widened, never narrowed:
// every byte of a character outside ASCII stands for all such bytes.
class NeighbourReader
{
public:
    NeighbourReader(std::string_view re, char byte, bool ignoreCase) : m_re(re), m_ignoreCase(ignoreCase)
    {
        m_target = bothCases(ByteSet().set(static_cast<unsigned char>(byte)));
    }

    std::optional<ByteNeighbours> run()
    {
        Span whole;
        try {
            whole = alternation();
            if (m_i != m_re.size())
                throw NotUnderstood();
        } catch (const NotUnderstood&) {
            return std::nullopt;
        }
        if ((whole.first & m_target).any())
            m_neighbours.before.set();
        if ((whole.last & m_target).any())
            m_neighbours.after.set();
        if (m_neighbours.before.all() && m_neighbours.after.all())
            return std::nullopt;
        return m_neighbours;
    }

private:
    static ByteSet nonAscii()
    {
        ByteSet bytes;
        for (int b = 0x80; b < 0x100; ++b)
            bytes.set(size_t(b));
        return bytes;
    }

    static ByteSet bothCases(ByteSet bytes)
    {
        for (int b = 'a'; b <= 'z'; ++b) {
            if (bytes[size_t(b)] || bytes[size_t(b - 32)]) {
                bytes.set(size_t(b));
                bytes.set(size_t(b - 32));
            }
        }
        return bytes;
    }

    // The bytes a character of the set may be made of. Without regard to case, both cases of a letter; and as
    // KELVIN SIGN and LONG S match k and s, those letters and the bytes outside ASCII go together.
    ByteSet folded(ByteSet bytes) const
    {
        if (!m_ignoreCase)
            return bytes;
        bytes = bothCases(bytes);
        if (bytes['k'] || bytes['s'] || (bytes & nonAscii()).any())
            bytes |= nonAscii() | bothCases(ByteSet().set('k').set('s'));
        return bytes;
    }

    bool at(char c) const { return m_i < m_re.size() && m_re[m_i] == c; }

    char next()
    {
        if (m_i >= m_re.size())
            throw NotUnderstood();
        return m_re[m_i++];
    }

    void expect(char c)
    {
        if (next() != c)
            throw NotUnderstood();
    }

    // A part ending in last is followed by one beginning with first.
    void link(const ByteSet& last, const ByteSet& first)
    {
        if ((first & m_target).any())
            m_neighbours.before |= last;
        if ((last & m_target).any())
            m_neighbours.after |= first;
    }

    Span alternation()
    {
        Span span = concatenation();
        while (at('|')) {
            ++m_i;
            const Span other = concatenation();
            span.empty = span.empty || other.empty;
            span.first |= other.first;
            span.last |= other.last;
        }
        return span;
    }

    Span concatenation()
    {
        Span span;
        while (m_i < m_re.size() && !at('|') && !at(')')) {
            const Span part = repetition();
            link(span.last, part.first);
            if (span.empty)
                span.first |= part.first;
            span.last = part.empty ? span.last | part.last : part.last;
            span.empty = span.empty && part.empty;
        }
        return span;
    }

    Span repetition()
    {
        Span span = atom();
        for (;;) {
            if (at('*') || at('+') || at('?')) {
                const char op = next();
                span.empty = span.empty || op != '+';
                if (op != '?')
                    link(span.last, span.first); // a repeated part may follow itself
            } else if (at('{')) {
                const size_t close = m_re.find('}', m_i);
                if (close == std::string_view::npos)
                    throw NotUnderstood();
                const std::string_view counts = m_re.substr(m_i + 1, close - m_i - 1);
                if (counts.empty() || counts.find_first_not_of("0123456789,") != std::string_view::npos)
                    throw NotUnderstood();
                span.empty = span.empty || counts[0] == '0';
                link(span.last, span.first);
                m_i = close + 1;
            } else {
                return span;
            }
        }
    }

    Span atom()
    {
        const char c = next();
        switch (c) {
        case '(':
            return group();
        case '[':
            return characterClass();
        case '.':
            return character(ByteSet().set());
        case '^':
        case '$':
            return {};
        case '\\':
            return escape();
        case '*':
        case '+':
        case '?':
        case '{':
            throw NotUnderstood();
        default:
            if (static_cast<unsigned char>(c) >= 0x80)
                skipContinuations();
            return character(folded(characterBytes(c)));
        }
    }

    Span group()
    {
        if (at('?') && m_re.substr(m_i, 2) != "?:") {
            // Flags, such as (?m): they match nothing.
            const size_t close = m_re.find(')', m_i);
            if (close == std::string_view::npos ||
                m_re.substr(m_i, close - m_i).find_first_of(":(") != std::string_view::npos)
                throw NotUnderstood();
            m_i = close + 1;
            return {};
        }
        expect('?');
        expect(':');
        if (++m_depth > kMostDepth)
            throw NotUnderstood(); // the reading recurses
        const Span span = alternation();
        expect(')');
        --m_depth;
        return span;
    }

    static Span character(const ByteSet& bytes) { return {false, bytes, bytes}; }

    static ByteSet characterBytes(char c)
    {
        return static_cast<unsigned char>(c) < 0x80 ? ByteSet().set(static_cast<unsigned char>(c)) : nonAscii();
    }

    void skipContinuations()
    {
        while (m_i < m_re.size() && (static_cast<unsigned char>(m_re[m_i]) & 0xC0) == 0x80)
            ++m_i;
    }

    Span escape()
    {
        const char c = next();
        if (c == 'b' || c == 'B')
            return {};
        if (c == 'x')
            return character(folded(codePointBytes(hexCodePoint())));
        if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
            throw NotUnderstood();
        return character(folded(characterBytes(c)));
    }

    // After \x: two hexadecimal digits, or up to six in braces.
    char32_t hexCodePoint()
    {
        const bool braced = at('{');
        const size_t from = m_i + (braced ? 1 : 0);
        const size_t end = braced ? m_re.find('}', from) : from + 2;
        const std::string_view digits = m_re.substr(from, end - from);
        if (end > m_re.size() || digits.empty() || digits.size() > 6 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
            throw NotUnderstood();
        m_i = end + (braced ? 1 : 0);
        return char32_t(std::stoul(std::string(digits), nullptr, 16));
    }

    static ByteSet codePointBytes(char32_t c) { return c < 0x80 ? ByteSet().set(size_t(c)) : nonAscii(); }

    // One member of a class: a character, or a named class (as bytes) when isNamed is set.
    char32_t classMember(ByteSet& named, bool& isNamed)
    {
        isNamed = false;
        const char c = next();
        if (static_cast<unsigned char>(c) >= 0x80) {
            skipContinuations();
            return 0x80; // any character outside ASCII will do: all of them widen the set alike
        }
        if (c != '\\')
            return char32_t(c);
        const char e = next();
        switch (e) {
        case 'x':
            return hexCodePoint();
        case 't':
            return '\t';
        case 'n':
            return '\n';
        case 'f':
            return '\f';
        case 'r':
            return '\r';
        case 'p':
            isNamed = true;
            named = namedClass();
            return 0;
        default:
            if (std::isalnum(static_cast<unsigned char>(e)) || static_cast<unsigned char>(e) >= 0x80)
                throw NotUnderstood();
            return char32_t(e);
        }
    }

    // \p{...}: the ASCII members of the Unicode classes the translation uses, and every byte outside ASCII.
    ByteSet namedClass()
    {
        expect('{');
        const size_t close = m_re.find('}', m_i);
        if (close == std::string_view::npos)
            throw NotUnderstood();
        const std::string_view name = m_re.substr(m_i, close - m_i);
        m_i = close + 1;
        ByteSet bytes = nonAscii();
        const auto addRange = [&bytes](int from, int to) {
            for (int b = from; b <= to; ++b)
                bytes.set(size_t(b));
        };
        if (name == "L" || name == "Lu")
            addRange('A', 'Z');
        if (name == "L" || name == "Ll")
            addRange('a', 'z');
        if (name == "N")
            addRange('0', '9');
        if (name == "P" || name == "S") {
            addRange('!', '/');
            addRange(':', '@');
            addRange('[', '`');
            addRange('{', '~');
        }
        if (name != "L" && name != "Lu" && name != "Ll" && name != "N" && name != "P" && name != "S")
            throw NotUnderstood();
        return bytes;
    }

    Span characterClass()
    {
        const bool negated = at('^');
        if (negated)
            ++m_i;
        ByteSet members;
        while (!at(']')) {
            ByteSet named;
            bool isNamed = false;
            const char32_t low = classMember(named, isNamed);
            if (isNamed) {
                members |= named;
                continue;
            }
            char32_t high = low;
            if (at('-') && m_re.substr(m_i, 2) != "-]") {
                ++m_i;
                high = classMember(named, isNamed);
                if (isNamed)
                    throw NotUnderstood();
            }
            for (char32_t b = low; b <= high && b < 0x80; ++b)
                members.set(size_t(b));
            if (high >= 0x80)
                members |= nonAscii();
        }
        ++m_i;
        if (negated)
            members = ~members | nonAscii();
        return character(folded(members));
    }

    static constexpr int kMostDepth = 100;

    std::string_view m_re;
    size_t m_i = 0;
    int m_depth = 0;
    bool m_ignoreCase;
    ByteSet m_target;
    ByteNeighbours m_neighbours;
};

} // namespace

TranslatedPattern translateExtendedPattern(const QString& pattern)
{
    return Translator(pattern).run();
}

std::optional<ByteNeighbours> neighboursInMatches(std::string_view translated, char byte, bool ignoreCase)
{
    return NeighbourReader(translated, byte, ignoreCase).run();
}

} // namespace rules

#include "sources/BodyText.h"

#include <QByteArray>
#include <QStringDecoder>
#include <gumbo.h>

#include <array>
#include <optional>
#include <vector>

namespace sources {

namespace {

// ---- HTML ----------------------------------------------------------------------------------------------

bool isBlock(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_P:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_UL:
        return true;
    default:
        return false;
    }
}

bool isDropped(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_SVG:
    case GUMBO_TAG_MATH:
        return true;
    default:
        return false;
    }
}

bool isHtmlSpace(char32_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Builds the visible text the way a browser lays it out, reduced to lines.
class HtmlTextBuilder
{
public:
    void text(const char* utf8, bool preformatted)
    {
        const QString chunk = QString::fromUtf8(utf8);
        if (preformatted) {
            for (const QChar c : chunk) {
                if (c == u'\r')
                    continue;
                if (c == u'\n') {
                    newline();
                } else {
                    m_out.append(c == QChar(0xA0) ? QChar(u' ') : c);
                    m_lineHasText = true;
                }
            }
            m_pendingSpace = false;
            return;
        }
        for (const QChar c : chunk) {
            if (isHtmlSpace(c.unicode())) {
                m_pendingSpace = true;
                continue;
            }
            if (m_pendingSpace && m_lineHasText)
                m_out.append(u' ');
            m_pendingSpace = false;
            // A non-breaking space is text, so a paragraph holding only one still gives a line.
            m_out.append(c == QChar(0xA0) ? QChar(u' ') : c);
            m_lineHasText = true;
        }
    }

    void lineBreak()
    {
        if (m_lineHasText)
            newline();
    }

    void newline()
    {
        while (m_out.endsWith(u' '))
            m_out.chop(1);
        m_out.append(u'\n');
        m_lineHasText = false;
        m_pendingSpace = false;
    }

    void cellSeparator()
    {
        m_out.append(u'\t');
        m_lineHasText = true;
        m_pendingSpace = false;
    }

    QString finish()
    {
        while (!m_out.isEmpty() && (m_out.back() == u'\n' || m_out.back() == u' '))
            m_out.chop(1);
        return m_out;
    }

private:
    QString m_out;
    bool m_lineHasText = false;
    bool m_pendingSpace = false;
};

struct Frame
{
    const GumboNode* node;
    unsigned int next; // index of the next child to visit
};

bool isCell(GumboTag tag)
{
    return tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH;
}

// Only cells after the first in their row get a separator.
bool hasEarlierCell(const GumboNode& cell)
{
    if (cell.index_within_parent == 0)
        return false;
    const GumboVector& siblings = cell.parent->v.element.children;
    for (unsigned int i = 0; i < cell.index_within_parent && i < siblings.length; ++i) {
        const auto* s = static_cast<const GumboNode*>(siblings.data[i]);
        if (s->type == GUMBO_NODE_ELEMENT && isCell(s->v.element.tag))
            return true;
    }
    return false;
}

} // namespace

QString HtmlToText(QByteArrayView html)
{
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // the errors are of no use here and only cost memory
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), static_cast<size_t>(html.size()));
    if (!output)
        return {};

    HtmlTextBuilder builder;
    int preDepth = 0;
    // An explicit stack, so deeply nested markup cannot exhaust the call stack.
    std::vector<Frame> stack{{output->document, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const GumboNode* node = frame.node;
        const GumboVector* children = node->type == GUMBO_NODE_DOCUMENT ? &node->v.document.children
                                      : (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE)
                                          ? &node->v.element.children
                                          : nullptr;
        if (children && frame.next < children->length) {
            const auto* child = static_cast<const GumboNode*>(children->data[frame.next++]);
            switch (child->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_CDATA:
            case GUMBO_NODE_WHITESPACE:
                builder.text(child->v.text.text, preDepth > 0);
                break;
            case GUMBO_NODE_ELEMENT: {
                const GumboTag tag = child->v.element.tag;
                if (isDropped(tag))
                    break;
                if (tag == GUMBO_TAG_BR) {
                    builder.newline();
                    break;
                }
                if (isCell(tag) && hasEarlierCell(*child))
                    builder.cellSeparator();
                if (isBlock(tag))
                    builder.lineBreak();
                if (tag == GUMBO_TAG_PRE)
                    ++preDepth;
                stack.push_back({child, 0});
                break;
            }
            default:
                break;
            }
            continue;
        }
        if (node->type == GUMBO_NODE_ELEMENT) {
            if (node->v.element.tag == GUMBO_TAG_PRE)
                --preDepth;
            if (isBlock(node->v.element.tag))
                builder.lineBreak();
        }
        stack.pop_back();
    }
    gumbo_destroy_output(&options, output);
    return builder.finish();
}

// ---- RTF -----------------------------------------------------------------------------------------------

namespace {

// Windows-1252 at 0x80-0x9F, for when the system has no converter for the document's code page.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                                  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

struct RtfState
{
    bool skip = false;       // inside a destination whose text is not shown
    bool suppressed = false; // \htmlrtf: RTF-only text of an encapsulated document
    bool htmlTag = false;    // \*\htmltag: original HTML markup
    int uc = 1;              // fallback characters after \uN
};

enum class Encapsulation { None, Html, Text };

bool isSkippedDestination(QByteArrayView word)
{
    static constexpr std::array<const char*, 44> kWords = {
        "fonttbl",    "colortbl",     "stylesheet", "info",
        "pict",       "object",       "header",     "footer",
        "headerl",    "headerr",      "headerf",    "footerl",
        "footerr",    "footerf",      "themedata",  "colorschememapping",
        "datastore",  "latentstyles", "listtable",  "listoverridetable",
        "rsidtbl",    "generator",    "xmlnstbl",   "mmathPr",
        "fldinst",    "filetbl",      "revtbl",     "listtext",
        "pntext",     "pntxta",       "pntxtb",     "private",
        "author",     "operator",     "title",      "subject",
        "keywords",   "comment",      "doccomm",    "company",
        "nonshppict", "shppict",      "bkmkstart",  "mhtmltag"};
    for (const char* w : kWords) {
        if (word == QByteArrayView(w))
            return true;
    }
    return false;
}

class RtfTextBuilder
{
public:
    void setCodePage(int codePage)
    {
        flushBytes();
        m_decoder.reset();
        if (codePage == 1252 || codePage <= 0)
            return;
        QStringDecoder decoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
        if (!decoder.isValid() && codePage == 65001)
            decoder = QStringDecoder(QStringDecoder::Utf8);
        if (decoder.isValid())
            m_decoder.emplace(std::move(decoder));
    }

    void byte(char b) { m_bytes.append(b); }

    void append(QChar c)
    {
        flushBytes();
        m_out.append(c);
    }

    void append(QStringView s)
    {
        flushBytes();
        m_out.append(s);
    }

    QString finish()
    {
        flushBytes();
        return std::move(m_out);
    }

private:
    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        if (m_decoder) {
            m_out.append(m_decoder->decode(m_bytes));
        } else {
            for (const char b : std::as_const(m_bytes)) {
                const auto u = static_cast<unsigned char>(b);
                m_out.append(u >= 0x80 && u < 0xA0 ? QChar(kCp1252High[u - 0x80]) : QChar(char16_t(u)));
            }
        }
        m_bytes.clear();
    }

    QString m_out;
    QByteArray m_bytes;
    std::optional<QStringDecoder> m_decoder;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One unit of RTF as the interpreter takes it. Raw line breaks and NULs, unknown control symbols and \'
// without two hex digits carry no meaning and never become tokens.
struct RtfToken
{
    enum class Kind { End, GroupStart, GroupEnd, Byte, Char, Ignorable, Word };
    explicit RtfToken(Kind k = Kind::End) : kind(k) {}

    Kind kind;
    char byte = 0;             // Byte: a text byte, or one escaped as \'xx, \\, \{ or \}
    QChar character;           // Char: \~, \_ or an escaped line break
    QByteArrayView word;       // Word: the control word's letters
    std::optional<long> param; // Word: its numeric parameter, when it has one
};

class RtfTokenizer
{
public:
    explicit RtfTokenizer(QByteArrayView rtf) : m_p(rtf.data()), m_end(rtf.data() + rtf.size()) {}

    // The next token; End at the end of the input, and at a backslash that ends it.
    RtfToken next()
    {
        while (m_p < m_end) {
            const char c = *m_p++;
            if (c == '{')
                return RtfToken(RtfToken::Kind::GroupStart);
            if (c == '}')
                return RtfToken(RtfToken::Kind::GroupEnd);
            if (c == '\r' || c == '\n' || c == '\0')
                continue;
            if (c != '\\')
                return byteToken(c);
            if (m_p >= m_end)
                break;
            if (isLetter(*m_p))
                return controlWord();
            if (const auto token = controlSymbol(*m_p++))
                return *token;
        }
        return RtfToken();
    }

private:
    static RtfToken byteToken(char b)
    {
        RtfToken token(RtfToken::Kind::Byte);
        token.byte = b;
        return token;
    }
    static RtfToken charToken(char16_t c)
    {
        RtfToken token(RtfToken::Kind::Char);
        token.character = QChar(c);
        return token;
    }

    std::optional<RtfToken> controlSymbol(char symbol)
    {
        switch (symbol) {
        case '\'':
            if (m_end - m_p >= 2 && hexValue(m_p[0]) >= 0 && hexValue(m_p[1]) >= 0) {
                const char b = static_cast<char>(hexValue(m_p[0]) * 16 + hexValue(m_p[1]));
                m_p += 2;
                return byteToken(b);
            }
            return std::nullopt;
        case '\\':
        case '{':
        case '}':
            return byteToken(symbol);
        case '~':
            return charToken(u' ');
        case '_':
            return charToken(u'-');
        case '*':
            return RtfToken(RtfToken::Kind::Ignorable);
        case '\r':
        case '\n':
            return charToken(u'\n');
        default:
            return std::nullopt;
        }
    }

    // Letters (at most 32), an optional signed number, and one space that belongs to the word.
    RtfToken controlWord()
    {
        const char* wordStart = m_p;
        while (m_p < m_end && isLetter(*m_p) && m_p - wordStart < 32)
            ++m_p;
        RtfToken token(RtfToken::Kind::Word);
        token.word = QByteArrayView(wordStart, m_p - wordStart);
        token.param = parameter();
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        return token;
    }

    // Digits past the tenth are read and ignored.
    std::optional<long> parameter()
    {
        if (m_p >= m_end || (*m_p != '-' && !isDigit(*m_p)))
            return std::nullopt;
        const bool negative = *m_p == '-';
        if (negative)
            ++m_p;
        long value = 0;
        for (int digits = 0; m_p < m_end && isDigit(*m_p); ++digits, ++m_p) {
            if (digits < 10)
                value = value * 10 + (*m_p - '0');
        }
        return negative ? -value : value;
    }

    const char* m_p;
    const char* m_end;
};

// Control words that stand for one character.
struct WordCharacter
{
    const char* word;
    char16_t character;
};
constexpr std::array<WordCharacter, 17> kWordCharacters = {{{"par", u'\n'},
                                                            {"line", u'\n'},
                                                            {"row", u'\n'},
                                                            {"sect", u'\n'},
                                                            {"page", u'\n'},
                                                            {"tab", u'\t'},
                                                            {"cell", u'\t'},
                                                            {"emdash", 0x2014},
                                                            {"endash", 0x2013},
                                                            {"bullet", 0x2022},
                                                            {"lquote", 0x2018},
                                                            {"rquote", 0x2019},
                                                            {"ldblquote", 0x201C},
                                                            {"rdblquote", 0x201D},
                                                            {"emspace", u' '},
                                                            {"enspace", u' '},
                                                            {"qmspace", u' '}}};

// Deeper groups still nest correctly but share their parent's state; no real document comes near this.
constexpr std::size_t kMaxGroupDepth = 1024;

// Keeps the group state and the encapsulation while the tokens come, and builds the visible text.
class RtfInterpreter
{
public:
    void apply(const RtfToken& token)
    {
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            openGroup();
            break;
        case RtfToken::Kind::GroupEnd:
            closeGroup();
            break;
        case RtfToken::Kind::Byte:
            emitByte(token.byte);
            break;
        case RtfToken::Kind::Char:
            emitChar(token.character);
            break;
        case RtfToken::Kind::Ignorable:
            m_ignorableNext = true;
            break;
        case RtfToken::Kind::Word:
            controlWord(token.word, token.param);
            break;
        case RtfToken::Kind::End:
            break;
        }
    }

    QString finish()
    {
        QString text = m_out.finish();
        if (m_encapsulation == Encapsulation::Html)
            return HtmlToText(text.toUtf8());
        while (text.endsWith(u'\n'))
            text.chop(1);
        return text;
    }

private:
    void openGroup()
    {
        if (m_stack.size() < kMaxGroupDepth)
            m_stack.push_back(m_state);
        else
            ++m_overflowDepth;
        m_fallbackLeft = 0;
    }

    void closeGroup()
    {
        if (m_overflowDepth > 0) {
            --m_overflowDepth;
        } else if (!m_stack.empty()) {
            m_state = m_stack.back();
            m_stack.pop_back();
        }
        m_fallbackLeft = 0;
        m_ignorableNext = false;
    }

    void controlWord(QByteArrayView word, std::optional<long> param)
    {
        const bool ignorable = m_ignorableNext;
        m_ignorableNext = false;
        if (word == "htmltag") {
            m_state.htmlTag = true;
        } else if (isSkippedDestination(word) || ignorable) {
            m_state.skip = true;
        } else if (word == "fromhtml") {
            m_encapsulation = Encapsulation::Html;
        } else if (word == "fromtext") {
            m_encapsulation = Encapsulation::Text;
        } else if (word == "htmlrtf") {
            m_state.suppressed = !param || *param != 0;
        } else if (word == "ansicpg" && param) {
            m_out.setCodePage(static_cast<int>(*param));
        } else if (word == "uc" && param) {
            m_state.uc = static_cast<int>(qBound(0L, *param, 16L));
        } else if (word == "u" && param) {
            unicodeCharacter(*param);
        } else {
            for (const WordCharacter& entry : kWordCharacters) {
                if (word == QByteArrayView(entry.word)) {
                    emitChar(QChar(entry.character));
                    break;
                }
            }
        }
    }

    // \uN: negative values count from 65536; the fallback characters after it are dropped.
    void unicodeCharacter(long param)
    {
        const long v = param < 0 ? param + 65536 : param;
        if (v >= 0 && v <= 0xFFFF) {
            m_fallbackLeft = 0;
            emitChar(QChar(static_cast<char16_t>(v)));
        }
        m_fallbackLeft = m_state.uc;
    }

    bool emits() const
    {
        if (m_state.skip)
            return false;
        return m_state.htmlTag || !m_state.suppressed;
    }

    void emitByte(char b)
    {
        if (m_fallbackLeft > 0)
            --m_fallbackLeft;
        else if (emits())
            m_out.byte(b);
    }

    void emitChar(QChar c)
    {
        if (m_fallbackLeft > 0)
            --m_fallbackLeft;
        else if (emits())
            m_out.append(c);
    }

    RtfTextBuilder m_out;
    Encapsulation m_encapsulation = Encapsulation::None;
    std::vector<RtfState> m_stack;
    std::size_t m_overflowDepth = 0;
    RtfState m_state;
    bool m_ignorableNext = false; // the last token was \*
    int m_fallbackLeft = 0;       // characters still to drop after \uN
};

} // namespace

QString RtfToText(QByteArrayView rtf)
{
    RtfTokenizer tokens(rtf);
    RtfInterpreter interpreter;
    for (RtfToken token = tokens.next(); token.kind != RtfToken::Kind::End; token = tokens.next())
        interpreter.apply(token);
    return interpreter.finish();
}

} // namespace sources

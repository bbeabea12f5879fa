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
                if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) && child->index_within_parent > 0) {
                    // Only cells after the first in their row get a separator.
                    bool earlierCell = false;
                    const GumboVector& siblings = child->parent->v.element.children;
                    for (unsigned int i = 0; i < child->index_within_parent && i < siblings.length; ++i) {
                        const auto* s = static_cast<const GumboNode*>(siblings.data[i]);
                        if (s->type == GUMBO_NODE_ELEMENT &&
                            (s->v.element.tag == GUMBO_TAG_TD || s->v.element.tag == GUMBO_TAG_TH)) {
                            earlierCell = true;
                            break;
                        }
                    }
                    if (earlierCell)
                        builder.cellSeparator();
                }
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

// Deeper groups still nest correctly but share their parent's state; no real document comes near this.
constexpr std::size_t kMaxGroupDepth = 1024;

} // namespace

QString RtfToText(QByteArrayView rtf)
{
    RtfTextBuilder out;
    Encapsulation encapsulation = Encapsulation::None;
    std::vector<RtfState> stack;
    std::size_t overflowDepth = 0;
    RtfState state;
    bool ignorableNext = false; // the last token was \*
    int fallbackLeft = 0;       // characters still to drop after \uN

    const auto emits = [&] {
        if (state.skip)
            return false;
        if (state.htmlTag)
            return true;
        return !state.suppressed;
    };
    const auto emitByte = [&](char b) {
        if (fallbackLeft > 0) {
            --fallbackLeft;
            return;
        }
        if (emits())
            out.byte(b);
    };
    const auto emitChar = [&](QChar c) {
        if (fallbackLeft > 0) {
            --fallbackLeft;
            return;
        }
        if (emits())
            out.append(c);
    };

    const char* p = rtf.data();
    const char* const end = p + rtf.size();
    while (p < end) {
        const char c = *p++;
        if (c == '{') {
            if (stack.size() < kMaxGroupDepth)
                stack.push_back(state);
            else
                ++overflowDepth;
            fallbackLeft = 0;
            continue;
        }
        if (c == '}') {
            if (overflowDepth > 0) {
                --overflowDepth;
            } else if (!stack.empty()) {
                state = stack.back();
                stack.pop_back();
            }
            fallbackLeft = 0;
            ignorableNext = false;
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\0')
            continue;
        if (c != '\\') {
            emitByte(c);
            continue;
        }
        if (p >= end)
            break;
        const char s = *p;
        if (!isLetter(s)) {
            ++p;
            switch (s) {
            case '\'':
                if (end - p >= 2 && hexValue(p[0]) >= 0 && hexValue(p[1]) >= 0) {
                    emitByte(static_cast<char>(hexValue(p[0]) * 16 + hexValue(p[1])));
                    p += 2;
                }
                break;
            case '\\':
            case '{':
            case '}':
                emitByte(s);
                break;
            case '~':
                emitChar(u' ');
                break;
            case '_':
                emitChar(u'-');
                break;
            case '*':
                ignorableNext = true;
                break;
            case '\r':
            case '\n':
                emitChar(u'\n');
                break;
            default:
                break;
            }
            continue;
        }

        const char* wordStart = p;
        while (p < end && isLetter(*p) && p - wordStart < 32)
            ++p;
        const QByteArrayView word(wordStart, p - wordStart);
        std::optional<long> param;
        if (p < end && (*p == '-' || isDigit(*p))) {
            const bool negative = *p == '-';
            if (negative)
                ++p;
            long value = 0;
            int digits = 0;
            while (p < end && isDigit(*p)) {
                if (digits < 10)
                    value = value * 10 + (*p - '0');
                ++digits;
                ++p;
            }
            param = negative ? -value : value;
        }
        if (p < end && *p == ' ')
            ++p;

        const bool ignorable = ignorableNext;
        ignorableNext = false;
        if (word == "htmltag") {
            state.htmlTag = true;
            continue;
        }
        if (isSkippedDestination(word) || ignorable) {
            state.skip = true;
            continue;
        }
        if (word == "fromhtml") {
            encapsulation = Encapsulation::Html;
        } else if (word == "fromtext") {
            encapsulation = Encapsulation::Text;
        } else if (word == "htmlrtf") {
            state.suppressed = !param || *param != 0;
        } else if (word == "ansicpg" && param) {
            out.setCodePage(static_cast<int>(*param));
        } else if (word == "uc" && param) {
            state.uc = static_cast<int>(qBound(0L, *param, 16L));
        } else if (word == "u" && param) {
            const long v = *param < 0 ? *param + 65536 : *param;
            if (v >= 0 && v <= 0xFFFF) {
                fallbackLeft = 0;
                emitChar(QChar(static_cast<char16_t>(v)));
            }
            fallbackLeft = state.uc;
        } else if (word == "par" || word == "line" || word == "row" || word == "sect" || word == "page") {
            emitChar(u'\n');
        } else if (word == "tab" || word == "cell") {
            emitChar(u'\t');
        } else if (word == "emdash") {
            emitChar(QChar(0x2014));
        } else if (word == "endash") {
            emitChar(QChar(0x2013));
        } else if (word == "bullet") {
            emitChar(QChar(0x2022));
        } else if (word == "lquote") {
            emitChar(QChar(0x2018));
        } else if (word == "rquote") {
            emitChar(QChar(0x2019));
        } else if (word == "ldblquote") {
            emitChar(QChar(0x201C));
        } else if (word == "rdblquote") {
            emitChar(QChar(0x201D));
        } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
            emitChar(u' ');
        }
    }

    QString text = out.finish();
    if (encapsulation == Encapsulation::Html)
        return HtmlToText(text.toUtf8());
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace sources

#include "sources/express/MessageBody.h"

#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <memory>
#include <optional>

#include <QFile>
#include <QFileInfo>

#include "core/TextFiles.h"
#include "sources/BodyText.h"

#include "sources/express/GMimeObjects.h"

#include <gmime/gmime.h>

namespace sources::express {
namespace {

// A body larger than this is cut here: the rules hold it as one string.
constexpr qsizetype kMaxBodyBytes = qsizetype(256) * 1024 * 1024;
// Deeper nesting than this is no real mail, only a way to exhaust the stack.
constexpr int kMaxDepth = 64;

void initGMime()
{
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

// Raw 8-bit header text is tried as UTF-8 first, then read as Windows-1252, as everywhere else in the program.
GMimeParserOptions* parserOptions()
{
    static GMimeParserOptions* const options = [] {
        initGMime();
        GMimeParserOptions* created = g_mime_parser_options_new();
        const char* charsets[] = {"UTF-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(created, charsets);
        return created;
    }();
    return options;
}

QString utf8OrWindows1252(const QByteArray& bytes)
{
    return core::decodeText(bytes);
}

// The bytes in a charset named by the message; nullopt when iconv does not know it or the bytes do not fit.
std::optional<QByteArray> convertToUtf8(const QByteArray& bytes, const char* charset)
{
    iconv_t cd = g_mime_iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 2 + 64, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    size_t written = 0;
    bool ok = true;
    bool flushing = false;
    for (;;) {
        char* to = out.data() + written;
        size_t outLeft = size_t(out.size()) - written;
        const size_t result =
            flushing ? iconv(cd, nullptr, nullptr, &to, &outLeft) : iconv(cd, &in, &inLeft, &to, &outLeft);
        written = size_t(out.size()) - outLeft;
        if (result != size_t(-1)) {
            if (flushing)
                break;
            flushing = true;
            continue;
        }
        if (errno != E2BIG || out.size() > 2 * kMaxBodyBytes) {
            ok = false;
            break;
        }
        out.resize(out.size() * 2);
    }
    g_mime_iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.truncate(qsizetype(written));
    return out;
}

// UTF-16 that iconv refuses (cut inside a unit, a lone surrogate) still holds its text: it is read with a
// replacement character where it is broken. As Windows-1252 it would end at its first NUL. Nothing for other
// charsets.
std::optional<QString> brokenUtf16(const QByteArray& bytes, const char* canonical)
{
    const bool unmarked = g_ascii_strcasecmp(canonical, "utf-16") == 0;
    if (!unmarked && g_ascii_strcasecmp(canonical, "utf-16le") != 0 && g_ascii_strcasecmp(canonical, "utf-16be") != 0)
        return std::nullopt;
    // Without a byte order mark, plain UTF-16 is big-endian.
    const bool marked = unmarked && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"));
    const bool little = unmarked ? bytes.startsWith("\xFF\xFE") : g_ascii_strcasecmp(canonical, "utf-16le") == 0;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size / 2 + 1);
    for (qsizetype i = marked ? 2 : 0; i + 1 < size; i += 2)
        text += QChar(char16_t(little ? b[i] | b[i + 1] << 8 : b[i] << 8 | b[i + 1]));
    if (size % 2 != 0)
        text += QChar::ReplacementCharacter; // the byte left over at the end
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

QString toUnicode(const QByteArray& bytes, const char* charset)
{
    if (!charset || !*charset)
        return utf8OrWindows1252(bytes);
    const char* canonical = g_mime_charset_canon_name(charset);
    if (canonical && (g_ascii_strcasecmp(canonical, "utf-8") == 0 || g_ascii_strcasecmp(canonical, "us-ascii") == 0))
        return utf8OrWindows1252(bytes);
    if (const auto converted = convertToUtf8(bytes, charset))
        return QString::fromUtf8(*converted);
    if (auto text = brokenUtf16(bytes, canonical ? canonical : charset))
        return *std::move(text);
    QString text;
    core::decodeWindows1252Into(text, bytes);
    return text;
}

QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    const QChar* const data = text.constData();
    const qsizetype size = text.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\r' && c != u'\n')
            continue;
        // The text between line breaks goes over whole; a character at a time costs a check per character.
        out.append(data + runStart, i - runStart);
        out += u"\r\n";
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        runStart = i + 1;
    }
    out.append(data + runStart, size - runStart);
    return out;
}

// The first part of the given text subtype that is not an attachment, depth first. Attached messages
// (message/rfc822) belong to their own message, not to this one's body.
GMimePart* findTextPart(GMimeObject* object, const char* subtype, int depth)
{
    if (!object || depth > kMaxDepth)
        return nullptr;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i) {
            if (GMimePart* found = findTextPart(g_mime_multipart_get_part(multipart, i), subtype, depth + 1))
                return found;
        }
        return nullptr;
    }
    if (GMIME_IS_PART(object)) {
        GMimeContentType* type = g_mime_object_get_content_type(object);
        GMimePart* part = GMIME_PART(object);
        if (type && g_mime_content_type_is_type(type, "text", subtype) && !g_mime_part_is_attachment(part))
            return part;
    }
    return nullptr;
}

// The part's content with its transfer encoding undone, read in blocks and cut at the cap.
QByteArray decodedContent(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GMimeStream* source = g_mime_data_wrapper_get_stream(content);
    if (!source)
        return {};
    g_mime_stream_reset(source);
    GRef<GMimeStream> filtered(g_mime_stream_filter_new(source));
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    if (encoding == GMIME_CONTENT_ENCODING_BASE64 || encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
        encoding == GMIME_CONTENT_ENCODING_UUENCODE) {
        GRef<GMimeFilter> decoder(g_mime_filter_basic_new(encoding, FALSE));
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), decoder.get());
    }
    QByteArray out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = g_mime_stream_read(filtered.get(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        const qsizetype take = std::min<qsizetype>(n, kMaxBodyBytes - out.size());
        out.append(buffer, take);
        if (out.size() >= kMaxBodyBytes)
            break;
    }
    return out;
}

// Whether the header block (up to the first empty line, or the end) fits under the cap.
bool headerBlockFits(QFile& file)
{
    if (file.size() <= kMaxHeaderBytes)
        return true;
    const QByteArray head = file.read(kMaxHeaderBytes);
    return head.contains("\n\n") || head.contains("\n\r\n");
}

QString partText(GMimePart* part)
{
    GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    const char* charset = type ? g_mime_content_type_get_parameter(type, "charset") : nullptr;
    return toUnicode(decodedContent(part), charset);
}

} // namespace

QString LoadMessageBody(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {};
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !headerBlockFits(file))
            return {};
    }
    initGMime();
    GError* error = nullptr;
    GRef<GMimeStream> stream(
        g_mime_stream_fs_open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC, 0, &error));
    if (error)
        g_error_free(error);
    if (!stream)
        return {};
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
    if (!message)
        return {};
    // Text without a single header field is no message; its "body" would be whatever the file holds.
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message.get()));
    if (!headers || g_mime_header_list_get_count(headers) == 0)
        return {};
    return messageBody(message.get());
}

QString messageBody(GMimeMessage* message)
{
    GMimeObject* body = g_mime_message_get_mime_part(message);
    if (GMimePart* plain = findTextPart(body, "plain", 0))
        return withCrLf(partText(plain));
    if (GMimePart* html = findTextPart(body, "html", 0))
        return withCrLf(HtmlToText(partText(html).toUtf8()));
    return {};
}

GMimeParserOptions* messageParserOptions()
{
    return parserOptions();
}

QString decodeHeaderWords(const QByteArray& value)
{
    char* decoded = g_mime_utils_header_decode_text(parserOptions(), value.constData());
    if (!decoded)
        return QString::fromUtf8(value);
    QString text = QString::fromUtf8(decoded);
    g_free(decoded);
    return text;
}

} // namespace sources::express

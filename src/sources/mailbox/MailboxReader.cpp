#include "sources/mailbox/MailboxReader.h"

#include "core/AppError.h"
#include "sources/express/MessageBody.h"
#include "sources/mailbox/Mailboxes.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>

#include "sources/express/GMimeObjects.h"

#include <gmime/gmime.h>

namespace sources::mailbox {

namespace {

using express::GRef;
using express::kMaxHeaderBytes;

// Null for a message that is staged empty.
using MessageHandler = std::function<void(GMimeMessage*)>;

struct Span
{
    qint64 start;
    qint64 end;
};

// The messages of an mbox whose header block passes the cap, found by a scan of the lines: a message starts at
// a "From " line, its header block ends at the first empty line.
QList<Span> oversizedMessages(const QString& path)
{
    QList<Span> spans;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return spans;
    QByteArray block(1 << 20, Qt::Uninitialized);
    qint64 lineStart = 0;
    char head[5];
    int headLength = 0;
    qint64 messageStart = 0;
    qint64 headerStart = -1; // -1: past the header block
    bool oversized = false;
    const auto endLine = [&](qint64 next) {
        const bool from = headLength == 5 && std::memcmp(head, "From ", 5) == 0;
        const qint64 length = next - lineStart;
        const bool empty = length <= 1 || (length == 2 && head[0] == '\r');
        if (from) {
            if (oversized)
                spans.append({messageStart, lineStart});
            messageStart = lineStart;
            headerStart = next;
            oversized = false;
        } else if (headerStart >= 0 && (empty || next - headerStart > kMaxHeaderBytes)) {
            oversized = !empty;
            headerStart = -1;
        }
        lineStart = next;
        headLength = 0;
    };
    qint64 offset = 0;
    for (;;) {
        const qint64 read = file.read(block.data(), block.size());
        if (read <= 0)
            break;
        const char* data = block.constData();
        qint64 at = 0;
        while (at < read) {
            const char* newline = static_cast<const char*>(std::memchr(data + at, '\n', size_t(read - at)));
            const qint64 end = newline ? newline - data + 1 : read;
            for (qint64 i = at; i < end && headLength < 5; ++i)
                head[headLength++] = data[i];
            if (newline)
                endLine(offset + end);
            at = end;
        }
        offset += read;
    }
    if (lineStart < offset)
        endLine(offset);
    if (headerStart >= 0 && offset - headerStart > kMaxHeaderBytes)
        oversized = true;
    if (oversized)
        spans.append({messageStart, offset});
    return spans;
}

GRef<GMimeStream> openReadOnly(const QString& path)
{
    express::messageParserOptions(); // GMime registers its types first
    GError* error = nullptr;
    GRef<GMimeStream> stream(
        g_mime_stream_fs_open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC, 0, &error));
    if (error)
        g_error_free(error);
    return stream;
}

GRef<GMimeParser> parserOver(GMimeStream* stream, GMimeFormat format)
{
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream));
    g_mime_parser_set_format(parser.get(), format);
    // Writers get Content-Length wrong often enough; the "From " lines are what separate messages.
    g_mime_parser_set_respect_content_length(parser.get(), FALSE);
    // Parts copy their content: a part pointing into the file would move the file position under the parser.
    g_mime_parser_set_persist_stream(parser.get(), FALSE);
    return parser;
}

QString cannotRead(const QString& path)
{
    return path + QStringLiteral(": cannot be read (permission denied)");
}

// The messages from byte from to byte to (-1: the end); false when the reading was stopped.
bool readMboxStretch(GMimeStream* file, qint64 from, qint64 to, ReadReport& report, const MessageHandler& handle,
                     const KeepReading& keepReading)
{
    GRef<GMimeStream> stretch(g_mime_stream_substream(file, from, to));
    GRef<GMimeParser> parser = parserOver(stretch.get(), GMIME_FORMAT_MBOX);
    GMimeParserOptions* options = express::messageParserOptions();
    while (!g_mime_parser_eos(parser.get())) {
        GRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), options));
        if (!message)
            break;
        ++report.messages;
        handle(message.get());
        if (keepReading && !keepReading())
            return false;
    }
    return true;
}

void readMbox(const QString& path, ReadReport& report, const MessageHandler& handle, const KeepReading& keepReading)
{
    // An empty mbox is an empty mailbox; GMime would call it a parse error.
    if (QFile(path).size() == 0 && QFile(path).open(QIODevice::ReadOnly))
        return;
    GRef<GMimeStream> stream = openReadOnly(path);
    if (!stream) {
        report.problems.append(cannotRead(path));
        return;
    }
    // The parser reads the stretches between oversized messages; almost always that is the whole file.
    const QList<Span> oversized = oversizedMessages(path);
    qint64 from = 0;
    for (qsizetype i = 0; i <= oversized.size(); ++i) {
        // A stretch ends before the line break that separates it from the next message, as the parser cuts
        // a message before the next "From " line.
        const qint64 to = i == oversized.size() ? -1 : std::max<qint64>(oversized[i].start - 1, from);
        if (to != from && !readMboxStretch(stream.get(), from, to, report, handle, keepReading))
            return;
        if (i == oversized.size())
            break;
        ++report.messages;
        handle(nullptr);
        if (keepReading && !keepReading())
            return;
        from = oversized[i].end;
    }
}

// Whether the header block of a message file (up to the first empty line, or the end) fits under the cap.
bool headerBlockFits(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= kMaxHeaderBytes)
        return true;
    const QByteArray head = file.read(kMaxHeaderBytes);
    return head.contains("\n\n") || head.contains("\n\r\n");
}

// Files whose text holds no header field are not messages and are left out.
void readMessageFile(const QString& path, ReadReport& report, const MessageHandler& handle)
{
    if (!headerBlockFits(path)) {
        ++report.messages;
        handle(nullptr);
        return;
    }
    GRef<GMimeStream> stream = openReadOnly(path);
    if (!stream) {
        report.problems.append(cannotRead(path));
        return;
    }
    GRef<GMimeParser> parser = parserOver(stream.get(), GMIME_FORMAT_MESSAGE);
    GRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), express::messageParserOptions()));
    if (!message)
        return;
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message.get()));
    if (!headers || g_mime_header_list_get_count(headers) == 0)
        return;
    ++report.messages;
    handle(message.get());
}

// A Maildir's messages are the files in cur/ (seen) and new/ (not yet seen); tmp/ holds deliveries not yet
// finished.
QStringList messageFiles(const Mailbox& mailbox)
{
    QStringList files;
    const QDir dir(mailbox.path);
    if (mailbox.kind == Mailbox::Kind::MessageFolder) {
        for (const QString& name :
             dir.entryList({QStringLiteral("*.eml"), QStringLiteral("*.EML")}, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
        files.removeDuplicates();
        return files;
    }
    for (const char* sub : {"cur", "new"}) {
        const QDir messages(dir.filePath(QLatin1String(sub)));
        for (const QString& name : messages.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(messages.filePath(name));
    }
    return files;
}

ReadReport readMailbox(const Mailbox& mailbox, const MessageHandler& handle, const KeepReading& keepReading)
{
    ReadReport report;
    if (mailbox.kind == Mailbox::Kind::Mbox) {
        readMbox(mailbox.path, report, handle, keepReading);
        return report;
    }
    for (const QString& file : messageFiles(mailbox)) {
        readMessageFile(file, report, handle);
        if (keepReading && !keepReading())
            break;
    }
    return report;
}

// A header field's text, unfolded, its encoded words decoded.
QString headerText(GMimeMessage* message, const char* name)
{
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
    GMimeHeader* header = headers ? g_mime_header_list_get_header(headers, name) : nullptr;
    const char* raw = header ? g_mime_header_get_raw_value(header) : nullptr;
    if (!raw)
        return {};
    char* unfolded = g_mime_utils_header_unfold(raw);
    QString text = express::decodeHeaderWords(QByteArray(unfolded)).trimmed();
    g_free(unfolded);
    return text;
}

QString senderOf(GMimeMessage* message)
{
    InternetAddressList* from = g_mime_message_get_from(message);
    if (from && internet_address_list_length(from) > 0) {
        InternetAddress* first = internet_address_list_get_address(from, 0);
        if (INTERNET_ADDRESS_IS_MAILBOX(first)) {
            const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(first));
            if (addr && *addr)
                return QString::fromUtf8(addr);
        }
    }
    return headerText(message, "From");
}

} // namespace

QString unquoteFromLines(const QString& body)
{
    if (!body.contains(QStringLiteral(">From ")))
        return body;
    QString out;
    out.reserve(body.size());
    qsizetype lineStart = 0;
    while (lineStart < body.size()) {
        qsizetype end = body.indexOf(u'\n', lineStart);
        end = end < 0 ? body.size() : end + 1;
        const QStringView line = QStringView(body).sliced(lineStart, end - lineStart);
        qsizetype quotes = 0;
        while (quotes < line.size() && line[quotes] == u'>')
            ++quotes;
        const bool quoted = quotes > 0 && line.sliced(quotes).startsWith(u"From ");
        out += quoted ? line.sliced(1) : line;
        lineStart = end;
    }
    return out;
}

ReadReport stageMailbox(const Mailbox& mailbox, StagedFields fields, QIODevice& out, const KeepReading& keepReading)
{
    const bool mbox = mailbox.kind == Mailbox::Kind::Mbox;
    QByteArray record;
    return readMailbox(
        mailbox,
        [&](GMimeMessage* message) {
            record.clear();
            if (fields.from && message)
                record += senderOf(message).toUtf8();
            record += "\r\n";
            if (fields.body && message) {
                const QString body = express::messageBody(message);
                record += (mbox ? unquoteFromLines(body) : body).toUtf8();
            }
            record += "\r\n";
            if (out.write(record) != record.size())
                throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        },
        keepReading);
}

ReadReport listMailbox(const Mailbox& mailbox, const std::function<void(const ListedMessage&)>& take)
{
    return readMailbox(mailbox,
                       [&](GMimeMessage* message) {
                           take({headerText(message, "From"), headerText(message, "To"), headerText(message, "Subject"),
                                 headerText(message, "Date")});
                       },
                       {});
}

} // namespace sources::mailbox

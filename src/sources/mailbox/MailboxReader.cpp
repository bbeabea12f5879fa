#include "sources/mailbox/MailboxReader.h"

#include "core/AppError.h"
#include "sources/express/MessageBody.h"
#include "sources/mailbox/Mailboxes.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <fcntl.h>
#include <memory>

#include <gmime/gmime.h>

namespace sources::mailbox {

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T>
using GRef = std::unique_ptr<T, GObjectUnref>;

using MessageHandler = std::function<void(GMimeMessage*)>;

GRef<GMimeStream> openReadOnly(const QString& path)
{
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
    GRef<GMimeParser> parser = parserOver(stream.get(), GMIME_FORMAT_MBOX);
    GMimeParserOptions* options = express::messageParserOptions();
    while (!g_mime_parser_eos(parser.get())) {
        GRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), options));
        if (!message)
            break;
        ++report.messages;
        handle(message.get());
        if (keepReading && !keepReading())
            break;
    }
}

// Files whose text holds no header field are not messages and are left out.
void readMessageFile(const QString& path, ReadReport& report, const MessageHandler& handle)
{
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
            if (fields.from)
                record += senderOf(message).toUtf8();
            record += "\r\n";
            if (fields.body) {
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

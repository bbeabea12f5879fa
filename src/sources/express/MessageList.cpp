#include "sources/express/MessageList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "core/AppError.h"
#include "core/TextFiles.h"
#include "sources/express/MessageBody.h"

namespace sources::express {
namespace {

constexpr int kOutOfMemory = 7;
// Larger files are not messages anyone lists; a QString could not hold them anyway.
constexpr qint64 kMaxWholeFile = qint64(256) * 1024 * 1024;
// The head of a message: its header block nearly always fits.
constexpr qint64 kHeadBlock = 64 * 1024;

QString decodeBytes(QByteArrayView bytes)
{
    QString text;
    core::appendDecodedLines(text, bytes);
    return text;
}

// Only blanks count, as the listing has always trimmed them.
QString trimBlanks(QStringView value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && value[begin] == u' ')
        ++begin;
    while (end > begin && value[end - 1] == u' ')
        --end;
    return value.sliced(begin, end - begin).toString();
}

// The lines of a message, ended by LF with or without a CR before it.
class Lines
{
public:
    explicit Lines(QStringView text) : m_text(text) {}
    // The next line without its line end; false past the last one.
    bool next(QStringView& line)
    {
        if (m_at > m_text.size())
            return false;
        qsizetype end = m_text.indexOf(u'\n', m_at);
        const qsizetype after = end < 0 ? m_text.size() + 1 : end + 1;
        if (end < 0)
            end = m_text.size();
        line = m_text.sliced(m_at, end - m_at);
        if (line.endsWith(u'\r'))
            line.chop(1);
        m_at = after;
        return true;
    }
    // The line that next() gives next, without consuming it.
    bool peek(QStringView& line) const
    {
        Lines copy = *this;
        return copy.next(line);
    }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

bool isFoldingBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Where one field was found.
enum class Found { Nowhere, InHeader, Beyond };

// Finds the value of field in text: the first line that begins with field + ":". In the header block (up
// to the first empty line) a field may go on over the lines that begin with a blank or TAB; those are
// joined, each line break dropped and a TAB that folded the line read as a blank. Beyond the header, a
// line stands alone.
Found findField(QStringView text, const QString& field, QString& value)
{
    const QString key = field + u':';
    Lines lines(text);
    QStringView line;
    bool inHeader = true;
    bool sawLine = false;
    while (lines.next(line)) {
        if (line.isEmpty()) {
            // Empty lines before the first one do not end the header.
            inHeader = inHeader && !sawLine;
            continue;
        }
        sawLine = true;
        if (!line.startsWith(key))
            continue;
        QString joined = line.sliced(key.size()).toString();
        QStringView more;
        while (inHeader && lines.peek(more) && !more.isEmpty() && isFoldingBlank(more.front())) {
            lines.next(more);
            joined += u' ';
            joined += more.sliced(1);
        }
        value = trimBlanks(joined);
        return inHeader ? Found::InHeader : Found::Beyond;
    }
    return Found::Nowhere;
}

// The length of the header block with the empty line that ends it, or -1 when the bytes do not hold that line.
// Empty lines before the first one do not end the header.
qsizetype headerBlockLength(QByteArrayView bytes)
{
    bool sawLine = false;
    for (qsizetype at = 0;;) {
        const qsizetype lf = bytes.indexOf('\n', at);
        if (lf < 0)
            return -1;
        const qsizetype length = lf - at - (lf > at && bytes[lf - 1] == '\r' ? 1 : 0);
        if (length == 0 && sawLine)
            return lf + 1;
        sawLine = sawLine || length > 0;
        at = lf + 1;
    }
}

} // namespace

QString GetHeaderField(const QString& text, const QString& field)
{
    QString value;
    findField(text, field, value);
    return value;
}

HeaderFields readHeaderFields(const QString& path)
{
    HeaderFields fields;
    if (!core::FileExists(path))
        return fields;
    QFile file(path);
    core::openForReading(file);
    if (file.size() == 0)
        return fields;
    if (file.size() > kMaxWholeFile)
        throw core::AppError(kOutOfMemory, QStringLiteral("Out of memory"));

    const QByteArray head = file.read(kHeadBlock);
    // The header block alone decides when the head holds it whole and all four fields are in it: the body is
    // not decoded then. A field found only beyond the header is left to the whole text.
    if (const qsizetype length = headerBlockLength(head); length >= 0) {
        const QString headerText = decodeBytes(QByteArrayView(head).first(length));
        bool allInHeader = findField(headerText, QStringLiteral("Date"), fields.date) == Found::InHeader;
        allInHeader = findField(headerText, QStringLiteral("To"), fields.to) == Found::InHeader && allInHeader;
        allInHeader = findField(headerText, QStringLiteral("From"), fields.from) == Found::InHeader && allInHeader;
        allInHeader =
            findField(headerText, QStringLiteral("Subject"), fields.subject) == Found::InHeader && allInHeader;
        if (allInHeader)
            return fields;
    }

    const QString text = decodeBytes(head + file.readAll());
    return {GetHeaderField(text, QStringLiteral("Date")), GetHeaderField(text, QStringLiteral("To")),
            GetHeaderField(text, QStringLiteral("From")), GetHeaderField(text, QStringLiteral("Subject"))};
}

void ListEMLFiles(const QString& folder, MessageListing& listing, const std::function<bool(const QString&)>& take)
{
    QDir dir(folder);
    QStringList names = dir.entryList({QStringLiteral("*.eml")}, QDir::Files);
    // Plain code-unit order: the converter's names sort into the store's order that way.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.compare(b) < 0; });

    QSet<QString> listed;
    listed.reserve(listing.size());
    for (const EmlMessage& message : std::as_const(listing))
        listed.insert(message.fileName);

    for (const QString& name : std::as_const(names)) {
        if (listed.contains(name) || (take && !take(name)))
            continue;
        const HeaderFields fields = readHeaderFields(folder + u'/' + name);
        if (fields.date.isEmpty())
            continue;
        listing.append({decodeHeaderWords(fields.from.toUtf8()), decodeHeaderWords(fields.to.toUtf8()),
                        decodeHeaderWords(fields.subject.toUtf8()), decodeHeaderWords(fields.date.toUtf8()), name});
        listed.insert(name);
    }
}

} // namespace sources::express

#include "sources/express/MessageList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "app/AppError.h"
#include "app/TextFiles.h"
#include "sources/express/MessageBody.h"

namespace sources::express {
namespace {

constexpr int kOutOfMemory = 7;
// Larger files are not messages anyone lists; a QString could not hold them anyway.
constexpr qint64 kMaxWholeFile = qint64(256) * 1024 * 1024;
// The head of a message: its header block nearly always fits.
constexpr qint64 kHeadBlock = 64 * 1024;

const QString kEmptyFile = QStringLiteral("empty file");

QString decodeBytes(QByteArrayView bytes)
{
    QString text;
    app::appendDecodedLines(text, bytes);
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

// Finds the value of field in text; false when no line matches.
bool findField(QStringView text, const QString& field, QString& value)
{
    const QString key = field + u':';
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u"\r\n", start);
        if (end < 0)
            end = text.size();
        const QStringView line = text.sliced(start, end - start);
        if (line.startsWith(key)) {
            value = trimBlanks(line.sliced(key.size()));
            return true;
        }
        start = end + 2;
    }
    return false;
}

} // namespace

QString GetHeaderField(const QString& text, const QString& field)
{
    QString value;
    findField(text, field, value);
    return value;
}

QString ReadWholeFile(const QString& path)
{
    if (!app::FileExists(path))
        return {};
    QFile file(path);
    app::openForReading(file);
    if (file.size() == 0)
        return kEmptyFile;
    if (file.size() > kMaxWholeFile)
        throw app::AppError(kOutOfMemory, QStringLiteral("Out of memory"));
    return decodeBytes(file.readAll());
}

HeaderFields readHeaderFields(const QString& path)
{
    HeaderFields fields;
    if (!app::FileExists(path))
        return fields;
    QFile file(path);
    app::openForReading(file);
    if (file.size() == 0)
        return fields;
    if (file.size() > kMaxWholeFile)
        throw app::AppError(kOutOfMemory, QStringLiteral("Out of memory"));

    const QByteArray head = file.read(kHeadBlock);
    // Only whole lines of the head count: a line cut at the block's end could match differently whole.
    QByteArrayView complete(head);
    if (!file.atEnd()) {
        const qsizetype lastBreak = head.lastIndexOf("\r\n");
        complete = lastBreak < 0 ? QByteArrayView() : complete.first(lastBreak);
    }
    const QString headText = decodeBytes(complete);
    bool found = findField(headText, QStringLiteral("Date"), fields.date);
    found = findField(headText, QStringLiteral("To"), fields.to) && found;
    found = findField(headText, QStringLiteral("From"), fields.from) && found;
    found = findField(headText, QStringLiteral("Subject"), fields.subject) && found;
    if (found || file.atEnd())
        return fields;

    // A field lies beyond the head, or nowhere: the whole text decides, as it always has.
    const QString text = decodeBytes(head + file.readAll());
    return {GetHeaderField(text, QStringLiteral("Date")), GetHeaderField(text, QStringLiteral("To")),
            GetHeaderField(text, QStringLiteral("From")), GetHeaderField(text, QStringLiteral("Subject"))};
}

void ListEMLFiles(const QString& folder, MessageListing& listing)
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
        if (listed.contains(name))
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

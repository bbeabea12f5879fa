#include "core/TextFiles.h"

#include "core/AppError.h"
#include "core/ByteScan.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>

namespace core {

namespace {

constexpr qsizetype kReadChunk = 1 << 20;

// Windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code points, as Windows maps them.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

[[noreturn]] void failOpen(const QFile& file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists()) {
        if (!info.absoluteDir().exists())
            throw AppError(errors::kPathNotFound, QStringLiteral("Path not found"));
        throw AppError(errors::kFileNotFound, QStringLiteral("File not found"));
    }
    throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
}

// Where the bytes can be cut for decoding: after the last line break; in a line longer than a read chunk,
// before a character that is not yet complete.
qsizetype decodableEnd(QByteArrayView bytes)
{
    const qsizetype lf = bytes.lastIndexOf('\n');
    if (lf >= 0)
        return lf + 1;
    if (bytes.size() <= kReadChunk)
        return 0;
    qsizetype i = bytes.size() - 1;
    while (i > 0 && bytes.size() - i < 4 && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80)
        --i;
    return static_cast<unsigned char>(bytes[i]) >= 0xC0 ? i : bytes.size();
}

} // namespace

// Decodes line by line, so each line takes the same decoding as when read by LineReader.
void appendDecodedLines(QString& out, QByteArrayView bytes)
{
    // Valid UTF-8 throughout means every line is, as no line break falls inside a character: one decode. Not
    // when a line after the first starts with a byte order mark, which decoding drops only at a text's start.
    if (isValidUtf8(bytes) && bytes.indexOf("\n\xEF\xBB\xBF") < 0) {
        out += QString::fromUtf8(bytes);
        return;
    }
    while (!bytes.isEmpty()) {
        const qsizetype lf = bytes.indexOf('\n');
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        out += decodeText(bytes.first(end));
        bytes = bytes.sliced(end);
    }
}

void decodeWindows1252Into(QString& out, QByteArrayView bytes)
{
    out.resize(bytes.size());
    QChar* to = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *to++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
}

QString decodeText(QByteArrayView bytes)
{
    if (QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    decodeWindows1252Into(text, bytes);
    return text;
}

void openForReading(QFile& file)
{
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly))
        failOpen(file);
}

LineReader::LineReader(const QString& path) : m_file(path)
{
    openForReading(m_file);
    fill();
    if (m_buffer.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype old = m_buffer.size();
    if (m_buffer.capacity() < old + kReadChunk)
        m_buffer.reserve(std::max(old + kReadChunk, 2 * m_buffer.capacity()));
    m_buffer.resize(old + kReadChunk);
    const qint64 got = m_file.read(m_buffer.data() + old, kReadChunk);
    if (got < 0)
        throw AppError(errors::kDeviceIo, QStringLiteral("Device I/O error"));
    m_buffer.resize(old + got);
    m_atEnd = got == 0;
    return got > 0;
}

bool LineReader::next(QString& line)
{
    qsizetype searchFrom = m_pos;
    for (;;) {
        const char* start = m_buffer.constData() + searchFrom;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', m_buffer.size() - searchFrom));
        if (lf) {
            qsizetype end = lf - m_buffer.constData();
            const qsizetype next = end + 1;
            if (end > m_pos && m_buffer[end - 1] == '\r')
                --end;
            line = decodeText(QByteArrayView(m_buffer).sliced(m_pos, end - m_pos));
            m_pos = next;
            m_sawLine = true;
            return true;
        }
        searchFrom = m_buffer.size() - m_pos;
        if (!fill())
            break;
    }
    // The rest after the last line break (a CR at the very end is a line break too), or the single empty
    // line of an empty file.
    if (m_pos < m_buffer.size() || !m_sawLine) {
        QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_pos);
        if (rest.endsWith('\r'))
            rest.chop(1);
        line = decodeText(rest);
        m_pos = m_buffer.size();
        m_sawLine = true;
        return true;
    }
    return false;
}

QStringList ReadTextLines(const QString& path)
{
    LineReader reader(path);
    QStringList lines;
    QString line;
    while (reader.next(line))
        lines.append(line);
    return lines;
}

BlockReader::BlockReader(const QString& path) : m_file(path)
{
    openForReading(m_file);
}

bool BlockReader::next(QString& block)
{
    while (!m_atEnd && m_decoded.size() - m_offset < kTextBlockSize)
        decodeMore();
    if (m_decoded.size() - m_offset >= kTextBlockSize) {
        block = m_decoded.sliced(m_offset, kTextBlockSize);
        m_offset += kTextBlockSize;
        m_given = true;
        return true;
    }
    if (m_offset < m_decoded.size() || !m_given) {
        block = m_decoded.sliced(m_offset);
        m_offset = m_decoded.size();
        m_given = true;
        return true;
    }
    return false;
}

void BlockReader::decodeMore()
{
    const QByteArray chunk = m_file.read(kReadChunk);
    if (chunk.isEmpty() && m_file.error() != QFileDevice::NoError)
        throw AppError(errors::kDeviceIo, QStringLiteral("Device I/O error"));
    m_atEnd = chunk.isEmpty();
    if (m_bytes.isEmpty() && m_file.pos() == chunk.size() && chunk.startsWith("\xEF\xBB\xBF"))
        m_bytes = chunk.sliced(3);
    else
        m_bytes += chunk;
    const qsizetype cut = m_atEnd ? m_bytes.size() : decodableEnd(m_bytes);
    m_decoded.remove(0, m_offset);
    m_offset = 0;
    appendDecodedLines(m_decoded, QByteArrayView(m_bytes).first(cut));
    m_bytes.remove(0, cut);
}

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

void DeleteFiles(const QString& pattern)
{
    const QFileInfo info(pattern);
    const QDir dir = info.dir();
    // Name filters ignore letter case unless asked otherwise.
    const QStringList names = dir.entryList({info.fileName()}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QFile::remove(dir.filePath(name));
}

QString NormalizePath(const QString& path, QChar separator)
{
    const QString doubled(2, separator);
    auto collapse = [&](QString rest) { return rest.replace(doubled, QString(separator)); };
    if (separator != u'\\' || !path.startsWith(separator))
        return collapse(path);
    qsizetype firstOther = 1;
    while (firstOther < path.size() && path[firstOther] == separator)
        ++firstOther;
    return doubled + collapse(path.mid(firstOther));
}

} // namespace core

#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

namespace core {

inline constexpr qsizetype kTextBlockSize = 65536;

// Text files are UTF-8 with CR LF line ends. A line that is not valid UTF-8 is read as Windows-1252, so a
// file from an older system keeps every byte instead of turning into replacement characters.
QString decodeText(QByteArrayView bytes);
// Windows-1252 into a buffer reused from call to call.
void decodeWindows1252Into(QString& out, QByteArrayView bytes);

// Opens a file for reading; fails with "File not found", "Path not found" or "Permission denied".
void openForReading(QFile& file);

// Streams the lines of a text file. A line ends at LF; a CR before that LF (or at the very end of the file)
// is not part of the line; a final line break adds no empty line, and an empty file has one empty line.
class LineReader
{
public:
    // Fails with "File not found" or an access error.
    explicit LineReader(const QString& path);
    // The next line, or false at the end of the file.
    bool next(QString& line);

private:
    bool fill();

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    bool m_sawLine = false;
};

// Streams a text file in blocks of 65,536 characters, the last one shorter; an empty file gives one empty
// block. Line breaks are kept as they are in the file.
class BlockReader
{
public:
    explicit BlockReader(const QString& path);
    bool next(QString& block);

private:
    void decodeMore();

    QFile m_file;
    QByteArray m_bytes;
    QString m_decoded;
    qsizetype m_offset = 0;
    bool m_atEnd = false;
    bool m_given = false;
};

// Decodes text bytes line by line, appending to out.
void appendDecodedLines(QString& out, QByteArrayView bytes);

QStringList ReadTextLines(const QString& path);

// True for an existing file or folder; never fails.
bool FileExists(const QString& path);
// Deletes the files matching a wildcard pattern such as "/folder/*.eml" (letter case ignored, as on the
// system these stores come from); every failure is ignored.
void DeleteFiles(const QString& pattern);

// Collapses each doubled separator, pairs taken from the left. With the backslash, a path that starts with
// one keeps exactly two at its start (a network share); POSIX gives a leading "//" no such meaning.
QString NormalizePath(const QString& path, QChar separator = u'/');

} // namespace core

#pragma once

#include <QFile>
#include <QString>

namespace sources::outlook {

// Writes the staging file through one open file for a whole run; records are UTF-8, each line ended by
// CR LF. Failures are core::AppError.
class StagingWriter
{
public:
    enum class Start {
        Fresh,  // create or empty the file and write the single empty line it starts with
        Append, // add to what the file holds, opening it at the first record
    };
    StagingWriter(const QString& path, Start start);
    ~StagingWriter();

    const QString& path() const { return m_path; }
    // Appends one record: the sender line, then the body and its line end.
    void appendRecord(const QString& sender, const QString& body);
    // Appends the records of a part staged fresh by another writer (without the empty line it starts with).
    void appendPart(const QString& partPath);
    // Writes out what is buffered; a failure here is a failure of the run.
    void close();

private:
    void open(QIODevice::OpenMode mode);
    void write(const QByteArray& bytes);

    QString m_path;
    QFile m_file;
};

} // namespace sources::outlook

#pragma once

#include <QFile>
#include <QString>

namespace sources::outlook {

// Writes the staging file through one open file for a whole run; records are UTF-8, each line ended by
// CR LF. Failures are core::AppError.
class StagingWriter
{
public:
    // Creates or empties the file and writes the single empty line it starts with.
    explicit StagingWriter(const QString& path);
    ~StagingWriter();

    // Appends one record: the sender line, then the body and its line end.
    void appendRecord(const QString& sender, const QString& body);
    // Writes out what is buffered; a failure here is a failure of the run.
    void close();

private:
    void write(const QByteArray& bytes);

    QFile m_file;
};

} // namespace sources::outlook

#include "sources/outlook/StagingWriter.h"

#include "core/AppError.h"

#include <QDir>
#include <QFileInfo>

namespace sources::outlook {

StagingWriter::StagingWriter(const QString& path, Start start) : m_path(path), m_file(path)
{
    if (start == Start::Fresh) {
        open(QIODevice::WriteOnly | QIODevice::Truncate);
        write(QByteArrayLiteral("\r\n"));
    }
}

StagingWriter::~StagingWriter()
{
    // A failure at this point has nobody left to report to; close() is where a run learns of it.
    m_file.close();
}

void StagingWriter::appendRecord(const QString& sender, const QString& body)
{
    if (!m_file.isOpen())
        open(QIODevice::WriteOnly | QIODevice::Append);
    QByteArray bytes;
    bytes.reserve(sender.size() + body.size() + 4);
    bytes += sender.toUtf8();
    bytes += "\r\n";
    bytes += body.toUtf8();
    bytes += "\r\n";
    write(bytes);
}

void StagingWriter::appendPart(const QString& partPath)
{
    QFile part(partPath);
    if (!part.open(QIODevice::ReadOnly))
        throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
    if (!m_file.isOpen())
        open(QIODevice::WriteOnly | QIODevice::Append);
    part.skip(2);
    for (QByteArray chunk = part.read(1 << 20); !chunk.isEmpty(); chunk = part.read(1 << 20))
        write(chunk);
}

void StagingWriter::close()
{
    if (!m_file.isOpen())
        return;
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed)
        throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
}

void StagingWriter::open(QIODevice::OpenMode mode)
{
    const QFileInfo info(m_path);
    if (info.isDir() || !m_file.open(mode)) {
        if (!info.exists() && !info.absoluteDir().exists())
            throw core::AppError(core::errors::kPathNotFound, QStringLiteral("Path not found"));
        throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Permission denied"));
    }
}

void StagingWriter::write(const QByteArray& bytes)
{
    if (m_file.write(bytes) != bytes.size()) {
        // Leave the file closed, so the next record tries afresh rather than writing after a gap.
        m_file.close();
        throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
    }
}

} // namespace sources::outlook

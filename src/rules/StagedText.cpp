#include "rules/StagedText.h"

#include "core/AppError.h"
#include "core/ByteScan.h"
#include "core/TextFiles.h"
#include "rules/LineRule.h"
#include "platform/Desktop.h"

#include <QFile>
#include <algorithm>

namespace rules {

namespace {

constexpr qint64 kReadChunk = 1 << 20;
constexpr qint64 kSliceMs = 20;

// Reads the next chunk onto the end of the buffer; false at the end of the file.
bool readMore(QFile& file, QByteArray& buffer)
{
    const qsizetype old = buffer.size();
    if (buffer.capacity() < old + kReadChunk)
        buffer.reserve(std::max<qsizetype>(old + kReadChunk, 2 * buffer.capacity()));
    buffer.resize(old + kReadChunk);
    const qint64 got = file.read(buffer.data() + old, kReadChunk);
    if (got < 0)
        throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
    buffer.resize(old + got);
    return got > 0;
}

} // namespace

void scanStagedText(const QString& path, LineRule& rule, HitSink& sink, const QString& sourcePath,
                    platform::EventLoop& loop)
{
    QFile file(path);
    core::openForReading(file);
    LineHits hits(sink, sourcePath);
    QByteArray buffer;
    const bool numbered = rule.numbersLines();
    qint64 number = numbered ? 1 : 0;
    bool atStart = true;
    bool sawBytes = false;
    qint64 sliceStart = loop.clockMs();
    for (;;) {
        const bool more = readMore(file, buffer);
        if (atStart && buffer.startsWith("\xEF\xBB\xBF"))
            buffer.remove(0, 3);
        atStart = false;
        sawBytes = sawBytes || !buffer.isEmpty();
        if (!more) {
            // Every line of a block ends with LF: close the last line, or give an empty file its one line.
            if (buffer.endsWith('\r'))
                buffer.back() = '\n';
            else if (!buffer.isEmpty() || !sawBytes)
                buffer.append('\n');
        }
        const qsizetype cut = more ? buffer.lastIndexOf('\n') + 1 : buffer.size();
        if (cut > 0) {
            const QByteArrayView lines = QByteArrayView(buffer).first(cut);
            const LineBlock block{lines, number, core::isValidUtf8(lines)};
            rule.scan(block, hits);
            if (numbered)
                number += core::countByte(lines, '\n');
            buffer.remove(0, cut);
        }
        if (!more)
            break;
        if (loop.clockMs() - sliceStart >= kSliceMs) {
            loop.yieldWithinRun();
            sliceStart = loop.clockMs();
        }
    }
}

} // namespace rules

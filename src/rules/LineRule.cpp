#include "rules/LineRule.h"

#include "core/TextFiles.h"

#include <QStringDecoder>

namespace rules {

void HitSink::addHitBytes(QByteArrayView line, bool validUtf8, const QString& sourcePath)
{
    addHit(validUtf8 ? QString::fromUtf8(line) : core::decodeText(line), sourcePath);
}

void HitSink::addHitLines(QByteArrayView lines, bool validUtf8, const QString& sourcePath)
{
    forEachLine(LineBlock{lines, 1, validUtf8},
                [&](QByteArrayView line, qint64) { addHitBytes(line, validUtf8, sourcePath); });
}

void decodeInto(QString& buffer, QByteArrayView line, bool knownValidUtf8)
{
    if (!knownValidUtf8 && !QUtf8StringView(line.data(), line.size()).isValidUtf8()) {
        core::decodeWindows1252Into(buffer, line);
        return;
    }
    buffer.resize(line.size());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* end = decoder.appendToBuffer(buffer.data(), line);
    buffer.resize(end - buffer.constData());
}

void LineRule::scan(const LineBlock& block, LineHits& hits)
{
    QString line;
    forEachLine(block, [&](QByteArrayView bytes, qint64 number) {
        decodeInto(line, bytes, block.validUtf8);
        if (const int times = hitsInLine(line, number))
            hits.add(bytes, block.validUtf8, times);
    });
}

void LineRule::scanLine(QStringView line, qint64 number, LineHits& hits)
{
    if (const int times = hitsInLine(line, number))
        hits.add(line.toString(), times);
}

} // namespace rules

#include "rules/Between.h"

#include "core/TextFiles.h"
#include "rules/LineRule.h"

#include <algorithm>

namespace rules {

QStringList ExtractBetween(QStringView text, QStringView x, QStringView y, bool ignoreCase)
{
    QStringList out;
    if (x.isEmpty() || y.isEmpty())
        return out;
    const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    qsizetype start = 0;
    for (qsizetype at; (at = text.indexOf(y, start)) >= 0; start = at + y.size()) {
        const QStringView piece = text.sliced(start, at - start);
        const qsizetype k = piece.indexOf(x, 0, cs);
        if (k >= 0)
            out.append(piece.sliced(k).toString());
    }
    return out;
}

BetweenScanner::BetweenScanner(QString x, QString y, bool ignoreCase, Found found)
    : m_x(std::move(x)), m_y(std::move(y)), m_case(ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive),
      m_found(std::move(found))
{
}

void BetweenScanner::feed(QStringView piece)
{
    if (m_x.isEmpty() || m_y.isEmpty())
        return;
    m_buffer.append(piece);
    const QStringView all(m_buffer);
    const qsizetype size = all.size();
    qsizetype pieceStart = 0; // the buffer begins at the current piece's start, or at the text held of it
    for (qsizetype yAt; (yAt = all.indexOf(m_y, m_yFrom)) >= 0;) {
        // A match found earlier is the piece's first X: every earlier start could be tested in full. It
        // counts only when the Y does not begin inside it.
        qsizetype xAt = m_xAt;
        if (xAt < 0) {
            const QStringView span = all.sliced(pieceStart, yAt - pieceStart);
            const qsizetype k = span.indexOf(m_x, m_xFrom - pieceStart, m_case);
            xAt = k < 0 ? -1 : pieceStart + k;
        } else if (xAt + m_x.size() > yAt) {
            xAt = -1;
        }
        if (xAt >= 0)
            m_found(all.sliced(xAt, yAt - xAt));
        pieceStart = m_xFrom = m_yFrom = yAt + m_y.size();
        m_xAt = -1;
    }
    if (m_xAt < 0) {
        const qsizetype k = all.sliced(pieceStart).indexOf(m_x, m_xFrom - pieceStart, m_case);
        m_xAt = k < 0 ? -1 : pieceStart + k;
    }
    // Keep what a later piece may still need: the X and all after it, the last characters a Y may begin
    // in, and without an X the last characters an X may begin in, plus the one before them (a low
    // surrogate is compared together with the high one before it).
    const qsizetype yFrom = std::max(pieceStart, size - m_y.size() + 1);
    qsizetype keep;
    if (m_xAt >= 0) {
        keep = std::min(m_xAt, yFrom);
    } else {
        m_xFrom = std::max(pieceStart, size - m_x.size() + 1);
        keep = std::max(pieceStart, std::min(m_xFrom - 1, yFrom));
    }
    m_yFrom = yFrom;
    m_buffer.remove(0, keep);
    m_xFrom = std::max<qsizetype>(0, m_xFrom - keep);
    m_yFrom -= keep;
    if (m_xAt >= 0)
        m_xAt -= keep;
}

void BetweenScanner::finish()
{
    m_buffer.clear();
    m_xAt = -1;
    m_xFrom = m_yFrom = 0;
}

std::optional<QString> finishSpan(QStringView span, qsizetype xLength, QStringView y, bool includeX, bool includeY)
{
    QString result = includeX ? span.toString() : span.sliced(std::min(xLength, span.size())).toString();
    if (includeY)
        result += y;
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

namespace {

// A scanner whose finished results go to the sink.
BetweenScanner scannerInto(const BetweenOptions& options, HitSink& sink, const QString& sourcePath)
{
    return BetweenScanner(options.x, options.y, options.ignoreCase, [&options, &sink, &sourcePath](QStringView span) {
        if (auto result = finishSpan(span, options.x.size(), options.y, options.includeX, options.includeY))
            sink.addHit(*result, sourcePath);
    });
}

} // namespace

void runBetweenOverFile(const QString& path, const BetweenOptions& options, HitSink& sink, const QString& sourcePath)
{
    core::BlockReader reader(path);
    BetweenScanner scanner = scannerInto(options, sink, sourcePath);
    QString block;
    while (reader.next(block))
        scanner.feed(block);
    scanner.finish();
}

void runBetweenOverText(QStringView text, const BetweenOptions& options, HitSink& sink, const QString& sourcePath)
{
    BetweenScanner scanner = scannerInto(options, sink, sourcePath);
    scanner.feed(text);
    scanner.finish();
}

} // namespace rules

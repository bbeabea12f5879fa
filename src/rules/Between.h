#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rules {

class HitSink;

// Module Extract1. The text is split at every Y (always compared exactly); of each piece that a Y follows,
// the part from its first X on is a result (X compared without regard to case when ignoreCase). The piece
// after the last Y is never used. An empty X or Y finds nothing.
QStringList ExtractBetween(QStringView text, QStringView x, QStringView y, bool ignoreCase);

// ExtractBetween over a text that arrives in pieces, with the same results in the same order as over the
// whole text. It holds only the unfinished text after the last Y, and of that only the part from the first X
// on; before an X turns up, only the few last characters in which an X or a Y may still begin.
class BetweenScanner
{
public:
    using Found = std::function<void(QStringView span)>;
    BetweenScanner(QString x, QString y, bool ignoreCase, Found found);

    void feed(QStringView piece);
    // Ends the text (the part after the last Y is dropped); the scanner is then ready for another text.
    void finish();
    // Characters held between pieces.
    qsizetype held() const { return m_buffer.size(); }

private:
    QString m_x;
    QString m_y;
    Qt::CaseSensitivity m_case;
    Found m_found;
    QString m_buffer;      // starts within the current piece, which began after the last Y
    qsizetype m_xAt = -1;  // the first X of the current piece, once found
    qsizetype m_xFrom = 0; // no X starts before this
    qsizetype m_yFrom = 0; // no Y starts before this
};

// What the dialog makes of one result: without the X when X is not included, with the Y appended when Y is;
// nothing when that leaves it empty.
std::optional<QString> finishSpan(QStringView span, qsizetype xLength, QStringView y, bool includeX, bool includeY);

struct BetweenOptions
{
    QString x;
    QString y;
    bool ignoreCase = false;
    bool includeX = true;
    bool includeY = true;
};

// Between X and Y over a text file, read in blocks with spans carried across them; each finished result
// goes to the sink with the source path. Fails with the file helpers' errors.
void runBetweenOverFile(const QString& path, const BetweenOptions& options, HitSink& sink, const QString& sourcePath);
// The same over a text in memory.
void runBetweenOverText(QStringView text, const BetweenOptions& options, HitSink& sink, const QString& sourcePath);

} // namespace rules

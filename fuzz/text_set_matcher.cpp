// The text-set automaton against searching the line for each item in turn, line by line and over a
// block.
#include "FuzzSupport.h"

#include "rules/TextSetMatcher.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

int naiveCount(QStringView line, const QStringList& items, Qt::CaseSensitivity cs)
{
    if (line.isEmpty())
        return 0;
    int hits = 0;
    for (const QString& item : items) {
        if (line.indexOf(item, 0, cs) >= 0)
            ++hits;
    }
    return hits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool ignoreCase = input.ConsumeBool();
    const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QStringList items;
    const int itemCount = input.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < itemCount; ++i)
        items.append(QString::fromUtf8(input.ConsumeRandomLengthString(12)));
    const QByteArray raw = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    rules::TextSetMatcher matcher(items, ignoreCase);
    if (!matcher.usable())
        return 0;

    // Valid UTF-8, every line ended by LF, as the staged text gives it.
    QByteArray block = QString::fromUtf8(raw).toUtf8();
    if (!block.endsWith('\n'))
        block.append('\n');

    QList<QPair<QString, int>> expected;
    rules::forEachLine({block, 1, true}, [&](QByteArrayView bytes, qint64) {
        const QString line = QString::fromUtf8(bytes);
        const int naive = naiveCount(line, items, cs);
        if (!line.isEmpty())
            fuzzsupport::check(matcher.countInLine(line) == naive, "text sets: countInLine differs from naive search");
        if (naive > 0)
            expected.append({line, naive});
    });

    if (matcher.searchesBlocks()) {
        QList<QPair<QString, int>> found;
        matcher.scanBlock(block, [&](QByteArrayView content, int count) {
            found.append({QString::fromUtf8(content), count});
        });
        fuzzsupport::check(found == expected, "text sets: scanBlock differs from naive search");
    }
    return 0;
}

// ExtractBetween over a whole text, and the block scanner over the same text in random pieces: both must
// find the same spans in the same order.
#include "FuzzSupport.h"

#include "rules/Between.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool ignoreCase = input.ConsumeBool();
    const bool includeX = input.ConsumeBool();
    const bool includeY = input.ConsumeBool();
    const QString x = QString::fromUtf8(input.ConsumeRandomLengthString(8));
    const QString y = QString::fromUtf8(input.ConsumeRandomLengthString(8));
    std::vector<qsizetype> pieces;
    for (int i = 0; i < 16 && input.remaining_bytes() > 0; ++i)
        pieces.push_back(input.ConsumeIntegralInRange<qsizetype>(0, 64));
    const QString text = QString::fromUtf8(input.ConsumeRemainingBytesAsString());

    const QStringList whole = rules::ExtractBetween(text, x, y, ignoreCase);

    QStringList scanned;
    rules::BetweenScanner scanner(x, y, ignoreCase, [&](QStringView span) { scanned.append(span.toString()); });
    // Pieces of zero characters are fed as they come, but some piece has to make progress.
    if (std::all_of(pieces.begin(), pieces.end(), [](qsizetype length) { return length == 0; })) {
        scanner.feed(text);
    } else {
        for (qsizetype at = 0, i = 0; at < text.size(); ++i) {
            const qsizetype take = std::min(pieces[size_t(i) % pieces.size()], text.size() - at);
            scanner.feed(QStringView(text).mid(at, take));
            at += take;
        }
    }
    scanner.finish();
    fuzzsupport::check(scanned == whole, "between: scanner differs from ExtractBetween");

    for (const QString& span : whole) {
        fuzzsupport::check(span.size() <= text.size(), "between: span longer than the text");
        (void)rules::finishSpan(span, x.size(), y, includeX, includeY);
    }
    return 0;
}

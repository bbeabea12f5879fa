// The line rules' block search against asking each line in turn: containing, not containing, text sets
// and every line must find the same lines, in the same order and number.
#include "FuzzSupport.h"

#include "extract/TextRules.h"
#include "extract/TextSetRule.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <memory>

namespace {

void compare(extract::LineRule& rule, const extract::LineBlock& block, const char* what)
{
    rule.refresh();
    fuzzsupport::CollectingSink scanned;
    const QString source;
    {
        extract::LineHits hits(scanned, source);
        rule.scan(block, hits);
    }
    fuzzsupport::CollectingSink byLine;
    QString line;
    extract::forEachLine(block, [&](QByteArrayView bytes, qint64 number) {
        extract::decodeInto(line, bytes, block.validUtf8);
        for (int n = rule.hitsInLine(line, number); n > 0; --n)
            byLine.hits.append(line);
    });
    fuzzsupport::check(scanned.hits == byLine.hits, what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool ignoreCase = input.ConsumeBool();
    const bool claimValid = input.ConsumeBool();
    const QString needle = QString::fromUtf8(input.ConsumeRandomLengthString(16));
    QStringList items;
    const int itemCount = input.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < itemCount; ++i)
        items.append(QString::fromUtf8(input.ConsumeRandomLengthString(8)));
    QByteArray bytes = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    // The block may only claim to be UTF-8 when it is.
    const bool valid = claimValid && QUtf8StringView(bytes.constData(), bytes.size()).isValidUtf8();
    const extract::LineBlock block{bytes, 1, valid};

    const extract::SearchInput search{[&] { return needle; }, [&] { return ignoreCase; }};
    extract::ContainingRule containing(search, extract::ContainingRule::Want::Containing);
    compare(containing, block, "containing: block scan differs from line by line");
    extract::ContainingRule notContaining(search, extract::ContainingRule::Want::NotContaining);
    compare(notContaining, block, "not containing: block scan differs from line by line");

    extract::TextSetRule textSets({[&] { return items; }, [&] { return ignoreCase; }});
    compare(textSets, block, "text sets: block scan differs from line by line");

    extract::AllLinesRule all;
    compare(all, block, "all lines: block scan differs from line by line");
    return 0;
}

// The line rules' block search against asking each line in turn: containing, not containing, text sets,
// patterns, addresses and every line must find the same hits, in the same order and number.
#include "FuzzSupport.h"

#include "rules/AddressRule.h"
#include "rules/PatternRule.h"
#include "rules/TextRules.h"
#include "rules/TextSetRule.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <memory>

namespace {

void compare(rules::LineRule& rule, const rules::LineBlock& block, const char* what)
{
    fuzzsupport::CollectingSink scanned;
    const QString source;
    {
        rules::LineHits hits(scanned, source);
        rule.scan(block, hits);
    }
    fuzzsupport::CollectingSink byLine;
    QString line;
    rules::forEachLine(block, [&](QByteArrayView bytes, qint64 number) {
        rules::decodeInto(line, bytes, block.validUtf8);
        for (int n = rule.hitsInLine(line, number); n > 0; --n)
            byLine.hits.append(line);
    });
    fuzzsupport::check(scanned.hits == byLine.hits, what);
}

// The addresses of a block against those of its lines, each decoded as a message body's line is.
void compareAddresses(const rules::LineBlock& block)
{
    rules::AddressRule rule;
    fuzzsupport::CollectingSink scanned, byLine;
    const QString source;
    rules::LineHits blockHits(scanned, source);
    rule.scan(block, blockHits);
    rules::LineHits lineHits(byLine, source);
    QString line;
    rules::forEachLine(block, [&](QByteArrayView bytes, qint64 number) {
        rules::decodeInto(line, bytes, block.validUtf8);
        rule.scanLine(line, number, lineHits);
    });
    fuzzsupport::check(scanned.hits == byLine.hits, "addresses: block scan differs from line by line");
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
    const rules::LineBlock block{bytes, 1, valid};

    rules::ContainingRule containing(needle, ignoreCase, rules::ContainingRule::Want::Containing);
    compare(containing, block, "containing: block scan differs from line by line");
    rules::ContainingRule notContaining(needle, ignoreCase, rules::ContainingRule::Want::NotContaining);
    compare(notContaining, block, "not containing: block scan differs from line by line");

    rules::TextSetRule textSets(items, ignoreCase);
    compare(textSets, block, "text sets: block scan differs from line by line");

    // The needle read as a pattern; one that does not compile matches nothing either way.
    rules::PatternRule pattern(needle, ignoreCase);
    compare(pattern, block, "pattern: block scan differs from line by line");
    compareAddresses(block);

    rules::AllLinesRule all;
    compare(all, block, "all lines: block scan differs from line by line");
    return 0;
}

// The line-number list ("1,3,4") and the rule it makes: scanning a block must give the lines that
// asking line by line gives.
#include "FuzzSupport.h"

#include "core/ErrorReport.h"
#include "rules/NumberList.h"
#include "platform/ScriptedPlatform.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString list = QString::fromUtf8(input.ConsumeRandomLengthString(256));
    const qint64 firstNumber = input.ConsumeIntegralInRange<qint64>(-3, 70000);
    QByteArray block = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    if (!block.endsWith('\n'))
        block.append('\n');

    platform::ScriptedDialogs dialogs;
    core::Trap trap(dialogs, QStringLiteral("Form2"), QStringLiteral("fuzz"));
    const QList<double> entries = rules::parseNumberList(list, trap, 1);
    (void)rules::leadingNumber(list);

    const bool valid = QUtf8StringView(block.constData(), block.size()).isValidUtf8();
    rules::LineNumberRule rule(entries);
    fuzzsupport::CollectingSink scanned;
    {
        const QString source;
        rules::LineHits hits(scanned, source);
        rule.scan({block, firstNumber, valid}, hits);
    }
    fuzzsupport::CollectingSink byLine;
    QString line;
    rules::forEachLine({block, firstNumber, valid}, [&](QByteArrayView bytes, qint64 number) {
        rules::decodeInto(line, bytes, valid);
        for (int n = rule.hitsInLine(line, number); n > 0; --n)
            byLine.hits.append(line);
    });
    fuzzsupport::check(scanned.hits == byLine.hits, "line numbers: block scan differs from line by line");
    return 0;
}

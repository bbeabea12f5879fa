// The text-file readers over one file (lines, blocks, the streaming readers) and NormalizePath.
#include "FuzzSupport.h"

#include "core/AppError.h"
#include "core/TextFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString path = fuzzsupport::writeInput(bytes, QStringLiteral("text.txt"));

    const QStringList lines = core::ReadTextLines(path);
    QStringList streamed;
    {
        core::LineReader reader(path);
        QString line;
        while (reader.next(line))
            streamed.append(line);
    }
    fuzzsupport::check(lines == streamed, "text files: ReadTextLines differs from LineReader");

    QString joined;
    {
        core::BlockReader reader(path);
        QString block;
        while (reader.next(block)) {
            fuzzsupport::check(block.size() <= core::kTextBlockSize, "text files: a block larger than its size");
            joined += block;
        }
    }
    // The block reader drops a leading byte-order mark before decoding line by line.
    QString decoded;
    core::appendDecodedLines(decoded, bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes);
    fuzzsupport::check(joined == decoded, "text files: blocks differ from the decoded file");

    // Doubled separators collapse pair by pair, so "///" keeps two: only the length is certain.
    const QString asPath = QString::fromUtf8(bytes);
    for (const QChar separator : {QChar(u'/'), QChar(u'\\')})
        fuzzsupport::check(core::NormalizePath(asPath, separator).size() <= asPath.size() + 1,
                           "NormalizePath made a path longer");
    return 0;
}

#include "core/TextFiles.h"
#include "support/TempDir.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace core;
using testsupport::TempDir;

namespace {

QStringList blocksOf(const QString& path)
{
    BlockReader reader(path);
    QStringList blocks;
    QString block;
    while (reader.next(block))
        blocks.append(block);
    return blocks;
}

} // namespace

TEST(ReadTextLines, LineBreaksByteOrderMarkAndWindows1252Lines)
{
    TempDir dir;
    const std::pair<QByteArray, QStringList> cases[] = {
        {"", {u""_qs}},
        {"a\r\nb\r\n", {u"a"_qs, u"b"_qs}},
        {"a\r\n\r\n", {u"a"_qs, u""_qs}},
        {"a\r\nb", {u"a"_qs, u"b"_qs}},
        {"a\nb\n", {u"a"_qs, u"b"_qs}},
        {"\r\n", {u""_qs}},
        {"a\rb\r\n", {u"a\rb"_qs}},
        {"a\r\nb\r", {u"a"_qs, u"b"_qs}},
        {"\xEF\xBB\xBFx\r\n", {u"x"_qs}},
        // A line that is no UTF-8 is read as Windows-1252, byte for byte.
        {"caf\xC3\xA9\r\ncaf\xE9 \x80 \x81\r\n", {u"caf\u00E9"_qs, u"caf\u00E9 \u20AC \u0081"_qs}},
        // A line longer than a read.
        {QByteArray(3 * 1024 * 1024 + 5, 'x') + "\r\ntail", {QString(3 * 1024 * 1024 + 5, u'x'), u"tail"_qs}},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(ReadTextLines(dir.write(u"t"_qs, bytes)), lines) << bytes.left(40).toStdString();
}

// Blocks count decoded characters, so a block boundary never falls inside a UTF-8 character.
TEST(BlockReader, BlocksOf65536DecodedCharactersKeepingLineBreaks)
{
    TempDir dir;
    EXPECT_EQ(blocksOf(dir.write(u"empty"_qs, "")), QStringList{QString()});
    EXPECT_EQ(blocksOf(dir.write(u"exact"_qs, QByteArray(65536, 'b'))).size(), 1);
    EXPECT_EQ(blocksOf(dir.write(u"65537"_qs, QByteArray(65537, 'a'))), (QStringList{QString(65536, u'a'), u"a"_qs}));
    const QStringList blocks =
        blocksOf(dir.write(u"utf8"_qs, "\xEF\xBB\xBF" + QByteArray("\xC3\xA9\xC3\xA9\r\n").repeated(20000)));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].size(), 65536);
    EXPECT_EQ(blocks.join(QString()), u"\u00E9\u00E9\r\n"_qs.repeated(20000));
    // One line of three-byte characters, longer than a read.
    const QStringList euros = blocksOf(dir.write(u"euro"_qs, QByteArray("\xE2\x82\xAC").repeated(700000)));
    EXPECT_EQ(euros.join(QString()), QString(700000, QChar(0x20AC)));
}

// Decoding a text at once gives what decoding it line by line gives: lines of UTF-8 and of Windows-1252, byte
// order marks at the start of any line, a last line without a break.
TEST(AppendDecodedLines, WholeTextDecodesAsItsLinesDo)
{
    const QByteArray pieces[] = {"abc", "\xC3\xA9", "\xE9", "\xEF\xBB\xBF", "\xE2\x82\xAC", "\r", "\r\n", "\n"};
    QRandomGenerator random(11);
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        for (int n = random.bounded(0, 12); n > 0; --n)
            text += pieces[random.bounded(int(std::size(pieces)))];
        QString lineByLine;
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype lf = text.indexOf('\n', at);
            const qsizetype end = lf < 0 ? text.size() : lf + 1;
            lineByLine += decodeText(QByteArrayView(text).sliced(at, end - at));
            at = end;
        }
        QString whole;
        appendDecodedLines(whole, text);
        ASSERT_EQ(whole, lineByLine) << text.toHex().toStdString();
    }
}

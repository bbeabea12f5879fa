#include "core/AppError.h"
#include "core/TextFiles.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace core;
using testsupport::TempDir;

namespace {
QStringList lines(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}
} // namespace

TEST(ReadTextLines, LineBreakRules)
{
    TempDir dir;
    EXPECT_EQ(ReadTextLines(dir.write(u"empty"_qs, "")), lines({""}));
    EXPECT_EQ(ReadTextLines(dir.write(u"ab"_qs, "a\r\nb\r\n")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(u"blank"_qs, "a\r\n\r\n")), lines({"a", ""}));
    EXPECT_EQ(ReadTextLines(dir.write(u"nofinal"_qs, "a\r\nb")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(u"lf"_qs, "a\nb\n")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(u"onlybreak"_qs, "\r\n")), lines({""}));
    EXPECT_EQ(ReadTextLines(dir.write(u"cr"_qs, "a\rb\r\n")), lines({"a\rb"}));
    EXPECT_EQ(ReadTextLines(dir.write(u"crend"_qs, "a\r\nb\r")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(u"bom"_qs, "\xEF\xBB\xBFx\r\n")), lines({"x"}));
}

TEST(ReadTextLines, InvalidUtf8LineIsReadAsWindows1252WithoutLoss)
{
    TempDir dir;
    const QString path = dir.write(u"mixed"_qs, "caf\xC3\xA9\r\ncaf\xE9 \x80 \x81\r\n");
    EXPECT_EQ(ReadTextLines(path), (QStringList{u"caf\u00E9"_qs, u"caf\u00E9 \u20AC \u0081"_qs}));
}

TEST(ReadTextLines, LinesLongerThanTheReadBuffer)
{
    TempDir dir;
    QByteArray big(3 * 1024 * 1024 + 5, 'x');
    big += "\r\ntail";
    const QStringList read = ReadTextLines(dir.write(u"big"_qs, big));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].size(), 3 * 1024 * 1024 + 5);
    EXPECT_EQ(read[1], u"tail"_qs);
}

TEST(ReadTextLines, MissingFileAndFolderFailWithRunTimeErrors)
{
    TempDir dir;
    try {
        ReadTextLines(dir.file(u"absent.txt"_qs));
        FAIL() << "no failure";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), errors::kFileNotFound);
        EXPECT_EQ(e.description(), u"File not found"_qs);
    }
    EXPECT_THROW(ReadTextLines(dir.path()), AppError);
    EXPECT_THROW(ReadTextBlocks(dir.file(u"absent.txt"_qs)), AppError);
}

TEST(ReadTextBlocks, BlocksOf65536Characters)
{
    TempDir dir;
    EXPECT_EQ(ReadTextBlocks(dir.write(u"empty"_qs, "")), QStringList{QString()});

    const QStringList two = ReadTextBlocks(dir.write(u"65537"_qs, QByteArray(65537, 'a')));
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].size(), 65536);
    EXPECT_EQ(two[1], u"a"_qs);

    EXPECT_EQ(ReadTextBlocks(dir.write(u"exact"_qs, QByteArray(65536, 'b'))).size(), 1);
}

TEST(ReadTextBlocks, KeepsLineBreaksAndCountsDecodedCharacters)
{
    TempDir dir;
    // Two-byte characters: 40,000 of them are 80,000 bytes but 40,000 characters, one block.
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "\xC3\xA9\xC3\xA9\r\n";
    const QStringList blocks = ReadTextBlocks(dir.write(u"utf8"_qs, text));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].size(), 65536);
    EXPECT_EQ(blocks.join(QString()), QString::fromUtf8(text));
    // A long line of three-byte characters is cut between characters, never inside one.
    const QStringList euros = ReadTextBlocks(dir.write(u"euro"_qs, QByteArray("\xE2\x82\xAC").repeated(700000)));
    EXPECT_EQ(euros.join(QString()), QString(700000, QChar(0x20AC)));
}

TEST(WriteFiles, WriteNewReplacesAppendAddsEachWithCrLf)
{
    TempDir dir;
    const QString path = dir.file(u"out.txt"_qs);
    AppendToFile(u"one"_qs, path);
    AppendToFile(u"t\u00E9"_qs, path);
    EXPECT_EQ(TempDir::read(path), QByteArray("one\r\nt\xC3\xA9\r\n"));
    WriteNewFile(QString(), path);
    EXPECT_EQ(TempDir::read(path), QByteArray("\r\n"));
    EXPECT_THROW(WriteNewFile(u"x"_qs, dir.file(u"no/such/folder.txt"_qs)), AppError);
}

TEST(FileHelpers, DeleteFilesByWildcardIgnoringCaseAndFailures)
{
    TempDir dir;
    dir.write(u"a.eml"_qs, "x");
    dir.write(u"B.EML"_qs, "x");
    dir.write(u"keep.txt"_qs, "x");
    DeleteFiles(dir.file(u"*.eml"_qs));
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"a.eml"_qs)));
    EXPECT_FALSE(QFileInfo::exists(dir.file(u"B.EML"_qs)));
    EXPECT_TRUE(QFileInfo::exists(dir.file(u"keep.txt"_qs)));
    DeleteFiles(dir.file(u"*.eml"_qs));                // nothing to match
    DeleteFiles(dir.file(u"no/such/folder/*.eml"_qs)); // no folder
    EXPECT_TRUE(FileExists(dir.file(u"keep.txt"_qs)));
    EXPECT_TRUE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(NormalizePath, CollapsesDoubledSeparators)
{
    const QChar bs = u'\\';
    EXPECT_EQ(NormalizePath(u"C:\\\\a\\\\b"_qs, bs), u"C:\\a\\b"_qs);
    EXPECT_EQ(NormalizePath(u"\\\\\\\\server\\\\share"_qs, bs), u"\\\\server\\share"_qs);
    EXPECT_EQ(NormalizePath(u"\\\\\\"_qs, bs), u"\\\\"_qs);
    EXPECT_EQ(NormalizePath(u"C:\\\\\\x"_qs, bs), u"C:\\\\x"_qs); // pairs from the left
    EXPECT_EQ(NormalizePath(u"//home//me/file"_qs, u'/'), u"/home/me/file"_qs);
    EXPECT_EQ(NormalizePath(u"/a\\\\b"_qs, u'/'), u"/a\\\\b"_qs);
}

#include "app/AppError.h"
#include "app/TextFiles.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace app;
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
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("empty"), "")), lines({""}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("ab"), "a\r\nb\r\n")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("blank"), "a\r\n\r\n")), lines({"a", ""}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("nofinal"), "a\r\nb")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("lf"), "a\nb\n")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("onlybreak"), "\r\n")), lines({""}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("cr"), "a\rb\r\n")), lines({"a\rb"}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("crend"), "a\r\nb\r")), lines({"a", "b"}));
    EXPECT_EQ(ReadTextLines(dir.write(QStringLiteral("bom"), "\xEF\xBB\xBFx\r\n")), lines({"x"}));
}

TEST(ReadTextLines, InvalidUtf8LineIsReadAsWindows1252WithoutLoss)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("mixed"), "caf\xC3\xA9\r\ncaf\xE9 \x80 \x81\r\n");
    EXPECT_EQ(ReadTextLines(path),
              (QStringList{QStringLiteral("caf\u00E9"), QStringLiteral("caf\u00E9 \u20AC \u0081")}));
}

TEST(ReadTextLines, LinesLongerThanTheReadBuffer)
{
    TempDir dir;
    QByteArray big(3 * 1024 * 1024 + 5, 'x');
    big += "\r\ntail";
    const QStringList read = ReadTextLines(dir.write(QStringLiteral("big"), big));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].size(), 3 * 1024 * 1024 + 5);
    EXPECT_EQ(read[1], QStringLiteral("tail"));
}

TEST(ReadTextLines, MissingFileAndFolderFailWithRunTimeErrors)
{
    TempDir dir;
    try {
        ReadTextLines(dir.file(QStringLiteral("absent.txt")));
        FAIL() << "no failure";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), errors::kFileNotFound);
        EXPECT_EQ(e.description(), QStringLiteral("File not found"));
    }
    EXPECT_THROW(ReadTextLines(dir.path()), AppError);
    EXPECT_THROW(ReadTextBlocks(dir.file(QStringLiteral("absent.txt"))), AppError);
}

TEST(ReadTextBlocks, BlocksOf65536Characters)
{
    TempDir dir;
    EXPECT_EQ(ReadTextBlocks(dir.write(QStringLiteral("empty"), "")), QStringList{QString()});

    const QStringList two = ReadTextBlocks(dir.write(QStringLiteral("65537"), QByteArray(65537, 'a')));
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].size(), 65536);
    EXPECT_EQ(two[1], QStringLiteral("a"));

    EXPECT_EQ(ReadTextBlocks(dir.write(QStringLiteral("exact"), QByteArray(65536, 'b'))).size(), 1);
}

TEST(ReadTextBlocks, KeepsLineBreaksAndCountsDecodedCharacters)
{
    TempDir dir;
    // Two-byte characters: 40,000 of them are 80,000 bytes but 40,000 characters, one block.
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "\xC3\xA9\xC3\xA9\r\n";
    const QStringList blocks = ReadTextBlocks(dir.write(QStringLiteral("utf8"), text));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].size(), 65536);
    EXPECT_EQ(blocks.join(QString()), QString::fromUtf8(text));
}

TEST(ReadTextBlocks, LongLineIsCutBetweenCharactersNotInsideThem)
{
    TempDir dir;
    QByteArray text;
    for (int i = 0; i < 700000; ++i)
        text += "\xE2\x82\xAC"; // 2.1 MB without a line break
    const QStringList blocks = ReadTextBlocks(dir.write(QStringLiteral("euro"), text));
    EXPECT_EQ(blocks.join(QString()), QString(700000, QChar(0x20AC)));
}

TEST(WriteFiles, WriteNewReplacesAppendAddsEachWithCrLf)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("out.txt"));
    AppendToFile(QStringLiteral("one"), path);
    AppendToFile(QStringLiteral("t\u00E9"), path);
    EXPECT_EQ(TempDir::read(path), QByteArray("one\r\nt\xC3\xA9\r\n"));
    WriteNewFile(QString(), path);
    EXPECT_EQ(TempDir::read(path), QByteArray("\r\n"));
    EXPECT_THROW(WriteNewFile(QStringLiteral("x"), dir.file(QStringLiteral("no/such/folder.txt"))), AppError);
}

TEST(FileHelpers, FileExistsForFilesAndFoldersNeverFails)
{
    TempDir dir;
    EXPECT_TRUE(FileExists(dir.write(QStringLiteral("f"), "x")));
    EXPECT_TRUE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.file(QStringLiteral("absent"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(FileHelpers, DeleteFilesByWildcardIgnoringCaseAndFailures)
{
    TempDir dir;
    dir.write(QStringLiteral("a.eml"), "x");
    dir.write(QStringLiteral("B.EML"), "x");
    dir.write(QStringLiteral("keep.txt"), "x");
    DeleteFiles(dir.file(QStringLiteral("*.eml")));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("a.eml"))));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("B.EML"))));
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("keep.txt"))));
    DeleteFiles(dir.file(QStringLiteral("*.eml")));                // nothing to match
    DeleteFiles(dir.file(QStringLiteral("no/such/folder/*.eml"))); // no folder
}

TEST(NormalizePath, CollapsesDoubledSeparators)
{
    const QChar bs = u'\\';
    EXPECT_EQ(NormalizePath(QStringLiteral("C:\\\\a\\\\b"), bs), QStringLiteral("C:\\a\\b"));
    EXPECT_EQ(NormalizePath(QStringLiteral("\\\\\\\\server\\\\share"), bs), QStringLiteral("\\\\server\\share"));
    EXPECT_EQ(NormalizePath(QStringLiteral("\\\\\\"), bs), QStringLiteral("\\\\"));
    EXPECT_EQ(NormalizePath(QStringLiteral("C:\\\\\\x"), bs), QStringLiteral("C:\\\\x")); // pairs from the left
    EXPECT_EQ(NormalizePath(QStringLiteral("//home//me/file"), u'/'), QStringLiteral("/home/me/file"));
    EXPECT_EQ(NormalizePath(QStringLiteral("/a\\\\b"), u'/'), QStringLiteral("/a\\\\b"));
}

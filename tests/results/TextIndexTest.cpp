#include "results/TextIndex.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace results;

TEST(TextIndex, NumbersEachDistinctTextOnceAcrossArenaChunks)
{
    TextIndex index;
    // Lengths around the one-byte length prefix and past an arena chunk, and many short texts so that the
    // set grows several times while texts are looked up.
    std::vector<std::string> texts = {
        "", "a", std::string(127, 'x'), std::string(128, 'x'), std::string(3 << 20, 'y'), std::string(3 << 20, 'z')};
    for (int i = 0; i < 50'000; ++i)
        texts.push_back("sender" + std::to_string(i) + "@example.org");
    for (const std::string& text : texts) {
        bool inserted = false;
        index.insert(text, &inserted);
        EXPECT_TRUE(inserted) << text.substr(0, 20);
    }
    ASSERT_EQ(index.size(), texts.size());
    for (std::size_t id = 0; id < texts.size(); ++id) {
        bool inserted = true;
        EXPECT_EQ(index.insert(texts[id], &inserted), id);
        EXPECT_FALSE(inserted);
        EXPECT_EQ(index.at(TextIndex::Id(id)), texts[id]);
    }
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.insert("a"), 0u);
}

TEST(TextIndex, TextsKeepEveryUnitThroughTheirKey)
{
    // An unpaired surrogate must neither merge with the replacement character UTF-8 would write, nor with
    // another unpaired surrogate.
    const QString texts[] = {u"plain"_qs,   u"Über straße Å é"_qs,   u"emoji \U0001F600 ok"_qs,
                             QChar(0xd800), QChar(0xdc00),           u"\uFFFD"_qs,
                             u"?"_qs,       QChar(0xd83d) + u"x"_qs, u"\xff"_qs};
    TextIndex index;
    std::string scratch;
    for (const QString& text : texts) {
        bool inserted = false;
        const TextIndex::Id id = index.insert(encodeText(text, scratch), &inserted);
        EXPECT_TRUE(inserted) << text.toStdString();
        EXPECT_EQ(decodeText(index.at(id)), text);
    }
    // A valid text's key is its UTF-8, as the command line's byte path relies on.
    EXPECT_EQ(encodeText(texts[1], scratch), texts[1].toUtf8().toStdString());
}

TEST(TextIndex, HashSpreadsNearTextsOverTheLowAndHighBits)
{
    // The set takes the hash as avalanching: texts differing in one character must differ in both ends.
    int lowClashes = 0;
    int highClashes = 0;
    for (int i = 1; i < 4096; ++i) {
        const std::uint64_t a = hashBytes("line " + std::to_string(i - 1));
        const std::uint64_t b = hashBytes("line " + std::to_string(i));
        lowClashes += (a & 0xff) == (b & 0xff);
        highClashes += (a >> 56) == (b >> 56);
    }
    // About 16 of 4096 neighbours share a byte by chance.
    EXPECT_LT(lowClashes, 64);
    EXPECT_LT(highClashes, 64);
}

#include "core/ByteScan.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QUtf8StringView>
#include <algorithm>
#include <gtest/gtest.h>

using namespace core;

namespace {

// Checks a sequence placed at an offset that varies with it inside ASCII, so that it falls on every position
// of a run the check skips at once, against Qt's own check.
void expectSameValidity(const QByteArray& sequence, int offset)
{
    const QByteArray text = QByteArray(offset % 37, 'a') + sequence + QByteArray(19, 'z');
    ASSERT_EQ(isValidUtf8(text), QUtf8StringView(text).isValidUtf8()) << sequence.toHex().toStdString();
    ASSERT_EQ(isValidUtf8(sequence), QUtf8StringView(sequence).isValidUtf8()) << sequence.toHex().toStdString();
}

} // namespace

// Every one- and two-byte sequence, every lead and second byte of the longer ones with continuations of each
// kind, cut short or not, and damaged text of several scripts: valid exactly when Qt says so.
TEST(ByteScan, Utf8ValidityIsQtsForEverySequence)
{
    int offset = 0;
    const char tails[] = {'\x00', '\x7F', '\x80', '\xBF', '\xC0', '\xFF'};
    for (int first = 0; first < 256; ++first) {
        expectSameValidity(QByteArray(1, char(first)), ++offset);
        for (int second = 0; second < 256; ++second) {
            const QByteArray two = QByteArray(1, char(first)) + char(second);
            expectSameValidity(two, ++offset);
            if (first < 0xE0)
                continue;
            for (const char third : tails) {
                expectSameValidity(two + third, ++offset);
                for (const char fourth : tails)
                    expectSameValidity(two + third + fourth, ++offset);
            }
        }
    }

    const QList<QByteArray> words = {"plain",
                                     "caf\xC3\xA9",
                                     "\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5",
                                     "\xE6\x9D\xB1\xE4\xBA\xAC",
                                     "\xF0\x9F\x98\x80",
                                     "\r\n"};
    QRandomGenerator random(17);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text;
        for (int w = random.bounded(0, 40); w > 0; --w)
            text += words[random.bounded(int(words.size()))] + ' ';
        if (!text.isEmpty() && random.bounded(2))
            text[random.bounded(int(text.size()))] = char(random.bounded(256));
        ASSERT_EQ(isValidUtf8(text), QUtf8StringView(text).isValidUtf8()) << text.toHex().toStdString();
    }
}

// Counts across the runs added up at once, and the short tail after them.
TEST(ByteScan, CountsEveryOccurrence)
{
    QRandomGenerator random(5);
    for (const int size : {0, 1, 15, 16, 17, 4079, 4080, 4081, 70000}) {
        QByteArray bytes(size, 'x');
        for (char& c : bytes)
            c = random.bounded(3) ? '\n' : char(random.bounded(256));
        EXPECT_EQ(countByte(bytes, '\n'), std::count(bytes.begin(), bytes.end(), '\n')) << size;
        EXPECT_EQ(countByte(bytes, '\xFF'), std::count(bytes.begin(), bytes.end(), '\xFF')) << size;
    }
    EXPECT_EQ(countByte(QByteArray(300 * 16, '\n'), '\n'), 300 * 16);
}

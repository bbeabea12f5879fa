#include "sources/express/MessageList.h"

#include "support/TempDir.h"

using namespace sources::express;

TEST(GetHeaderField, TakesTheFirstExactLineAnywhereTrimmingBlanksOnly)
{
    const QString text =
        QStringLiteral("Received: x\r\n\r\ndate: lower\r\nSubject:   two  words   \r\n"
                       "To:\tpadded\t\r\n  folded\r\nX-Date: no\r\n\r\nDate: in the body\r\nDate: second");
    EXPECT_EQ(GetHeaderField(text, QStringLiteral("Date")), QStringLiteral("in the body"));
    EXPECT_EQ(GetHeaderField(text, QStringLiteral("Subject")), QStringLiteral("two  words"));
    EXPECT_EQ(GetHeaderField(text, QStringLiteral("To")), QStringLiteral("\tpadded\t"));
    EXPECT_EQ(GetHeaderField(text, QStringLiteral("From")), QString());
    // Lines break at CR LF only.
    EXPECT_EQ(GetHeaderField(QStringLiteral("A: 1\nFrom: x"), QStringLiteral("From")), QString());
}

TEST(ReadWholeFile, TellsMissingFromEmpty)
{
    testsupport::TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir.file(QStringLiteral("none.eml"))), QString());
    EXPECT_EQ(ReadWholeFile(dir.write(QStringLiteral("e.eml"), "")), QStringLiteral("empty file"));
    EXPECT_EQ(ReadWholeFile(dir.write(QStringLiteral("t.eml"), "A: \xFC\r\nB: \xC3\xBC")),
              QStringLiteral("A: ü\r\nB: ü"));
}

// The head block is a shortcut only: whatever lies beyond it, the fields equal the whole-text rule.
TEST(ReadHeaderFields, EqualsTheWholeTextRule)
{
    testsupport::TempDir dir;
    const QByteArray filler = QByteArray(70000, 'x') + "\r\n";
    const QByteArray head = "From: f\r\nTo: t\r\nDate: d\r\n";
    // A Subject line straddling the end of the head block, one only far beyond it, one nowhere.
    const QByteArray straddling = head + QByteArray(65536 - head.size() - 4, 'y') + "\r\nSubject: across\r\n";
    for (const QByteArray& bytes : {straddling, head + filler + "Subject: late\r\n", head + filler,
                                    QByteArray("Subject: s\r\n") + filler + "Date: only late"}) {
        const QString path = dir.write(QStringLiteral("m.eml"), bytes);
        const QString whole = ReadWholeFile(path);
        const HeaderFields fields = readHeaderFields(path);
        EXPECT_EQ(fields.date, GetHeaderField(whole, QStringLiteral("Date")));
        EXPECT_EQ(fields.to, GetHeaderField(whole, QStringLiteral("To")));
        EXPECT_EQ(fields.from, GetHeaderField(whole, QStringLiteral("From")));
        EXPECT_EQ(fields.subject, GetHeaderField(whole, QStringLiteral("Subject")));
    }
    EXPECT_EQ(readHeaderFields(dir.write(QStringLiteral("s.eml"), straddling)).subject, QStringLiteral("across"));
}

TEST(ListEMLFiles, ListsDatedMessagesInNameOrderWithDecodedFields)
{
    testsupport::TempDir dir;
    dir.write(QStringLiteral("b-2.eml"), "From: =?UTF-8?B?SsO8cmdlbg==?= <j@example.com>\r\nTo: t\r\n"
                                         "Subject:    spaced out   \r\nDate: Mon, 1 Jan 2001\r\n\r\nbody");
    dir.write(QStringLiteral("a-1.eml"), "From: f\r\nSubject: s\r\n\r\nbody\r\nDate: from the body\r\n");
    dir.write(QStringLiteral("c-3.eml"), "From: f\r\ndate: lower case\r\n\r\nbody");
    dir.write(QStringLiteral("d-4.eml"), "");
    dir.write(QStringLiteral("e-5.txt"), "Date: not a message file\r\n");
    MessageListing listing;
    ListEMLFiles(dir.path(), listing);
    const MessageListing expected{{QStringLiteral("f"), QString(), QStringLiteral("s"), QStringLiteral("from the body"),
                                   QStringLiteral("a-1.eml")},
                                  {QStringLiteral("Jürgen <j@example.com>"), QStringLiteral("t"),
                                   QStringLiteral("spaced out"), QStringLiteral("Mon, 1 Jan 2001"),
                                   QStringLiteral("b-2.eml")}};
    EXPECT_EQ(listing, expected);

    // Listing again after another conversion adds only the new file.
    dir.write(QStringLiteral("a-0.eml"), "Date: new\r\n");
    ListEMLFiles(dir.path(), listing);
    ASSERT_EQ(listing.size(), 3);
    EXPECT_EQ(listing[2].fileName, QStringLiteral("a-0.eml"));
}

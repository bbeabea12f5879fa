#include "sources/express/MessageList.h"

#include "core/TextFiles.h"
#include "support/TempDir.h"

#include <algorithm>

using namespace sources::express;

TEST(GetHeaderField, TakesTheFirstExactLineAnywhereTrimmingBlanksOnly)
{
    const QString text =
        QStringLiteral("Received: x\r\n\r\ndate: lower\r\nSubject:   two  words   \r\n"
                       "To:\tpadded\t\r\n  folded\r\nX-Date: no\r\n\r\nDate: in the body\r\nDate: second");
    EXPECT_EQ(GetHeaderField(text, u"Date"_qs), u"in the body"_qs);
    EXPECT_EQ(GetHeaderField(text, u"Subject"_qs), u"two  words"_qs);
    EXPECT_EQ(GetHeaderField(text, u"To"_qs), u"\tpadded\t"_qs);
    EXPECT_EQ(GetHeaderField(text, u"From"_qs), QString());
}

// Lines end with LF or CR LF alike; in the header a field folded over several lines is one value, and
// beyond the header a line stands alone.
TEST(GetHeaderField, ReadsAnyLineEndAndUnfoldsTheHeader)
{
    const QString text = u"From: x\nTo: ann@example.org,\r\n\tbob@example.org,\n  cy@example.org\n"
                         u"Subject: first\r\n second\nX: y\n\nDate: body line\n continued\n"_qs;
    EXPECT_EQ(GetHeaderField(text, u"From"_qs), u"x"_qs);
    EXPECT_EQ(GetHeaderField(text, u"To"_qs), u"ann@example.org, bob@example.org,  cy@example.org"_qs);
    EXPECT_EQ(GetHeaderField(text, u"Subject"_qs), u"first second"_qs);
    EXPECT_EQ(GetHeaderField(text, u"Date"_qs), u"body line"_qs);
    EXPECT_EQ(GetHeaderField(u"A: 1\rFrom: x"_qs, u"From"_qs), QString()); // a lone CR ends no line
}

// The head block is a shortcut only: whatever lies beyond it, the fields equal the whole-text rule, each
// line read as UTF-8 or else as Windows-1252.
TEST(ReadHeaderFields, EqualsTheWholeTextRule)
{
    testsupport::TempDir dir;
    const QByteArray filler = QByteArray(70000, 'x') + "\r\n";
    const QByteArray head = "From: f\r\nTo: t\r\nDate: d\r\n";
    // A Subject line straddling the end of the head block, one only far beyond it, one nowhere.
    const QByteArray straddling = head + QByteArray(65536 - head.size() - 4, 'y') + "\r\nSubject: across\r\n";
    for (const QByteArray& bytes : {straddling, head + filler + "Subject: late\r\n", head + filler,
                                    QByteArray("Subject: s\r\n") + filler + "Date: only late", QByteArray()}) {
        const QString path = dir.write(u"m.eml"_qs, bytes);
        QString whole;
        core::appendDecodedLines(whole, bytes);
        const HeaderFields fields = readHeaderFields(path);
        EXPECT_EQ(fields.date, GetHeaderField(whole, u"Date"_qs));
        EXPECT_EQ(fields.to, GetHeaderField(whole, u"To"_qs));
        EXPECT_EQ(fields.from, GetHeaderField(whole, u"From"_qs));
        EXPECT_EQ(fields.subject, GetHeaderField(whole, u"Subject"_qs));
    }
    EXPECT_EQ(readHeaderFields(dir.write(u"s.eml"_qs, straddling)).subject, u"across"_qs);
    const HeaderFields mixed = readHeaderFields(dir.write(u"l.eml"_qs, "Date: \xFC\r\nTo: \xC3\xBC\r\n"));
    EXPECT_EQ(mixed.date + mixed.to, u"üü"_qs);
}

// Real messages saved with LF line ends, with mixed ones, or with their fields folded list exactly as the
// original files do.
TEST(ListEMLFiles, LfMixedAndFoldedCopiesOfRealMessagesListAsTheOriginals)
{
    QUILLMERE_REQUIRE_FIXTURE(samples, "eml");
    testsupport::TempDir dir;
    int folded = 0;
    const QStringList names = QDir(samples).entryList({u"*.txt"_qs}, QDir::Files);
    for (const QString& name : names) {
        const QByteArray original = testsupport::TempDir::read(QDir(samples).filePath(name));
        const QString eml = QFileInfo(name).completeBaseName() + u".eml"_qs;
        dir.write(u"original/"_qs + eml, original);
        dir.write(u"lf/"_qs + eml, QByteArray(original).replace("\r\n", "\n"));
        QList<QByteArray> lines = original.split('\n');
        for (qsizetype i = 0; i < lines.size(); i += 2)
            lines[i] = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        dir.write(u"mixed/"_qs + eml, lines.join('\n'));

        // Fold To and Subject at each blank, alternating the two folding blanks.
        lines = original.split('\n');
        for (QByteArray& line : lines) {
            if (line == "\r" || line.isEmpty())
                break;
            if (!line.startsWith("To: ") && !line.startsWith("Subject: "))
                continue;
            const qsizetype colon = line.indexOf(':') + 2;
            QByteArray value = line.mid(colon);
            for (qsizetype at = value.indexOf(' '), n = 0; at > 0; at = value.indexOf(' ', at + 3), ++n) {
                value.replace(at, 1, n % 2 ? "\r\n\t" : "\r\n ");
                ++folded;
            }
            line = line.left(colon) + value;
        }
        dir.write(u"folded/"_qs + eml, lines.join('\n'));
    }

    MessageListing original;
    ListEMLFiles(dir.file(u"original"_qs), original);
    EXPECT_GT(original.size(), 60);
    EXPECT_GT(folded, 100);
    for (const QString& copy : {u"lf"_qs, u"mixed"_qs, u"folded"_qs}) {
        MessageListing listing;
        ListEMLFiles(dir.file(copy), listing);
        EXPECT_EQ(listing, original) << copy.toStdString();
    }
    // An encoded word folded away from its address is decoded whole.
    const auto m0004 =
        std::find_if(original.begin(), original.end(), [](const EmlMessage& m) { return m.fileName == u"m0004.eml"; });
    ASSERT_NE(m0004, original.end());
    EXPECT_EQ(m0004->to, u"Jürgen Schmürgen <schmuergen@example.com>"_qs);
}

TEST(ListEMLFiles, ListsDatedMessagesInNameOrderWithDecodedFields)
{
    testsupport::TempDir dir;
    dir.write(u"b-2.eml"_qs, "From: =?UTF-8?B?SsO8cmdlbg==?= <j@example.com>\r\nTo: t\r\n"
                             "Subject:    spaced out   \r\nDate: Mon, 1 Jan 2001\r\n\r\nbody");
    dir.write(u"a-1.eml"_qs, "From: f\r\nSubject: s\r\n\r\nbody\r\nDate: from the body\r\n");
    dir.write(u"c-3.eml"_qs, "From: f\r\ndate: lower case\r\n\r\nbody");
    dir.write(u"d-4.eml"_qs, "");
    dir.write(u"e-5.txt"_qs, "Date: not a message file\r\n");
    MessageListing listing;
    ListEMLFiles(dir.path(), listing);
    const MessageListing expected{
        {u"f"_qs, QString(), u"s"_qs, u"from the body"_qs, u"a-1.eml"_qs},
        {u"Jürgen <j@example.com>"_qs, u"t"_qs, u"spaced out"_qs, u"Mon, 1 Jan 2001"_qs, u"b-2.eml"_qs}};
    EXPECT_EQ(listing, expected);

    // Listing again after another conversion adds only the new file.
    dir.write(u"a-0.eml"_qs, "Date: new\r\n");
    ListEMLFiles(dir.path(), listing);
    ASSERT_EQ(listing.size(), 3);
    EXPECT_EQ(listing[2].fileName, u"a-0.eml"_qs);
}

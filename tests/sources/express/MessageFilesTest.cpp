#include "sources/express/MessageBody.h"
#include "sources/express/MessageList.h"

#include "core/TextFiles.h"
#include "support/TempDir.h"

#include <algorithm>

using namespace sources::express;

// The first line anywhere that begins with the field, blanks trimmed (TABs kept); lines end with LF or CR LF
// alike, a lone CR ends none. In the header a field folded over several lines is one value; beyond it (after
// the first empty line) a line stands alone.
TEST(GetHeaderField, TakesTheFirstExactLineAndUnfoldsTheHeader)
{
    const QString beyond =
        u"Received: x\r\n\r\ndate: lower\r\nSubject:   two  words   \r\nTo:\tpadded\t\r\n  folded\r\n"
        u"X-Date: no\r\n\r\nDate: in the body\r\nDate: second"_qs;
    const QString folded = u"From: x\nTo: ann@example.org,\r\n\tbob@example.org,\n  cy@example.org\n"
                           u"Subject: first\r\n second\nX: y\n\nDate: body line\n continued\n"_qs;
    const std::tuple<QString, QString, QString> cases[] = {
        {beyond, u"Date"_qs, u"in the body"_qs},
        {beyond, u"Subject"_qs, u"two  words"_qs},
        {beyond, u"To"_qs, u"\tpadded\t"_qs},
        {beyond, u"From"_qs, QString()},
        {folded, u"From"_qs, u"x"_qs},
        {folded, u"To"_qs, u"ann@example.org, bob@example.org,  cy@example.org"_qs},
        {folded, u"Subject"_qs, u"first second"_qs},
        {folded, u"Date"_qs, u"body line"_qs},
        {u"A: 1\rFrom: x"_qs, u"From"_qs, QString()},
    };
    for (const auto& [text, field, value] : cases)
        EXPECT_EQ(GetHeaderField(text, field), value) << text.toStdString() << " / " << field.toStdString();
}

// The header block and the head block are shortcuts only: whatever lies beyond them, the fields equal the
// whole-text rule.
TEST(ReadHeaderFields, EqualsTheWholeTextRule)
{
    testsupport::TempDir dir;
    const QByteArray filler = QByteArray(70000, 'x') + "\r\n";
    const QByteArray head = "From: f\r\nTo: t\r\nDate: d\r\n";
    // A Subject line straddling the end of the head block, one only far beyond it, one nowhere.
    const QByteArray straddling = head + QByteArray(65536 - head.size() - 4, 'y') + "\r\nSubject: across\r\n";
    const QByteArray small[] = {
        "From: f\r\nTo: t\r\n\r\nDate: late\r\nSubject: s\r\n",
        "From: f\r\n\xEF\xBB\xBF\r\nTo: t\r\nDate: d\r\nSubject: s\r\n\r\nbody", // a line of only a byte order mark
        "\r\n\nFrom: f\nTo: t\nDate: d\nSubject: s\n folded\n\nSubject: body\n",
        "From: f\r\nTo: t\r\nDate: d\r\nSubject: s\r\n\r", // no line ends the header
    };
    for (const QByteArray& bytes : {straddling, head + filler + "Subject: late\r\n", head + filler,
                                    QByteArray("Subject: s\r\n") + filler + "Date: only late", QByteArray(), small[0],
                                    small[1], small[2], small[3]}) {
        QString whole;
        core::appendDecodedLines(whole, bytes);
        const HeaderFields fields = readHeaderFields(dir.write(u"m.eml"_qs, bytes));
        EXPECT_EQ(fields.date, GetHeaderField(whole, u"Date"_qs));
        EXPECT_EQ(fields.to, GetHeaderField(whole, u"To"_qs));
        EXPECT_EQ(fields.from, GetHeaderField(whole, u"From"_qs));
        EXPECT_EQ(fields.subject, GetHeaderField(whole, u"Subject"_qs));
    }
}

// Real messages saved with LF line ends or with To and Subject folded at every blank list exactly as the
// original files do; encoded words are decoded whole, even when folded away from their address.
TEST(ListEMLFiles, LfAndFoldedCopiesOfRealMessagesListAsTheOriginals)
{
    QUILLMERE_REQUIRE_FIXTURE(samples, "eml");
    testsupport::TempDir dir;
    for (const QString& name : QDir(samples).entryList({u"*.txt"_qs}, QDir::Files)) {
        const QByteArray original = testsupport::TempDir::read(QDir(samples).filePath(name));
        const QString eml = QFileInfo(name).completeBaseName() + u".eml"_qs;
        dir.write(u"original/"_qs + eml, original);
        dir.write(u"lf/"_qs + eml, QByteArray(original).replace("\r\n", "\n"));
        QList<QByteArray> lines = original.split('\n');
        for (qsizetype i = 0; i < lines.size() && lines[i] != "\r" && !lines[i].isEmpty(); ++i) {
            const qsizetype colon = lines[i].indexOf(':') + 2;
            if (lines[i].startsWith("To: ") || lines[i].startsWith("Subject: "))
                lines[i] = lines[i].left(colon) + lines[i].mid(colon).replace(" ", i % 2 ? "\r\n\t" : "\r\n ");
        }
        dir.write(u"folded/"_qs + eml, lines.join('\n'));
    }

    MessageListing original;
    ListEMLFiles(dir.file(u"original"_qs), original);
    EXPECT_GT(original.size(), 60);
    for (const QString& copy : {u"lf"_qs, u"folded"_qs}) {
        MessageListing listing;
        ListEMLFiles(dir.file(copy), listing);
        EXPECT_EQ(listing, original) << copy.toStdString();
    }
    const auto m0004 =
        std::find_if(original.begin(), original.end(), [](const EmlMessage& m) { return m.fileName == u"m0004.eml"; });
    ASSERT_NE(m0004, original.end());
    EXPECT_EQ(m0004->to, u"Jürgen Schmürgen <schmuergen@example.com>"_qs);
    EXPECT_EQ(m0004->subject, u"Die Hasen und die Frösche (Microsoft Outlook 00)"_qs);
}

// The same German fable in every transfer encoding and charset the samples use, as plain text and as the HTML
// part of messages without one (alone, and among attached images). No HTML, no image and no attached text file
// (m0022) is taken for the body; a charset nobody knows still gives the text.
TEST(LoadMessageBody, UndoesTransferEncodingAndCharsetAndTakesThePlainPart)
{
    QUILLMERE_REQUIRE_FIXTURE(folder, "eml");
    const QString opening = QStringLiteral("Die Hasen und die Frösche\r\n\r\nDie Hasen klagten einst über ihre "
                                           "mißliche Lage; \"wir leben\", sprach");
    for (const char* name :
         {"m0003.txt", "m0004.txt", "m0005.txt", "m0008.txt", "m0010.txt", "m2003.txt", "m2007.txt"}) {
        const QString body = LoadMessageBody(folder + u'/' + QLatin1StringView(name));
        EXPECT_TRUE(body.startsWith(opening)) << name << ": " << qPrintable(body.left(120));
        EXPECT_TRUE(body.contains(u"ärger als der Tod")) << name;
        EXPECT_EQ(body.count(u'\n'), body.count(u"\r\n"_qs)) << name;
    }
    for (const char* name : {"m0014.txt", "m0015.txt"}) {
        const QString body = LoadMessageBody(folder + u'/' + QLatin1StringView(name));
        EXPECT_TRUE(body.contains(u"The Hare and the Tortoise \r\n \r\nA HARE one day")) << name;
        EXPECT_FALSE(body.contains(u'<') || body.contains(u"iVBOR")) << name;
    }
    EXPECT_FALSE(LoadMessageBody(folder + u"/m0022.txt"_qs).contains(u"bbbb"));
    EXPECT_TRUE(LoadMessageBody(folder + u"/invalid-charset.txt"_qs).contains(u"Slow but steady wins the race."));
}

#include "sources/express/MessageBody.h"

#include "support/TempDir.h"

using sources::express::decodeHeaderWords;
using sources::express::LoadMessageBody;

// The same German fable in every transfer encoding and charset the samples use.
TEST(LoadMessageBody, UndoesTransferEncodingAndCharset)
{
    QUILLMERE_REQUIRE_FIXTURE(folder, "eml");
    const QString opening = QStringLiteral("Die Hasen und die Frösche\r\n\r\nDie Hasen klagten einst über ihre "
                                           "mißliche Lage; \"wir leben\", sprach");
    for (const char* name : {"m0003.txt", "m0004.txt", "m0005.txt", "m0008.txt", "m0010.txt"}) {
        const QString body = LoadMessageBody(folder + u'/' + QLatin1StringView(name));
        EXPECT_TRUE(body.startsWith(opening)) << name << ": " << qPrintable(body.left(120));
        EXPECT_TRUE(body.contains(u"ärger als der Tod")) << name;
        EXPECT_EQ(body.count(u'\n'), body.count(u"\r\n"_qs)) << name;
    }
}

// No HTML and no image attachment; a charset nobody knows still gives the text.
TEST(LoadMessageBody, TakesThePlainPartOfAlternativeAndMixedMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(folder, "eml");
    for (const char* name : {"m0014.txt", "m0015.txt"}) {
        const QString body = LoadMessageBody(folder + u'/' + QLatin1StringView(name));
        EXPECT_TRUE(body.contains(u"The Hare and the Tortoise \r\n \r\nA HARE one day")) << name;
        EXPECT_FALSE(body.contains(u'<') || body.contains(u"iVBOR")) << name;
    }
    EXPECT_TRUE(LoadMessageBody(folder + u"/invalid-charset.txt"_qs).contains(u"Slow but steady wins the race."));
}

// Without a plain text part (an attached one does not count) the HTML part gives the text.
TEST(LoadMessageBody, FallsBackToTheHtmlPart)
{
    testsupport::TempDir dir;
    const QByteArray html = R"(From: a@example.com
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary=b

--b
Content-Type: text/plain
Content-Disposition: attachment; filename=a.txt

attached
--b
Content-Type: text/html; charset=iso-8859-1
Content-Transfer-Encoding: base64

)" + QByteArray("<p>Gr\xFC\xDF\x65</p><p>two</p>").toBase64() +
                            "\n--b--\n";
    const QString body = LoadMessageBody(dir.write(u"h.eml"_qs, html));
    EXPECT_TRUE(body.contains(u"Grüße\r\n")) << qPrintable(body);
    EXPECT_FALSE(body.contains(u"attached"));
}

TEST(DecodeHeaderWords, DecodesEncodedWordsAndRaw8BitText)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"=?iso-8859-1?B?SvxyZ2VuIFNjaG38cmdlbg==?= <s@example.com>", u"Jürgen Schmürgen <s@example.com>"_qs},
        {"=?utf-8?Q?Die_Fr=C3=B6sche?= =?utf-8?Q?_=28x=29?=", u"Die Frösche (x)"_qs},
        {"plain  text", u"plain  text"_qs},
        {"M\xFCller", u"Müller"_qs}};
    for (const auto& [raw, decoded] : cases)
        EXPECT_EQ(decodeHeaderWords(raw), decoded) << raw.toStdString();
}

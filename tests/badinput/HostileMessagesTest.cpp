#include "sources/express/MessageBody.h"
#include "sources/express/MessageList.h"

#include "core/AppError.h"
#include "support/TempDir.h"

#include <QFile>

using namespace sources::express;
using testsupport::TempDir;

namespace {

const QByteArray kHead = "From: a@example.com\r\nTo: b@example.com\r\nSubject: s\r\n"
                         "Date: Mon, 1 Jan 2001 10:00:00 +0000\r\nMIME-Version: 1.0\r\n";

// The bytes of a literal, NULs included.
template <qsizetype N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

// A message whose one text part has the given charset and bytes.
QByteArray plainMessage(const QByteArray& charset, const QByteArray& body)
{
    return kHead + "Content-Type: text/plain; charset=" + charset + "\n\n" + body;
}

} // namespace

TEST(HostileMessages, BrokenBoundariesStillGiveTheTextThatIsThere)
{
    TempDir dir;
    // The parts use another boundary than the one declared: no part is found, the message reads as empty.
    const QString wrong =
        dir.write(QStringLiteral("wrong.eml"), kHead + "Content-Type: multipart/mixed; boundary=aaa\n\n"
                                                       "--bbb\nContent-Type: text/plain\n\nhidden\n--bbb--\n");
    EXPECT_FALSE(LoadMessageBody(wrong).contains(u"--bbb"));
    // An empty boundary, a boundary that prefixes the next one, and a closing line that never comes.
    for (const QByteArray& type : {QByteArray("multipart/mixed; boundary=\"\""), QByteArray("multipart/mixed"),
                                   QByteArray("multipart/alternative; boundary=b")}) {
        const QString path = dir.write(QStringLiteral("b.eml"), kHead + "Content-Type: " + type +
                                                                    "\n\n--b\nContent-Type: text/plain\n\nfirst\n"
                                                                    "--bb\nContent-Type: text/html\n\n<p>x</p>\n--b");
        (void)LoadMessageBody(path);
    }
    const QString prefixed = dir.write(QStringLiteral("p.eml"), kHead + "Content-Type: multipart/mixed; boundary=b\n\n"
                                                                        "--b\nContent-Type: text/plain\n\nfirst\n--bb\n"
                                                                        "--b\nContent-Type: text/plain\n\nsecond\n");
    EXPECT_TRUE(LoadMessageBody(prefixed).startsWith(u"first")) << qPrintable(LoadMessageBody(prefixed));

    // Nesting far deeper than any real mail must neither exhaust the stack nor be searched without end.
    QByteArray nested = kHead;
    const int depth = 20000;
    for (int i = 0; i < depth; ++i)
        nested += "Content-Type: multipart/mixed; boundary=n" + QByteArray::number(i) + "\n\n--n" +
                  QByteArray::number(i) + "\n";
    nested += "Content-Type: text/plain\n\ndeep\n";
    (void)LoadMessageBody(dir.write(QStringLiteral("deep.eml"), nested));
}

TEST(HostileMessages, NulBytesAndBadEncodingsNeverLoseTheReadableText)
{
    TempDir dir;
    // NUL bytes in a header and in the body: the text around them is kept.
    const QString nul = dir.write(QStringLiteral("nul.eml"), plainMessage("utf-8", bytes("before\0after\nline two\n")));
    const QString body = LoadMessageBody(nul);
    EXPECT_TRUE(body.contains(u"before")) << qPrintable(body);
    EXPECT_TRUE(body.contains(u"line two")) << qPrintable(body);
    const QString nulHeader =
        dir.write(QStringLiteral("nulhead.eml"), bytes("From: a\0b@example.com\r\nDate: x\r\n\r\nbody\r\n"));
    EXPECT_EQ(readHeaderFields(nulHeader).date, QStringLiteral("x"));

    // Invalid UTF-8 that claims to be UTF-8 reads as Windows-1252.
    EXPECT_EQ(
        LoadMessageBody(dir.write(QStringLiteral("u8.eml"), plainMessage("utf-8", "caf\xE9 \xC3\x28 \xF0\x9F\n"))),
        QStringLiteral("caf\u00e9 \u00c3( \u00f0\u0178\r\n"));
    // UTF-16 bodies: a good one, one cut in the middle of a unit, one with a lone surrogate.
    EXPECT_EQ(LoadMessageBody(dir.write(QStringLiteral("u16.eml"), plainMessage("utf-16le", bytes("h\0i\0\n\0")))),
              QStringLiteral("hi\r\n"));
    for (const QByteArray& body : {bytes("h\0i\0!"), bytes("h\0\0\xD8i\0"), bytes("\xFF\xFE\0\xDC")}) {
        const QString text = LoadMessageBody(dir.write(QStringLiteral("bad16.eml"), plainMessage("utf-16le", body)));
        EXPECT_FALSE(text.isEmpty());
    }
    // A charset nobody knows, and one that is only a long run of letters.
    EXPECT_EQ(LoadMessageBody(dir.write(QStringLiteral("cs.eml"), plainMessage("x-nonesuch-42", "Price \x80 5"))),
              QStringLiteral("Price \u20ac 5"));
    EXPECT_EQ(LoadMessageBody(dir.write(QStringLiteral("cs2.eml"), plainMessage(QByteArray(5000, 'x'), "ok"))),
              QStringLiteral("ok"));
}

TEST(HostileMessages, HundredMegabyteSingleLine)
{
    TempDir dir;
    const qsizetype size = qsizetype(100) * 1024 * 1024;
    {
        QByteArray line(size, 'a');
        line[size / 2] = ' ';
        QFile file(dir.file(QStringLiteral("huge.eml")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(plainMessage("us-ascii", ""));
        file.write(line);
    }
    const QString path = dir.file(QStringLiteral("huge.eml"));
    const QString body = LoadMessageBody(path);
    EXPECT_EQ(body.size(), size);
    EXPECT_EQ(readHeaderFields(path).subject, QStringLiteral("s"));
    MessageListing listing;
    ListEMLFiles(dir.path(), listing);
    ASSERT_EQ(listing.size(), 1);
    EXPECT_EQ(listing[0].fileName, QStringLiteral("huge.eml"));

    // The same line as a header that never ends: the fields are searched in the whole text, found nowhere.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("X-Long: ");
        file.write(QByteArray(size, 'b'));
    }
    EXPECT_EQ(readHeaderFields(path).date, QString());
    EXPECT_EQ(LoadMessageBody(path), QString());
}

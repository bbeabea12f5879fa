#include "sources/express/MessageBody.h"
#include "sources/express/MessageList.h"

#include "support/TempDir.h"

using namespace sources::express;
using testsupport::TempDir;

namespace {

const QByteArray kHead = "From: a@example.com\r\nTo: b@example.com\r\nSubject: s\r\n"
                         "Date: Mon, 1 Jan 2001 10:00:00 +0000\r\nMIME-Version: 1.0\r\n";

// A message whose one text part has the given charset and bytes (NULs included).
template <qsizetype N>
QByteArray plainMessage(const QByteArray& charset, const char (&body)[N])
{
    return kHead + "Content-Type: text/plain; charset=" + charset + "\n\n" + QByteArray(body, N - 1);
}

} // namespace

TEST(HostileMessages, BrokenBoundariesStillGiveTheTextThatIsThere)
{
    TempDir dir;
    // The parts use another boundary than the one declared: no part is found, the message reads as empty.
    const QString wrong = dir.write(u"wrong.eml"_qs, kHead + "Content-Type: multipart/mixed; boundary=aaa\n\n"
                                                             "--bbb\nContent-Type: text/plain\n\nhidden\n--bbb--\n");
    EXPECT_FALSE(LoadMessageBody(wrong).contains(u"--bbb"));
    // An empty boundary, none, and a closing line that never comes; a boundary that prefixes the next one.
    for (const char* type : {"multipart/mixed; boundary=\"\"", "multipart/mixed", "multipart/alternative; boundary=b"})
        (void)LoadMessageBody(dir.write(u"b.eml"_qs, kHead + "Content-Type: " + type +
                                                         "\n\n--b\nContent-Type: text/plain\n\nfirst\n"
                                                         "--bb\nContent-Type: text/html\n\n<p>x</p>\n--b"));
    const QString prefixed = LoadMessageBody(dir.write(u"p.eml"_qs, kHead + R"(Content-Type: multipart/mixed; boundary=b

--b
Content-Type: text/plain

first
--bb
--b
Content-Type: text/plain

second
)"));
    EXPECT_TRUE(prefixed.startsWith(u"first")) << qPrintable(prefixed);

    // Nesting far deeper than any real mail must neither exhaust the stack nor be searched without end.
    QByteArray nested = kHead;
    for (int i = 0; i < 20000; ++i)
        nested += "Content-Type: multipart/mixed; boundary=n" + QByteArray::number(i) + "\n\n--n" +
                  QByteArray::number(i) + "\n";
    (void)LoadMessageBody(dir.write(u"deep.eml"_qs, nested + "Content-Type: text/plain\n\ndeep\n"));
}

// Text that is not what its charset says reads as Windows-1252, and a lone CR ends a line; UTF-16 cut in the
// middle of a unit or with a lone surrogate keeps its text around a replacement character; a charset nobody
// knows, or one that is a long run of letters.
TEST(HostileMessages, NulBytesAndBadEncodingsNeverLoseTheReadableText)
{
    TempDir dir;
    const std::pair<QByteArray, QString> bodies[] = {
        {plainMessage("utf-8", "before\0after\nline two\n"), u"before"_qs},
        {plainMessage("utf-8", "before\0after\nline two\n"), u"line two\r\n"_qs},
        {plainMessage("utf-8", "caf\xE9 \xC3\x28 \xF0\x9F\n"), u"caf\u00e9 \u00c3( \u00f0\u0178\r\n"_qs},
        {plainMessage("utf-8", "M\xFCller\rx"), u"M\u00fcller\r\nx"_qs},
        {plainMessage("utf-16le", "h\0i\0\n\0"), u"hi\r\n"_qs},
        {plainMessage("utf-16le", "h\0i\0!"), u"hi\uFFFD"_qs},
        {plainMessage("utf-16le", "h\0\0\xD8i\0"), u"h\uFFFDi"_qs},
        {plainMessage("utf-16", "\xFF\xFEh\0\0\xDCi\0"), u"h\uFFFDi"_qs},
        {plainMessage("utf-16be", "\0h\xD8\0\0i\0"), u"h\uFFFDi\uFFFD"_qs},
        {plainMessage("x-nonesuch-42", "Price \x80 5"), u"Price \u20ac 5"_qs},
        {plainMessage(QByteArray(5000, 'x'), "ok"), u"ok"_qs},
    };
    for (const auto& [message, text] : bodies) {
        const QString body = LoadMessageBody(dir.write(u"m.eml"_qs, message));
        EXPECT_TRUE(body.contains(text)) << qPrintable(body) << " lacks " << qPrintable(text);
    }
    const QString nulHeader =
        dir.write(u"nulhead.eml"_qs, QByteArray("From: a\0b@example.com\r\nDate: x\r\n\r\nb", 35));
    EXPECT_EQ(readHeaderFields(nulHeader).date, u"x"_qs);

    // What is no message gives no text.
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 251);
    for (const QByteArray& bytes : {binary, QByteArray("just some words\nand more\n"), QByteArray()})
        EXPECT_EQ(LoadMessageBody(dir.write(u"no.eml"_qs, bytes)), QString()) << bytes.left(20).toStdString();
    EXPECT_EQ(LoadMessageBody(dir.file(u"missing.eml"_qs)), QString());
    EXPECT_EQ(LoadMessageBody(dir.path()), QString());
}

// The same line as a header that never ends: the fields are searched in the whole text, found nowhere.
TEST(HostileMessages, HundredMegabyteSingleLine)
{
    TempDir dir;
    const qsizetype size = qsizetype(100) * 1024 * 1024;
    QByteArray line(size, 'a');
    line[size / 2] = ' ';
    const QString path = dir.write(u"huge.eml"_qs, plainMessage("us-ascii", "") + line);
    line.clear();
    EXPECT_EQ(LoadMessageBody(path).size(), size);
    EXPECT_EQ(readHeaderFields(path).subject, u"s"_qs);
    MessageListing listing;
    ListEMLFiles(dir.path(), listing);
    ASSERT_EQ(listing.size(), 1);
    EXPECT_EQ(listing[0].fileName, u"huge.eml"_qs);

    dir.write(u"huge.eml"_qs, "X-Long: " + QByteArray(size, 'b'));
    EXPECT_EQ(readHeaderFields(path).date, QString());
    EXPECT_EQ(LoadMessageBody(path), QString());
}

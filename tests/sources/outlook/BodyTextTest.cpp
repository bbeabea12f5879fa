#include "sources/BodyText.h"

#include "core/TextFiles.h"
#include "sources/outlook/PffExport.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using sources::HtmlToText;
using sources::RtfToText;

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(HtmlToTextTest, BlocksBreaksEntitiesAndWhitespace)
{
    EXPECT_EQ(HtmlToText("<p>One   two\n three</p><p>Four<br>Five</p>"), s("One two three\nFour\nFive"));
    EXPECT_EQ(HtmlToText("<div>caf&eacute; &amp; &lt;tea&gt; &#8364;5</div>"), s("café & <tea> €5"));
    EXPECT_EQ(HtmlToText("<ul><li>a</li><li>b</li></ul><h1>Head</h1>tail"), s("a\nb\nHead\ntail"));
    // A paragraph holding only a non-breaking space is an empty line, as Outlook's Word HTML uses it.
    EXPECT_EQ(HtmlToText("<p>Hi</p><p>&nbsp;</p><p>Bye</p>"), s("Hi\n\nBye"));
    EXPECT_EQ(HtmlToText("<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>"), s("a\tb\nc"));
    EXPECT_EQ(HtmlToText("<pre>  keep\n    this</pre>after"), s("  keep\n    this\nafter"));
}

TEST(HtmlToTextTest, HeadScriptsAndStylesAreDropped)
{
    EXPECT_EQ(HtmlToText("<html><head><title>T</title><style>p{color:red}</style></head>"
                         "<body><script>alert(1)</script>Shown<!-- hidden --></body></html>"),
              s("Shown"));
    EXPECT_EQ(HtmlToText(""), QString());
}

TEST(HtmlToTextTest, DeepNestingDoesNotExhaustTheStack)
{
    QByteArray html;
    for (int i = 0; i < 200000; ++i)
        html += "<span>";
    html += "deep";
    EXPECT_EQ(HtmlToText(html), s("deep"));
}

TEST(RtfToTextTest, PlainRtfSkipsTablesAndDecodesEscapes)
{
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "{\\*\\generator Riched20;}{\\info{\\author Someone}}\\pard Caf\\'e9 \\u8364?5\\par "
        "Tab\\tab end\\line {\\b bold} \\{braces\\} \\\\ back\\par}";
    EXPECT_EQ(RtfToText(rtf), s("Café €5\nTab\tend\nbold {braces} \\ back"));
}

TEST(RtfToTextTest, UnicodeFallbackAndCodePages)
{
    // \uc2 drops two fallback characters; a group end resets the count.
    EXPECT_EQ(RtfToText("{\\rtf1\\uc2 \\u1055??x{\\u1088?}y}"), s("Пxрy"));
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), s("При"));
    // Surrogate pairs arrive as two negative \u values.
    EXPECT_EQ(RtfToText("{\\rtf1\\u-10179?\\u-8704?}"), s("😀"));
}

TEST(RtfToTextTest, EncapsulatedHtmlAndText)
{
    const QByteArray html = "{\\rtf1\\ansi\\ansicpg1252\\fromhtml1 \\deff0{\\fonttbl{\\f0 Arial;}}"
                            "{\\*\\htmltag19 <html>}{\\*\\htmltag50 <head><style>p\\{\\}</style></head>}"
                            "{\\*\\htmltag64 <p>}\\htmlrtf {\\htmlrtf0 Hello &amp;\\htmlrtf \\par}\\htmlrtf0 "
                            "{\\*\\htmltag72 </p>}{\\*\\htmltag64 <p>}Caf\\'e9{\\*\\htmltag72 </p>}"
                            "{\\*\\mhtmltag0 <hidden>}{\\*\\htmltag0 </html>}}";
    EXPECT_EQ(RtfToText(html), s("Hello &\nCafé"));

    const QByteArray text = "{\\rtf1\\ansi\\fromtext \\deff0{\\fonttbl{\\f0 Courier;}}Line one\\par\n"
                            "\\htmlrtf {\\b\\htmlrtf0 Line two\\htmlrtf }\\htmlrtf0 \\par}";
    EXPECT_EQ(RtfToText(text), s("Line one\nLine two"));
}

TEST(RtfToTextTest, MalformedInputEndsQuietly)
{
    EXPECT_EQ(RtfToText("{\\rtf1 open \\'zz \\'4"), s("open zz 4"));
    EXPECT_EQ(RtfToText("}}}{\\rtf1 x}}}"), s("x"));
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += '{';
    deep += "text";
    EXPECT_EQ(RtfToText(deep), s("text"));
    EXPECT_EQ(RtfToText("\\"), QString());
}

// The visible characters of a text. Outlook's own conversion adds link targets in angle brackets and "*"
// before list items, and spaces differently around them; the text itself must be the same.
QString words(QString text)
{
    static const QRegularExpression added(u"<(https?|mailto):[^>]*>|\\*|\\s+"_qs);
    return text.remove(added);
}

// The sample stores carry their bodies in several forms; the HTML and RTF forms must read as the plain one.
TEST(BodyTextFixtureTest, SampleHtmlAndRtfBodiesReadAsTheirPlainText)
{
    QUILLMERE_REQUIRE_FIXTURE(backup, "pst/backup_with_rules.pst");
    QUILLMERE_REQUIRE_FIXTURE(submessage, "pst/submessage.pst");
    QUILLMERE_REQUIRE_FIXTURE(user1, "pst/user1@test.lab.pst");
    if (!pffexport::available())
        GTEST_SKIP() << "pffexport (Debian pff-tools) is not installed";

    testsupport::TempDir dir;
    int html = 0;
    int rtf = 0;
    for (const QString& store : {backup, submessage, user1}) {
        const QString exported = pffexport::exportStore(store, dir.path(), {u"-f"_qs, u"all"_qs});
        QDirIterator it(exported, {u"Message.txt"_qs}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString txt = it.next();
            const QString folder = QFileInfo(txt).absolutePath();
            const QString plain = core::decodeText(testsupport::TempDir::read(txt));
            const QByteArray htmlBytes = testsupport::TempDir::read(folder + u"/Message.html"_qs);
            if (!htmlBytes.isEmpty()) {
                ++html;
                EXPECT_EQ(words(HtmlToText(core::decodeText(htmlBytes).toUtf8())), words(plain)) << txt.toStdString();
            }
            const QByteArray rtfBytes = testsupport::TempDir::read(folder + u"/Message.rtf"_qs);
            if (!rtfBytes.isEmpty()) {
                ++rtf;
                QString expected = plain;
                expected.remove(u'\r');
                while (expected.endsWith(u'\n'))
                    expected.chop(1);
                EXPECT_EQ(RtfToText(rtfBytes), expected) << txt.toStdString();
            }
        }
    }
    EXPECT_GT(html, 5);
    EXPECT_GT(rtf, 3);
}

} // namespace

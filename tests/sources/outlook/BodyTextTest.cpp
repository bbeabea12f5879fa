#include "sources/BodyText.h"

#include <gtest/gtest.h>

namespace {

using sources::HtmlToText;
using sources::RtfToText;

struct Conversion
{
    QByteArray input;
    const char* text;
};

TEST(HtmlToTextTest, BlocksBreaksEntitiesWhitespaceAndDroppedParts)
{
    const Conversion cases[] = {
        {"<p>One   two\n three</p><p>Four<br>Five</p>", "One two three\nFour\nFive"},
        {"<div>caf&eacute; &amp; &lt;tea&gt; &#8364;5</div>", "café & <tea> €5"},
        // A paragraph holding only a non-breaking space is an empty line, as Outlook's Word HTML uses it.
        {"<p>Hi</p><p>&nbsp;</p><p>Bye</p>", "Hi\n\nBye"},
        {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "a\tb\nc"},
        {"<pre>  keep\n    this</pre>after", "  keep\n    this\nafter"},
        {R"(<html><head><title>T</title><style>p{color:red}</style></head>)"
         R"(<body><script>alert(1)</script>Shown<!-- hidden --></body></html>)",
         "Shown"},
        // Deep nesting must not exhaust the stack.
        {QByteArray("<span>").repeated(200000) + "deep", "deep"},
    };
    for (const auto& [html, text] : cases)
        EXPECT_EQ(HtmlToText(html), QString::fromUtf8(text)) << html.left(80).toStdString();
}

TEST(RtfToTextTest, PlainEncapsulatedAndMalformedRtf)
{
    const Conversion cases[] = {
        // Tables and other destinations are skipped; escapes are decoded.
        {R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\*\generator Riched20;})"
         R"({\info{\author Someone}}\pard Caf\'e9 \u8364?5\par Tab\tab end\line {\b bold} \{braces\} \\ back\par})",
         "Café €5\nTab\tend\nbold {braces} \\ back"},
        // \uc2 drops two fallback characters; a group end resets the count.
        {R"({\rtf1\uc2 \u1055??x{\u1088?}y})", "Пxрy"},
        {R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", "При"},
        // Surrogate pairs arrive as two negative \u values.
        {R"({\rtf1\u-10179?\u-8704?})", "😀"},
        {R"({\rtf1\ansi\ansicpg1252\fromhtml1 \deff0{\fonttbl{\f0 Arial;}}{\*\htmltag19 <html>})"
         R"({\*\htmltag50 <head><style>p\{\}</style></head>}{\*\htmltag64 <p>}\htmlrtf {\htmlrtf0 Hello &amp;)"
         R"(\htmlrtf \par}\htmlrtf0 {\*\htmltag72 </p>}{\*\htmltag64 <p>}Caf\'e9{\*\htmltag72 </p>})"
         R"({\*\mhtmltag0 <hidden>}{\*\htmltag0 </html>}})",
         "Hello &\nCafé"},
        {"{\\rtf1\\ansi\\fromtext \\deff0{\\fonttbl{\\f0 Courier;}}Line one\\par\n"
         R"(\htmlrtf {\b\htmlrtf0 Line two\htmlrtf }\htmlrtf0 \par})",
         "Line one\nLine two"},
        // Malformed input ends quietly with the text that is there.
        {R"({\rtf1 open \'zz \'4)", "open zz 4"},
        {R"(}}}{\rtf1 x}}})", "x"},
        {QByteArray(100000, '{') + "text", "text"},
    };
    for (const auto& [rtf, text] : cases)
        EXPECT_EQ(RtfToText(rtf), QString::fromUtf8(text)) << rtf.left(80).toStdString();
}

} // namespace

#pragma once

#include <QByteArrayView>
#include <QString>

// Plain text from the other body forms a message may carry, for readers that must hand out plain text only.
// Line breaks come out as LF; callers pick their own line ends.
namespace sources {

// Block elements start and end lines, <br> breaks one, table cells are separated by tabs, entities are
// decoded, whitespace collapses as a browser shows it, and scripts, styles and the head are dropped.
// Input is UTF-8.
QString HtmlToText(QByteArrayView html);

// Plain RTF becomes its visible text. RTF that encapsulates HTML (\fromhtml) gives the text of that HTML;
// RTF that encapsulates plain text (\fromtext) gives that text. \'xx bytes are decoded in the document's
// code page (\ansicpg), \uN as Unicode; font and colour tables, pictures and other destinations are skipped.
QString RtfToText(QByteArrayView rtf);

} // namespace sources

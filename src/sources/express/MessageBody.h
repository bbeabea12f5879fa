#pragma once

#include <QByteArray>
#include <QString>

// Message files read through GMime. Every GMime and GLib header stays inside the files that parse: GLib's
// names clash with Qt's.
using GMimeMessage = struct _GMimeMessage;
using GMimeParserOptions = struct _GMimeParserOptions;

namespace sources::express {

// The plain-text body of a message file, lines ended by CR LF: the first text/plain part that is not an
// attachment, its transfer encoding undone and its charset turned into Unicode (an unknown charset, or
// bytes that do not fit the declared one, are read as Windows-1252). A message without such a part gives
// the text of its first HTML part. A missing file, or a file that is not a message, gives "".
// Never throws.
QString LoadMessageBody(const QString& path);

// The body of a message already parsed (a mailbox's messages come so), chosen and converted as by
// LoadMessageBody.
QString messageBody(GMimeMessage* message);

// GMime initialised, with the fallback charsets of every reader: 8-bit text is UTF-8, else Windows-1252.
GMimeParserOptions* messageParserOptions();

// A header value with its RFC 2047 encoded words decoded; 8-bit text that is not UTF-8 is read as
// Windows-1252.
QString decodeHeaderWords(const QByteArray& value);

} // namespace sources::express

#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace sources::express {

// One listed message: the row of the message list and the file name (no folder) that goes with it.
struct EmlMessage
{
    QString from;
    QString to;
    QString subject;
    QString date;
    QString fileName;

    friend bool operator==(const EmlMessage&, const EmlMessage&) = default;
};

using MessageListing = QList<EmlMessage>;

// The value of the first line of text that begins with field + ":", exactly in that letter case, wherever
// it lies; blanks around it removed (tabs stay). Lines end with LF or CR LF. In the header block a field
// folded over several lines is unfolded. "" when no line matches.
QString GetHeaderField(const QString& text, const QString& field);

// Appends the messages of a folder's *.eml files, in file-name order: From, To, Subject and Date with
// their encoded words decoded, and the file name. A file without a Date line is not listed, and neither is
// a file the listing already holds, so listing the folder again after each conversion adds only the new
// messages. A file that cannot be read fails the rest of the listing; what was appended stays. With take,
// only the files whose names it takes are listed.
void ListEMLFiles(const QString& folder, MessageListing& listing,
                  const std::function<bool(const QString& fileName)>& take = {});

// The four displayed fields of one message file as ListEMLFiles reads them (without decoding), as
// GetHeaderField finds them in the whole text (each line read as UTF-8 or else as Windows-1252); only the
// head of a large file is read when all four lie there. Fails with "Permission denied" and the like for a
// file that cannot be read, and with "Out of memory" for a file too large to hold as text.
struct HeaderFields
{
    QString date;
    QString to;
    QString from;
    QString subject;
};
HeaderFields readHeaderFields(const QString& path);

} // namespace sources::express

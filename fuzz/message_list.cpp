// The message list's readers over one message file: the whole-file reader, the header reader with its
// head-only shortcut, GetHeaderField, and the folder listing with its encoded-word decoding.
#include "FuzzSupport.h"

#include "core/AppError.h"
#include "sources/express/MessageList.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("m.eml"));
    using namespace sources::express;
    try {
        const QString text = ReadWholeFile(path);
        const HeaderFields fields = readHeaderFields(path);
        for (const char* field : {"Date", "To", "From", "Subject", ""})
            (void)GetHeaderField(text, QString::fromLatin1(field));
        MessageListing listing;
        ListEMLFiles(QFileInfo(path).path(), listing);
        fuzzsupport::check(listing.size() <= 1, "message list: one file listed more than once");
        if (!listing.isEmpty())
            fuzzsupport::check(!fields.date.isEmpty(), "message list: a message without a date was listed");
    } catch (const core::AppError&) {
        // A file too large to hold as text is reported, not a crash.
    }
    return 0;
}

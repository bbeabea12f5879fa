// The message list's readers over one message file: the header reader with its head-only shortcut against
// GetHeaderField over the whole text, and the folder listing with its encoded-word decoding.
#include "FuzzSupport.h"

#include "core/AppError.h"
#include "core/TextFiles.h"
#include "sources/express/MessageList.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("m.eml"));
    using namespace sources::express;
    try {
        QString text;
        core::appendDecodedLines(text, QByteArrayView(data, qsizetype(size)));
        const HeaderFields fields = readHeaderFields(path);
        fuzzsupport::check(fields.date == GetHeaderField(text, QStringLiteral("Date")) &&
                               fields.to == GetHeaderField(text, QStringLiteral("To")) &&
                               fields.from == GetHeaderField(text, QStringLiteral("From")) &&
                               fields.subject == GetHeaderField(text, QStringLiteral("Subject")),
                           "message list: the head-only shortcut differs from the whole text");
        (void)GetHeaderField(text, QString());
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

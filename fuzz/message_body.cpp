// Message bodies through GMime: the file's plain-text (or HTML) body, and header words decoded.
#include "FuzzSupport.h"

#include "sources/express/MessageBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString path = fuzzsupport::writeInput(bytes, QStringLiteral("m.eml"));
    (void)sources::express::LoadMessageBody(path);
    // A header value reaches the decoder as a C string.
    const qsizetype nul = bytes.indexOf('\0');
    (void)sources::express::decodeHeaderWords(bytes.first(nul < 0 ? bytes.size() : nul).toByteArray());
    return 0;
}

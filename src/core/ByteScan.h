#pragma once

#include <QByteArrayView>

namespace core {

// Whether the bytes are valid UTF-8, exactly as QUtf8StringView::isValidUtf8 decides, but skipping runs of
// ASCII many bytes at a time: staged text is checked block by block before any rule reads it.
bool isValidUtf8(QByteArrayView bytes);

// How many times a byte occurs.
qsizetype countByte(QByteArrayView bytes, char byte);

} // namespace core

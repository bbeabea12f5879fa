#pragma once

#include <QString>

namespace core {

// Conversions of stored texts, as the run-time's CInt and CBool make them. Both fail with "Type mismatch"
// on a text that is neither a number nor True/False; toInteger16 with "Overflow" outside -32,768..32,767.

// Rounds a fraction to the nearest whole number, a half to the even neighbour; True is -1, False 0.
qint16 toInteger16(const QString& text);
// Any non-zero number, or True (any letter case), is true.
bool toTruth(const QString& text);

// The stored forms: check boxes "0"/"1", option buttons "True"/"False".
QString checkText(bool checked);
QString booleanText(bool value);

} // namespace core

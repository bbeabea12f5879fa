#pragma once

#include <QString>

namespace core {

// The program's private temporary folder: the staged mail text and message files live here, never loose in
// the shared temporary folder where another user could plant or steal them. It lies inside $TEMP, else
// $TMPDIR, else /tmp, is created with mode 0700, and must be a real folder owned by this user; when the
// usual name is taken by something else, a fresh folder with a random name is made instead.
// Fails with an access error when no safe folder can be made.
QString privateTempFolder();

// The staging file of the Outlook side.
QString stagingFilePath();

} // namespace core

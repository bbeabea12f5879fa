#pragma once

#include <QString>

namespace sources::express {

class RegistryBackend;

// As ExpandEnvironmentStrings does it: each %NAME% (any letter case) is replaced by the variable of the
// Windows user's environment: what the registry source knows by itself (USERPROFILE, USERNAME, ...), else a
// text value of HKEY_CURRENT_USER\Volatile Environment or \Environment, else for APPDATA and LOCALAPPDATA
// the "AppData" and "Local AppData" entries of the user's shell folders, else for USERNAME the last folder
// of USERPROFILE. A name the source cannot resolve stays as written.
QString expandWindowsVariables(const RegistryBackend& source, const QString& text);

// The local path of an absolute Windows path ("C:\Users\Alice\...", "/" taken as "\" too): the drive
// letter through the source's drive folders, then each component matched to an existing entry whatever
// its letter case (an exact match first), as Windows matches names; from the first component that does not
// exist on, the rest is appended as written. "" when the path has no drive letter or the drive is unknown.
QString localPathFor(const RegistryBackend& source, const QString& windowsPath);

// The name of the entry of a local folder that matches a name whatever its letter case (an exact match
// first, else the first by name); "" when none does.
QString matchingEntry(const QString& folder, const QString& name);

} // namespace sources::express

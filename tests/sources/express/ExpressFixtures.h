#pragma once

#include "platform/ScriptedPlatform.h"
#include "sources/express/Registry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Builders of the registry sources the discovery tests read: a Wine prefix with user.reg, and an
// NTUSER.DAT hive made with hivex from the shared "minimal" hive.
namespace expresstest {

inline const QString kId1 = u"{11111111-1111-1111-1111-111111111111}"_qs;
inline const QString kId2 = u"{22222222-2222-2222-2222-222222222222}"_qs;
inline const QString kId3 = u"{33333333-3333-3333-3333-333333333333}"_qs;

// Creates the folder (and those above it) and in it empty files with the given names.
void makeFiles(const QString& folder, const QStringList& names);

// A store folder: Inbox.dbx, "Sent Items.DBX", Folders.DBX, Pop3uidl.dbx, a hidden ".Outbox.dbx", a
// "notes.txt" and a folder "Archive.dbx".
void makeStoreFolder(const QString& folder);
// The two files of a store folder that discovery lists, in order.
QStringList listedStoreFiles(const QString& folder);

// Writes a file.
void writeFile(const QString& path, const QByteArray& bytes);

// A Wine prefix in `root`: dosdevices/c: -> ../drive_c, and user.reg with three identities (the second
// without an Outlook Express key) whose store folders lie in drive_c/users/winuser, a user name that is
// not the current user's (USERPROFILE under [Volatile Environment] names it). The first Store Root is
// written with %UserProfile%, the third with %USERPROFILE%; the folders on disk differ in letter case
// from the registry's paths.
struct WinePrefixFixture
{
    explicit WinePrefixFixture(const QString& root);
    QString prefix;
    QString userReg;
    QString store1; // local store folders (canonical paths)
    QString store3;
    QByteArray userRegText;
};

// A hive at <root>/disk/Users/alice/NTUSER.DAT with the same three identities; the first Store Root uses
// %userprofile%, the third %LOCALAPPDATA% (from the user's shell folders).
struct HiveFixture
{
    explicit HiveFixture(const QString& root);
    QString hive;
    QString driveRoot;
    QString store1;
    QString store3;
};

// Builds a hive from the shared "minimal" hive: keys with values, committed to a new file. Answers false
// (with a test failure) when hivex refuses.
struct HiveKey
{
    QString path; // below the root, "\"-separated
    QList<sources::express::RegistryData> values;
};
bool buildHive(const QString& target, const QList<HiveKey>& keys);

// The subkeys and values of a key below HKEY_CURRENT_USER ("" for the root), read through the module.
inline QStringList keysOf(const sources::express::RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return sources::express::EnumRegistryKeys(registry, dialogs,
                                              u"HKEY_CURRENT_USER"_qs + (key.isEmpty() ? QString() : u'\\' + key));
}
inline sources::express::RegistryValues valuesOf(const sources::express::RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return sources::express::EnumRegistryValues(registry, dialogs, u"HKEY_CURRENT_USER\\"_qs + key);
}

sources::express::RegistryData text(const QString& name, const QString& value, quint32 type = sources::express::kRegSz);
sources::express::RegistryData dword(const QString& name, quint32 value);

} // namespace expresstest

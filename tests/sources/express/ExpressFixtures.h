#pragma once

#include "platform/ScriptedPlatform.h"
#include "sources/express/Registry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The registry sources the discovery tests read: keys written as a Wine user.reg or built into a hive with
// hivex, and the Wine prefix and the hive of a Windows user with three identities.
namespace expresstest {

inline const QString kId1 = u"{11111111-1111-1111-1111-111111111111}"_qs;
inline const QString kId2 = u"{22222222-2222-2222-2222-222222222222}"_qs;
inline const QString kId3 = u"{33333333-3333-3333-3333-333333333333}"_qs;

// A key below HKEY_CURRENT_USER ("\"-separated) and its values.
struct RegistryKey
{
    QString path;
    QList<sources::express::RegistryData> values;
};
sources::express::RegistryData text(const QString& name, const QString& value, quint32 type = sources::express::kRegSz);
sources::express::RegistryData dword(const QString& name, quint32 value);

// The keys as Wine writes them to user.reg: strings and numbers in their text forms, any other data as
// hex(type), long hex data continued over several lines.
QByteArray wineUserReg(const QList<RegistryKey>& keys);
// A hive made from the shared "minimal" hive with the keys added; false (and a test failure) when hivex refuses.
bool buildHive(const QString& target, const QList<RegistryKey>& keys);

void writeFile(const QString& path, const QByteArray& bytes);
void makeFiles(const QString& folder, const QStringList& names);
// A store folder: Inbox.dbx, "Sent Items.DBX", Folders.DBX, Pop3uidl.dbx, a hidden ".Outbox.dbx", a
// "notes.txt" and a folder "Archive.dbx".
void makeStoreFolder(const QString& folder);
// The two files of a store folder that discovery lists, in order.
QStringList listedStoreFiles(const QString& folder);

// Both fixtures hold three identities: the first and third with an Outlook Express store, the second with
// a Windows Mail store only; the folders on disk differ in letter case from the registry's paths.
// A Wine prefix in `root`: dosdevices/c: -> ../drive_c, and user.reg whose [Volatile Environment] names
// the profile of "winuser", not the current user. The Store Roots use %UserProfile% and %USERPROFILE%.
struct WinePrefixFixture
{
    explicit WinePrefixFixture(const QString& root);
    QString prefix;
    QString userReg;
    QString store1; // local store folders (canonical paths)
    QString store3;
    QByteArray userRegText;
};

// A hive at <root>/disk/Users/alice/NTUSER.DAT; the Store Roots use %userprofile% and %LOCALAPPDATA% (from
// the user's shell folders).
struct HiveFixture
{
    explicit HiveFixture(const QString& root);
    QString hive;
    QString store1;
    QString store3;
};

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

} // namespace expresstest

#pragma once

#include "sources/express/Registry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Registry keys as a Wine user.reg or a hive, and two setups of a user with three identities: the first and
// third with an Outlook Express store, the second with a Windows Mail one; folders differ in letter case.
namespace expresstest {

inline const QString kId1 = u"{11111111-1111-1111-1111-111111111111}"_qs;

// A key below HKEY_CURRENT_USER ("\"-separated) and its values.
struct RegistryKey
{
    QString path;
    QList<sources::express::RegistryData> values;
};
sources::express::RegistryData text(const QString& name, const QString& value, quint32 type = sources::express::kRegSz);
sources::express::RegistryData dword(const QString& name, quint32 value);

// As Wine writes it: text forms for strings and numbers, hex(type) continued over lines for the rest.
QByteArray wineUserReg(const QList<RegistryKey>& keys);
// The shared "minimal" hive with the keys added.
void buildHive(const QString& target, const QList<RegistryKey>& keys);

// The two files that discovery lists from a store folder, in order.
QStringList listedStoreFiles(const QString& folder);

// A prefix in root: dosdevices/c: -> ../drive_c, and a user.reg whose [Volatile Environment] names the
// profile of "winuser", not the current user; Store Roots through %UserProfile% and %USERPROFILE%.
struct WinePrefixFixture
{
    explicit WinePrefixFixture(const QString& root);
    QString prefix;
    QString store1; // store folders as canonical paths
    QString store3;
    QByteArray userRegText;
};

// A hive at root/disk/Users/alice/NTUSER.DAT; Store Roots through %userprofile% and %LOCALAPPDATA%.
struct HiveFixture
{
    explicit HiveFixture(const QString& root);
    QString hive;
    QString store1;
    QString store3;
};

} // namespace expresstest

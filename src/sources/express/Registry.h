#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform {
class Dialogs;
}

// Key paths written as text, and the subkeys and values of a key, read from
// the registry of the Windows user whose Outlook Express stores we look for. Linux has no registry: a
// RegistryBackend (a Wine prefix's user.reg, an NTUSER.DAT hive, or memory in tests) stands behind it.
namespace sources::express {

// The predefined root handles (32-bit), by RootKeyFromName.
inline constexpr quint32 kHkeyClassesRoot = 0x80000000u;
inline constexpr quint32 kHkeyCurrentUser = 0x80000001u;
inline constexpr quint32 kHkeyLocalMachine = 0x80000002u;
inline constexpr quint32 kHkeyUsers = 0x80000003u;
inline constexpr quint32 kHkeyPerformanceData = 0x80000004u;
inline constexpr quint32 kHkeyCurrentConfig = 0x80000005u;
inline constexpr quint32 kHkeyDynData = 0x80000006u;

// Registry value types.
inline constexpr quint32 kRegNone = 0;
inline constexpr quint32 kRegSz = 1;
inline constexpr quint32 kRegExpandSz = 2;
inline constexpr quint32 kRegBinary = 3;
inline constexpr quint32 kRegDword = 4;
inline constexpr quint32 kRegMultiSz = 7;

// One value as a registry source stores it: texts are UTF-16LE with their terminating NUL (as Windows and
// Wine keep them), a DWORD is four little-endian bytes.
struct RegistryData
{
    QString name; // "" for the default value
    quint32 type = kRegNone;
    QByteArray data;
};

// The registry of one Windows user, and what of that user's machine can be seen from here. A key path is
// given as its components below the root ("Identities", "{GUID}", ...); components match whatever their
// letter case, as Windows matches them. A root the backend does not hold, or a key it does not have,
// enumerates nothing. No method throws; a damaged source gives empty answers.
class RegistryBackend
{
public:
    virtual ~RegistryBackend() = default;

    // Subkey names in the registry's enumeration order.
    virtual QStringList subkeys(quint32 root, const QStringList& keyPath) const = 0;
    // Values in the registry's enumeration order.
    virtual QList<RegistryData> values(quint32 root, const QStringList& keyPath) const = 0;

    // A variable of the Windows user's environment that the source knows by itself (at least USERPROFILE),
    // as Windows would give it (for example "C:\users\alice"); "" when unknown. Name letter case is ignored.
    virtual QString environmentVariable(const QString& name) const = 0;
    // The local folder that stands for a Windows drive letter; "" when the source has no such drive.
    virtual QString driveFolder(QChar letter) const = 0;
    // Where the data comes from, for messages ("Wine prefix /home/a/.wine", "registry hive /mnt/NTUSER.DAT").
    virtual QString description() const = 0;
};

// Value collection of EnumRegistryValues: ordered, each value under its name; lookup ignores letter case.
// A value is a QString (types 1 and 2), a qint32 (type 4) or, for any other type, its raw bytes (QByteArray).
class RegistryValues
{
public:
    // Adds at the end; a name already present (letter case ignored) is not added again.
    void add(const QString& name, const QVariant& value);
    qsizetype count() const { return m_names.size(); }
    bool isEmpty() const { return m_names.isEmpty(); }
    bool contains(const QString& name) const { return indexOf(name) >= 0; }
    // The value under that name (letter case ignored); an invalid QVariant when absent.
    QVariant value(const QString& name) const;
    const QStringList& names() const { return m_names; }
    const QVariant& at(qsizetype index) const { return m_values.at(index); }

private:
    qsizetype indexOf(const QString& name) const;

    QStringList m_names;
    QList<QVariant> m_values;
};

// RootKeyFromName: the handle of a root name (exact comparison); 0 for any other name.
quint32 RootKeyFromName(const QString& name);

// SplitKeyPath: on a valid key path (begins with "HKEY_", does not end with a backslash) sets root to the
// root's handle, replaces keyPath by the subkey path ("" for a root name alone) and answers true. Otherwise
// shows "Incorrect Format:" + LF LF + the key path (OK button, the application title), leaves both
// arguments unchanged and answers false.
bool SplitKeyPath(platform::Dialogs& dialogs, QString& keyPath, quint32& root);

// EnumRegistryKeys: the subkey names of a key path ("HKEY_CURRENT_USER\Identities"), in enumeration order;
// empty for a malformed path (after its message), an unknown root, or a key that cannot be opened.
QStringList EnumRegistryKeys(const RegistryBackend& backend, platform::Dialogs& dialogs, const QString& keyPath);

// EnumRegistryValues: the values of a key path, converted by type (1 and 2: text, "" when the data size is
// 0; 4: signed 32-bit number; others: raw bytes); empty as EnumRegistryKeys.
RegistryValues EnumRegistryValues(const RegistryBackend& backend, platform::Dialogs& dialogs, const QString& keyPath);

// The text of registry string data (UTF-16LE), up to its first NUL; "" for no data.
QString registryText(const QByteArray& data);
// UTF-16LE bytes of a text with a terminating NUL, as the registry stores a string.
QByteArray registryTextData(const QString& text);
// Four little-endian bytes.
QByteArray registryDwordData(quint32 number);

} // namespace sources::express

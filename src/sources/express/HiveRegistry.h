#pragma once

#include "sources/express/Registry.h"

#include <QString>
#include <memory>

namespace sources::express {

// Largest hive file read (bigger ones give an empty registry).
inline constexpr qint64 kHiveMaxBytes = 512LL * 1024 * 1024;

// HKEY_CURRENT_USER from a Windows user hive (NTUSER.DAT), read with hivex. The folder that holds the hive
// is the user's profile folder ("C:\<parent>\<folder>" to Windows, for example C:\Users\alice), and the
// folder above its parent is the root of drive C: (a Windows disk mounted here: <mount>/Users/alice/
// NTUSER.DAT). The file is read once into memory, so a disk that goes away later cannot crash us; every
// hivex failure (missing, unreadable, damaged or truncated hive) gives empty answers.
class HiveRegistry : public RegistryBackend
{
public:
    explicit HiveRegistry(QString hivePath);
    ~HiveRegistry() override;
    HiveRegistry(const HiveRegistry&) = delete;
    HiveRegistry& operator=(const HiveRegistry&) = delete;

    QStringList subkeys(quint32 root, const QStringList& keyPath) const override;
    QList<RegistryData> values(quint32 root, const QStringList& keyPath) const override;
    QString environmentVariable(const QString& name) const override;
    QString driveFolder(QChar letter) const override;
    QString description() const override;

private:
    struct Hive;
    Hive& hive() const;

    QString m_hivePath;
    QString m_profileFolder;  // local folder holding the hive
    QString m_driveRoot;      // local folder standing for C:
    QString m_windowsProfile; // the profile folder as Windows names it
    mutable std::unique_ptr<Hive> m_hive;
};

} // namespace sources::express

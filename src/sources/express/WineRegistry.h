#pragma once

#include "sources/express/MemoryRegistry.h"

#include <QString>
#include <memory>

class QIODevice;

namespace sources::express {

// Limits on a user.reg, so that a huge or damaged file cannot exhaust memory: bytes read in all (the rest
// of a longer file is ignored), bytes in one entry (a longer entry is skipped), keys and values in all.
inline constexpr qint64 kUserRegMaxBytes = 256LL * 1024 * 1024;
inline constexpr qsizetype kUserRegMaxEntryBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kUserRegMaxEntries = 4'000'000;

// Reads a Wine registry file ("WINE REGISTRY Version 2": [key\\path] sections, "name"=... values) line by
// line into the given root of a memory registry. Answers false (and adds nothing) when the header is
// missing; a damaged line or entry is skipped, a truncated file gives what came before the cut.
bool readWineRegistry(QIODevice& device, MemoryRegistry& into, quint32 root);

// HKEY_CURRENT_USER of a Wine prefix: its user.reg, read on first use; the drives of its dosdevices
// folder; the profile folder from USERPROFILE under [Volatile Environment], else drive_c/users/<user>.
class WineRegistry : public RegistryBackend
{
public:
    // userName: the Unix user whose profile folder the prefix holds; "" takes the current user.
    explicit WineRegistry(QString prefix, QString userName = QString());
    ~WineRegistry() override;

    const QString& prefix() const { return m_prefix; }

    QStringList subkeys(quint32 root, const QStringList& keyPath) const override;
    QList<RegistryData> values(quint32 root, const QStringList& keyPath) const override;
    QString environmentVariable(const QString& name) const override;
    QString driveFolder(QChar letter) const override;
    QString description() const override;

private:
    const MemoryRegistry& tree() const;
    QString volatileVariable(const QString& name) const;
    QString profileUserName() const;

    QString m_prefix;
    QString m_userName;
    mutable std::unique_ptr<MemoryRegistry> m_tree;
};

// $WINEPREFIX, else ~/.wine.
QString defaultWinePrefix();

} // namespace sources::express

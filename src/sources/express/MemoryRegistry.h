#pragma once

#include "sources/express/Registry.h"

#include <QHash>
#include <memory>
#include <vector>

namespace sources::express {

// A registry held in memory: the tree that the Wine backend parses user.reg into, and a fake for tests.
// Keys match whatever their letter case; subkeys enumerate by name (letter case ignored), as Windows and
// Wine enumerate them; values in the order they were first set.
class MemoryRegistry : public RegistryBackend
{
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    // Creates the key and every key above it (a no-op when they exist). Answers false for an empty component.
    bool addKey(quint32 root, const QStringList& keyPath);
    // Sets a value (replacing one of the same name, letter case ignored), creating the key as addKey does.
    bool setValue(quint32 root, const QStringList& keyPath, const RegistryData& value);
    // A convenience with a "\"-separated key path below the root.
    void addKey(quint32 root, const QString& keyPath) { addKey(root, keyPath.split(u'\\')); }

    void setEnvironmentVariable(const QString& name, const QString& value);
    void setDriveFolder(QChar letter, const QString& folder);
    // Number of keys held (all roots), for limits.
    qsizetype keyCount() const { return m_keyCount; }

    QStringList subkeys(quint32 root, const QStringList& keyPath) const override;
    QList<RegistryData> values(quint32 root, const QStringList& keyPath) const override;
    QString environmentVariable(const QString& name) const override;
    QString driveFolder(QChar letter) const override;
    QString description() const override { return QStringLiteral("registry in memory"); }

private:
    struct Node;
    const Node* find(quint32 root, const QStringList& keyPath) const;
    Node* findOrCreate(quint32 root, const QStringList& keyPath);

    QHash<quint32, std::shared_ptr<Node>> m_roots;
    QHash<QString, QString> m_environment; // upper-case name -> value
    QHash<QChar, QString> m_drives;        // upper-case letter -> folder
    qsizetype m_keyCount = 0;
};

} // namespace sources::express

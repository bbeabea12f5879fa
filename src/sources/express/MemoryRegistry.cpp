#include "sources/express/MemoryRegistry.h"

#include <algorithm>
#include <map>

namespace sources::express {

namespace {

// Orders key names as the registry enumerates them: letter case ignored, exact order to break ties.
struct CaseInsensitiveLess
{
    bool operator()(const QString& a, const QString& b) const
    {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    }
};

QString foldedName(const QString& name)
{
    return name.toCaseFolded();
}

} // namespace

struct MemoryRegistry::Node
{
    QString name;
    // Folded name -> child; the folded name makes "Inbox" and "INBOX" one key.
    std::map<QString, std::unique_ptr<Node>> children;
    QList<RegistryData> values;
};

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

const MemoryRegistry::Node* MemoryRegistry::find(quint32 root, const QStringList& keyPath) const
{
    const auto rootIt = m_roots.constFind(root);
    if (rootIt == m_roots.constEnd())
        return nullptr;
    const Node* node = rootIt->get();
    for (const QString& component : keyPath) {
        const auto it = node->children.find(foldedName(component));
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::findOrCreate(quint32 root, const QStringList& keyPath)
{
    for (const QString& component : keyPath) {
        if (component.isEmpty())
            return nullptr;
    }
    std::shared_ptr<Node>& rootNode = m_roots[root];
    if (!rootNode)
        rootNode = std::make_shared<Node>();
    Node* node = rootNode.get();
    for (const QString& component : keyPath) {
        std::unique_ptr<Node>& child = node->children[foldedName(component)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = component;
            ++m_keyCount;
        }
        node = child.get();
    }
    return node;
}

bool MemoryRegistry::addKey(quint32 root, const QStringList& keyPath)
{
    return findOrCreate(root, keyPath) != nullptr;
}

bool MemoryRegistry::setValue(quint32 root, const QStringList& keyPath, const RegistryData& value)
{
    Node* node = findOrCreate(root, keyPath);
    if (!node)
        return false;
    for (RegistryData& existing : node->values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            existing = value;
            return true;
        }
    }
    node->values.append(value);
    return true;
}

void MemoryRegistry::setEnvironmentVariable(const QString& name, const QString& value)
{
    m_environment.insert(name.toUpper(), value);
}

void MemoryRegistry::setDriveFolder(QChar letter, const QString& folder)
{
    m_drives.insert(letter.toUpper(), folder);
}

QStringList MemoryRegistry::subkeys(quint32 root, const QStringList& keyPath) const
{
    const Node* node = find(root, keyPath);
    if (!node)
        return {};
    QStringList names;
    names.reserve(static_cast<qsizetype>(node->children.size()));
    for (const auto& [folded, child] : node->children)
        names.append(child->name);
    std::sort(names.begin(), names.end(), CaseInsensitiveLess{});
    return names;
}

QList<RegistryData> MemoryRegistry::values(quint32 root, const QStringList& keyPath) const
{
    const Node* node = find(root, keyPath);
    return node ? node->values : QList<RegistryData>();
}

QString MemoryRegistry::environmentVariable(const QString& name) const
{
    return m_environment.value(name.toUpper());
}

QString MemoryRegistry::driveFolder(QChar letter) const
{
    return m_drives.value(letter.toUpper());
}

} // namespace sources::express

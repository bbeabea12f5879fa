#include "sources/express/Registry.h"

#include "platform/Dialogs.h"

#include <QtEndian>
#include <array>
#include <optional>
#include <utility>

namespace sources::express {

namespace {

const std::array<std::pair<const char*, quint32>, 7> kRoots{{
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_USERS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", kHkeyDynData},
}};

// The key to open: its root and its components. Nothing when the path is malformed (after the message),
// names no known root, or has an empty component (which no key has, so opening it would fail).
struct OpenKey
{
    quint32 root = 0;
    QStringList components;
};

std::optional<OpenKey> openKey(platform::Dialogs& dialogs, const QString& keyPath)
{
    QString subkeyPath = keyPath;
    quint32 root = 0;
    if (!SplitKeyPath(dialogs, subkeyPath, root) || root == 0)
        return std::nullopt;
    OpenKey key{root, {}};
    if (subkeyPath.isEmpty())
        return key;
    key.components = subkeyPath.split(u'\\');
    for (const QString& component : std::as_const(key.components)) {
        if (component.isEmpty())
            return std::nullopt;
    }
    return key;
}

QVariant convertValue(const RegistryData& value)
{
    switch (value.type) {
    case kRegSz:
    case kRegExpandSz:
        return registryText(value.data);
    case kRegDword: {
        QByteArray four = value.data.left(4);
        four.append(QByteArray(4 - four.size(), '\0'));
        return QVariant::fromValue(qFromLittleEndian<qint32>(four.constData()));
    }
    default:
        return value.data;
    }
}

} // namespace

void RegistryValues::add(const QString& name, const QVariant& value)
{
    if (contains(name))
        return;
    m_names.append(name);
    m_values.append(value);
}

QVariant RegistryValues::value(const QString& name) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? QVariant() : m_values.at(i);
}

qsizetype RegistryValues::indexOf(const QString& name) const
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

quint32 RootKeyFromName(const QString& name)
{
    for (const auto& [rootName, handle] : kRoots) {
        if (name == QLatin1String(rootName))
            return handle;
    }
    return 0;
}

bool SplitKeyPath(platform::Dialogs& dialogs, QString& keyPath, quint32& root)
{
    const qsizetype backslash = keyPath.indexOf(u'\\');
    if (!keyPath.startsWith(QLatin1String("HKEY_")) || keyPath.endsWith(u'\\')) {
        dialogs.message(QStringLiteral("Incorrect Format:\n\n") + keyPath);
        return false;
    }
    if (backslash >= 0) {
        root = RootKeyFromName(keyPath.left(backslash));
        keyPath = keyPath.mid(backslash + 1);
    } else {
        root = RootKeyFromName(keyPath);
        keyPath.clear();
    }
    return true;
}

QStringList EnumRegistryKeys(const RegistryBackend& backend, platform::Dialogs& dialogs, const QString& keyPath)
{
    const std::optional<OpenKey> key = openKey(dialogs, keyPath);
    if (!key)
        return {};
    QStringList names;
    for (const QString& name : backend.subkeys(key->root, key->components)) {
        // A name reads up to its first NUL, as the enumeration's buffer is read.
        const qsizetype nul = name.indexOf(QChar(u'\0'));
        names.append(nul < 0 ? name : name.left(nul));
    }
    return names;
}

RegistryValues EnumRegistryValues(const RegistryBackend& backend, platform::Dialogs& dialogs, const QString& keyPath)
{
    RegistryValues result;
    const std::optional<OpenKey> key = openKey(dialogs, keyPath);
    if (!key)
        return result;
    for (const RegistryData& value : backend.values(key->root, key->components))
        result.add(value.name, convertValue(value));
    return result;
}

QString registryText(const QByteArray& data)
{
    const qsizetype units = data.size() / 2;
    QString text(units, Qt::Uninitialized);
    qsizetype length = 0;
    for (; length < units; ++length) {
        const char16_t unit = qFromLittleEndian<quint16>(data.constData() + 2 * length);
        if (unit == 0)
            break;
        text[length] = QChar(unit);
    }
    text.truncate(length);
    return text;
}

QByteArray registryTextData(const QString& text)
{
    QByteArray data(2 * (text.size() + 1), '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), data.data() + 2 * i);
    return data;
}

QByteArray registryDwordData(quint32 number)
{
    QByteArray data(4, '\0');
    qToLittleEndian<quint32>(number, data.data());
    return data;
}

} // namespace sources::express

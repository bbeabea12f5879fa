#include "sources/express/IdentityStores.h"

#include "sources/express/StoreDiscovery.h"
#include "sources/express/Registry.h"
#include "sources/express/WindowsPaths.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace sources::express {

namespace {

const QString kIdentitiesKey = QStringLiteral("HKEY_CURRENT_USER\\Identities");
const QString kOutlookExpressKey = QStringLiteral("Software\\Microsoft\\Outlook Express");
const QString kStoreRoot = QStringLiteral("Store Root");

ComponentError storeFolderFailure()
{
    return ComponentError(kDbxFilesFailureNumber, QLatin1String(kDbxFilesFailureSource),
                          QLatin1String(kDbxFilesFailureDescription));
}

} // namespace

IdentityStores::IdentityStores(const RegistryBackend& registry, platform::Dialogs& dialogs)
    : m_registry(registry), m_dialogs(dialogs)
{
}

QStringList IdentityStores::identityStoreFolders() const
{
    QStringList folders;
    try {
        for (const QString& identity : EnumRegistryKeys(m_registry, m_dialogs, kIdentitiesKey)) {
            if (isBlankText(identity))
                continue;
            const QString outlookExpress = kIdentitiesKey + u'\\' + identity + u'\\' + kOutlookExpressKey;
            const QStringList versions = EnumRegistryKeys(m_registry, m_dialogs, outlookExpress);
            if (versions.isEmpty())
                continue; // no Outlook Express key for this identity
            const RegistryValues values =
                EnumRegistryValues(m_registry, m_dialogs, outlookExpress + u'\\' + versions.first());
            const QVariant storeRoot = values.value(kStoreRoot);
            if (storeRoot.typeId() != QMetaType::QString || isBlankText(storeRoot.toString()))
                continue; // no values, or no "Store Root" text
            const QString windowsFolder = expandWindowsVariables(m_registry, storeRoot.toString());
            const QString local = localPathFor(m_registry, windowsFolder);
            folders.append(local.isEmpty() ? windowsFolder : local);
        }
    } catch (...) {
        throw storeFolderFailure();
    }
    return folders;
}

void IdentityStores::dbxFilesIn(const QString& folderPath, QStringList& files)
{
    files.clear();
    if (folderPath.isEmpty() || QDir::isRelativePath(folderPath))
        return;
    const QDir folder(folderPath);
    // Ordinary files (symbolic links to them too); without QDir::Hidden, names that begin with a dot are
    // left out, as Windows leaves out hidden files.
    QStringList names = folder.entryList(QDir::Files | QDir::Readable, QDir::Unsorted);
    names.removeIf([](const QString& name) {
        return !name.endsWith(QLatin1String(".dbx"), Qt::CaseInsensitive) || isSkippedStoreFile(name);
    });
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QString prefix = QDir::cleanPath(folderPath);
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    for (const QString& name : std::as_const(names))
        files.append(prefix + name);
}

bool IdentityStores::isSkippedStoreFile(const QString& fileName)
{
    const QString lower = fileName.toLower();
    return lower == QLatin1String("folders.dbx") || lower == QLatin1String("pop3uidl.dbx");
}

} // namespace sources::express

#include "sources/express/StoreDiscovery.h"

#include "core/ErrorReport.h"
#include "sources/express/IdentityStores.h"

namespace sources::express {

namespace {

const QString kModule = QStringLiteral("Express1");

} // namespace

void searchIdentities(StoreDiscovery& discovery, const RegistryBackend& registry, platform::Dialogs& dialogs)
{
    core::Trap trap(dialogs, kModule, QStringLiteral("SearchIdentities"));
    // Each search lists only what its own registry holds, also after a failed one.
    discovery.storeFolders.clear();
    trap(1, [&] { discovery.storeFolders = IdentityStores(registry, dialogs).identityStoreFolders(); });
    trap(3, [&] {
        for (const QString& folder : std::as_const(discovery.storeFolders)) {
            QStringList files;
            IdentityStores::dbxFilesIn(folder, files);
            discovery.dbxFiles.append(files);
        }
    });
}

bool isBlankText(const QString& text)
{
    QString rest = text;
    rest.remove(QChar(u'\0'));
    qsizetype begin = 0;
    qsizetype end = rest.size();
    while (begin < end && rest.at(begin) == u' ')
        ++begin;
    while (end > begin && rest.at(end - 1) == u' ')
        --end;
    return begin == end;
}

} // namespace sources::express

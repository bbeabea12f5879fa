#include "sources/express/StoreDiscovery.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "sources/express/IdentityStores.h"

#include <memory>

namespace sources::express {

namespace {

const QString kModule = QStringLiteral("Express1");
constexpr int kSubscriptOutOfRange = 9;

} // namespace

void searchIdentities(StoreDiscovery& discovery, const RegistryBackend& registry, platform::Dialogs& dialogs)
{
    core::Trap trap(dialogs, kModule, QStringLiteral("SearchIdentities"));
    std::unique_ptr<IdentityStores> dbxFiles;
    trap(1, [&] {
        dbxFiles = std::make_unique<IdentityStores>(registry, dialogs);
        discovery.storeFolders = dbxFiles->identityStoreFolders();
    });
    bool searchFolders = false;
    trap(2, [&] {
        if (!discovery.storeFolders)
            throw core::AppError(kSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        searchFolders = !discovery.storeFolders->isEmpty();
    });
    if (!searchFolders)
        return;
    trap(3, [&] {
        for (const QString& folder : std::as_const(*discovery.storeFolders)) {
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

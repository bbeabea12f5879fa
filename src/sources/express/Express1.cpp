#include "sources/express/Express1.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "sources/express/DBXFiles.h"

#include <memory>

namespace sources::express {

namespace {

const QString kModule = QStringLiteral("Express1");
constexpr int kSubscriptOutOfRange = 9;

} // namespace

void SearchIdentities(StoreDiscovery& discovery, const RegistryBackend& registry, platform::Dialogs& dialogs)
{
    core::Trap trap(dialogs, kModule, QStringLiteral("SearchIdentities"));
    std::unique_ptr<DBXFiles> dbxFiles;
    trap(1, [&] {
        dbxFiles = std::make_unique<DBXFiles>(registry, dialogs);
        discovery.StoreFolders = dbxFiles->GetStoreFolder();
    });
    bool searchFolders = false;
    trap(2, [&] {
        if (!discovery.StoreFolders)
            throw core::AppError(kSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        searchFolders = !discovery.StoreFolders->isEmpty();
    });
    if (!searchFolders)
        return;
    trap(3, [&] {
        for (const QString& folder : std::as_const(*discovery.StoreFolders)) {
            QStringList files;
            DBXFiles::GetDBXFilesInPath(folder, files);
            discovery.DBXFileList.append(files);
        }
    });
}

bool IsBlankText(const QString& text)
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

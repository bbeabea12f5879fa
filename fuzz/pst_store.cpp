// A PST/OST file through the PST backend, as a run walks it: the store, every folder (to a depth and a
// number), and every item's class, sender and body. A failure must arrive as AppError, nothing else.
#include "FuzzSupport.h"

#include "core/AppError.h"
#include "sources/outlook/OutlookModel.h"
#include "sources/outlook/PstApplication.h"

namespace {

using namespace sources::outlook;

constexpr int kMaxDepth = 12;
constexpr int kMaxFolders = 200;
constexpr int kMaxItems = 100;

template <class Statement>
void attempt(Statement statement)
{
    try {
        statement();
    } catch (const core::AppError&) {
    }
}

void walk(Folder& folder, int depth, int& folders)
{
    if (++folders > kMaxFolders || depth > kMaxDepth)
        return;
    attempt([&] { (void)folder.Name(); });
    attempt([&] {
        ItemList& items = folder.Items();
        const int count = std::min(items.count(), kMaxItems);
        for (int i = 1; i <= count; ++i) {
            attempt([&] {
                const std::unique_ptr<MailItem> item = items.Item(i);
                attempt([&] { (void)item->Class(); });
                attempt([&] { (void)item->SenderEmailType(); });
                attempt([&] { (void)item->SenderEmailAddress(); });
                attempt([&] { (void)item->SenderName(); });
                attempt([&] { (void)item->Body(); });
            });
        }
    });
    attempt([&] {
        FolderList& subfolders = folder.Folders();
        const int count = subfolders.count();
        for (int i = 1; i <= count && folders <= kMaxFolders; ++i)
            attempt([&] { walk(*subfolders.Item(i), depth + 1, folders); });
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("store.pst"));
    PstApplicationFactory factory([path] { return QStringList{path}; });
    const std::unique_ptr<Application> application = factory.create();
    fuzzsupport::check(application != nullptr, "pst: no application");
    attempt([&] {
        const std::unique_ptr<Namespace> mapi = application->GetNamespace(QStringLiteral("MAPI"));
        FolderList& stores = mapi->Folders();
        int folders = 0;
        const int count = stores.count();
        for (int i = 1; i <= count; ++i)
            attempt([&] { walk(*stores.Item(i), 0, folders); });
    });
    return 0;
}

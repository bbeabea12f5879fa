#include "sources/outlook/ParallelStaging.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "core/OrderedPool.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "sources/outlook/OutlookModel.h"
#include "sources/outlook/OutlookReader.h"

#include <QFile>
#include <QScopeGuard>
#include <QList>
#include <atomic>
#include <vector>

namespace sources::outlook {

namespace {

// The options as they were when the run started: a worker must not ask the window's controls.
class OptionsAtStart : public ReaderOptions
{
public:
    explicit OptionsAtStart(const ReaderOptions& options)
        : m_from(options.fromField()), m_body(options.bodyField()), m_boxes(options.folderBoxes())
    {
    }
    bool fromField() const override { return m_from; }
    bool bodyField() const override { return m_body; }
    bool profileSource() const override { return true; }
    bool pstFileSource() const override { return false; }
    QString pstFile() const override { return {}; }
    std::array<FolderBox, 5> folderBoxes() const override { return m_boxes; }

private:
    bool m_from;
    bool m_body;
    std::array<FolderBox, 5> m_boxes;
};

struct HeldMessage
{
    QString text;
    platform::Buttons buttons;
    platform::Icon icon;
    QString title;
};

// A worker's error reports, kept for the calling thread to show in store order.
class HeldDialogs : public platform::Dialogs
{
public:
    platform::Answer messageBox(const QString& text, platform::Buttons buttons, platform::Icon icon,
                                const QString& title) override
    {
        m_held.push_back({text, buttons, icon, title});
        return platform::Answer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    platform::FileDialogAnswer openFile(const platform::FileDialogRequest&) override { return {}; }
    platform::FileDialogAnswer saveFile(const platform::FileDialogRequest&) override { return {}; }
    std::vector<HeldMessage> take() { return std::move(m_held); }

private:
    std::vector<HeldMessage> m_held;
};

// A worker has no window to yield to.
class NoLoop : public platform::EventLoop
{
public:
    void yieldOnce() override {}
    void endProgram() override {}
};

class NoPointer : public platform::PointerControl
{
public:
    platform::Pointer pointer() const override { return platform::Pointer::Default; }
    void setPointer(platform::Pointer) override {}
};

// Once the pool stops, the rest of a store reads as empty: a folder without subfolders or items, an item
// that is no mail. This is where a worker notices, between two messages.
class EmptyFolderList : public FolderList
{
public:
    int count() const override { return 0; }
    std::unique_ptr<Folder> Item(int) override { throw core::AppError(9, QStringLiteral("Subscript out of range")); }
    std::unique_ptr<Folder> GetLast() override { return Item(0); }
};

class EmptyItemList : public ItemList
{
public:
    int count() const override { return 0; }
    std::unique_ptr<MailItem> Item(int) override { throw core::AppError(9, QStringLiteral("Subscript out of range")); }
};

class NotMail : public MailItem
{
public:
    int Class() const override { return 0; }
    QString SenderEmailType() const override { return {}; }
    QString SenderEmailAddress() const override { return {}; }
    QString SenderName() const override { return {}; }
    QString Body() const override { return {}; }
};

class StoppableFolder;

class StoppableFolderList : public FolderList
{
public:
    StoppableFolderList(FolderList& list, const std::atomic<bool>& stop) : m_list(list), m_stop(stop) {}
    int count() const override { return m_list.count(); }
    std::unique_ptr<Folder> Item(int index) override;
    std::unique_ptr<Folder> GetLast() override;

private:
    FolderList& m_list;
    const std::atomic<bool>& m_stop;
};

class StoppableItemList : public ItemList
{
public:
    StoppableItemList(ItemList& list, const std::atomic<bool>& stop) : m_list(list), m_stop(stop) {}
    int count() const override { return m_list.count(); }
    std::unique_ptr<MailItem> Item(int index) override
    {
        if (m_stop)
            return std::make_unique<NotMail>();
        return m_list.Item(index);
    }

private:
    ItemList& m_list;
    const std::atomic<bool>& m_stop;
};

class StoppableFolder : public Folder
{
public:
    StoppableFolder(std::unique_ptr<Folder> folder, const std::atomic<bool>& stop)
        : m_folder(std::move(folder)), m_folders(m_folder->Folders(), stop), m_items(m_folder->Items(), stop)
    {
    }
    QString Name() const override { return m_folder->Name(); }
    FolderList& Folders() override { return m_folders; }
    ItemList& Items() override { return m_items; }

private:
    std::unique_ptr<Folder> m_folder;
    StoppableFolderList m_folders;
    StoppableItemList m_items;
};

class EmptyFolder : public Folder
{
public:
    QString Name() const override { return {}; }
    FolderList& Folders() override { return m_folders; }
    ItemList& Items() override { return m_items; }

private:
    EmptyFolderList m_folders;
    EmptyItemList m_items;
};

std::unique_ptr<Folder> StoppableFolderList::Item(int index)
{
    if (m_stop)
        return std::make_unique<EmptyFolder>();
    return std::make_unique<StoppableFolder>(m_list.Item(index), m_stop);
}

std::unique_ptr<Folder> StoppableFolderList::GetLast()
{
    return std::make_unique<StoppableFolder>(m_list.GetLast(), m_stop);
}

// The profile as one worker sees it for one task: only store `store` of the calling thread's namespace.
class OneStoreList : public FolderList
{
public:
    OneStoreList(FolderList& stores, int store, const std::atomic<bool>& stop)
        : m_stores(stores), m_store(store), m_stop(stop)
    {
    }
    int count() const override { return 1; }
    std::unique_ptr<Folder> Item(int) override
    {
        if (m_stop)
            return std::make_unique<EmptyFolder>();
        return std::make_unique<StoppableFolder>(m_stores.Item(m_store), m_stop);
    }
    std::unique_ptr<Folder> GetLast() override { return Item(1); }

private:
    FolderList& m_stores;
    int m_store;
    const std::atomic<bool>& m_stop;
};

class OneStoreNamespace : public Namespace
{
public:
    OneStoreNamespace(FolderList& stores, int store, const std::atomic<bool>& stop) : m_stores(stores, store, stop) {}
    FolderList& Folders() override { return m_stores; }
    void AddStore(const QString&) override {}
    void RemoveStore(Folder&) override {}

private:
    OneStoreList m_stores;
};

class OneStoreApplication : public Application
{
public:
    OneStoreApplication(QString version, FolderList& stores, int store, const std::atomic<bool>& stop)
        : m_version(std::move(version)), m_stores(stores), m_store(store), m_stop(stop)
    {
    }
    QString Version() const override { return m_version; }
    std::unique_ptr<Namespace> GetNamespace(const QString&) override
    {
        return std::make_unique<OneStoreNamespace>(m_stores, m_store, m_stop);
    }

private:
    QString m_version;
    FolderList& m_stores;
    int m_store;
    const std::atomic<bool>& m_stop;
};

class OneStoreFactory : public ApplicationFactory
{
public:
    OneStoreFactory(QString version, FolderList& stores, int store, const std::atomic<bool>& stop)
        : m_version(std::move(version)), m_stores(stores), m_store(store), m_stop(stop)
    {
    }
    std::unique_ptr<Application> create() override
    {
        return std::make_unique<OneStoreApplication>(m_version, m_stores, m_store, m_stop);
    }

private:
    QString m_version;
    FolderList& m_stores;
    int m_store;
    const std::atomic<bool>& m_stop;
};

// What a worker leaves of one store.
struct StorePart
{
    QString path;
    bool staged = false; // false: its part could not be written (reported) and the run ends with it
    std::vector<HeldMessage> reports;
};

// Each worker reads through a namespace of its own, made on the calling thread: making one may read the
// settings, which only the calling thread may do.
struct WorkerProfile
{
    std::unique_ptr<Application> application;
    std::unique_ptr<Namespace> mapi;
};

} // namespace

bool stageStoresInParallel(const ParallelStaging& staging, int stores, const QString& stagingPath,
                           const std::function<void(const QString& partPath)>& append)
{
    const OptionsAtStart options(staging.options);
    const int workers = std::min(staging.workers, stores);
    std::vector<WorkerProfile> profiles(static_cast<std::size_t>(workers));
    QString version;
    for (WorkerProfile& profile : profiles) {
        profile.application = staging.factory.create();
        if (!profile.application)
            return false;
        version = profile.application->Version();
        profile.mapi = profile.application->GetNamespace(QStringLiteral("MAPI"));
    }

    auto work = [&](int index, int slot, const std::atomic<bool>& stop) {
        StorePart part;
        part.path = stagingPath + QStringLiteral(".part%1").arg(index + 1);
        HeldDialogs dialogs;
        NoLoop loop;
        NoPointer pointer;
        OptionsAtStart workerOptions(options);
        OneStoreFactory factory(version, profiles[std::size_t(slot)].mapi->Folders(), index + 1, stop);
        OutlookReader reader({factory, workerOptions, dialogs, loop, pointer});
        part.staged = reader.stageSelectedMail(part.path);
        part.reports = dialogs.take();
        return part;
    };
    std::vector<QString> leftParts;
    auto deliver = [&](int, StorePart& part) {
        for (const HeldMessage& report : part.reports)
            staging.dialogs.messageBox(report.text, report.buttons, report.icon, report.title);
        bool appended = false;
        core::Trap trap(staging.dialogs, QStringLiteral("Outlook1"), QStringLiteral("GetMailItems"));
        if (QFile::exists(part.path))
            appended = trap(10, [&] { append(part.path); });
        QFile::remove(part.path);
        return appended && part.staged;
    };
    auto keepWaiting = [&] {
        staging.loop.yieldWithinRun(); // ends the run when the user cancelled it in the window
        return !(staging.cancelled && staging.cancelled());
    };
    // Parts of stores after a stop (or a cancelled run) are never appended.
    const auto removeParts = qScopeGuard([&] {
        for (int i = 1; i <= stores; ++i)
            QFile::remove(stagingPath + QStringLiteral(".part%1").arg(i));
    });
    return core::runOrdered<StorePart>(stores, workers, work, deliver, keepWaiting);
}

} // namespace sources::outlook

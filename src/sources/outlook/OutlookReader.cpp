#include "sources/outlook/OutlookReader.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "sources/outlook/OutlookModel.h"
#include "sources/outlook/ParallelStaging.h"
#include "sources/outlook/StagingWriter.h"

#include <QFileInfo>
#include <thread>

namespace sources::outlook {

namespace {

const QString kModule = QStringLiteral("Outlook1");

constexpr int kObjectNotSet = 91;

// The leading number of a dotted version string ("16.0.0.1" gives 16); 0 when there is none.
int leadingNumber(const QString& version)
{
    const QString head = version.trimmed().section(u'.', 0, 0);
    bool ok = false;
    const int number = head.toInt(&ok);
    if (!ok)
        throw core::AppError(core::errors::kTypeMismatch, QStringLiteral("Type mismatch"));
    return number;
}

template <class T>
T& require(const std::unique_ptr<T>& object)
{
    if (!object)
        throw core::AppError(kObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

// Ends the run's hourglass and writer whichever way stageSelectedMail returns.
class RunGuard
{
public:
    RunGuard(platform::PointerControl& pointer, std::unique_ptr<StagingWriter>& writer)
        : m_pointer(pointer), m_writer(writer)
    {
    }
    ~RunGuard()
    {
        m_writer.reset();
        m_pointer.setPointer(platform::Pointer::Default);
    }

private:
    platform::PointerControl& m_pointer;
    std::unique_ptr<StagingWriter>& m_writer;
};

} // namespace

// Reading an item takes the library microseconds, so the clock is read at every step.
OutlookReader::OutlookReader(ReaderServices services)
    : m_services(services), m_slice(services.loop, services.yieldSliceMs, 1)
{
}

OutlookReader::~OutlookReader() = default;

bool OutlookReader::stageSelectedMail(const QString& path)
{
    core::Trap trap(m_services.dialogs, kModule, QStringLiteral("getAllEmailOutlook"));
    platform::Dialogs& dialogs = m_services.dialogs;
    ReaderOptions& options = m_services.options;

    if (!IsOutlookAvailable(m_services.factory)) {
        dialogs.message(QStringLiteral("MS Outlook does not appear to be installed on this computer."));
        return false;
    }
    if (m_services.settlePause.count() > 0)
        std::this_thread::sleep_for(m_services.settlePause);

    const bool walkProfile = options.profileSource();
    const bool walkPstFile = options.pstFileSource();
    const QString pstFile = options.pstFile();
    if (walkPstFile) {
        if (pstFile.trimmed().isEmpty()) {
            dialogs.message(QStringLiteral("You forgot to input PST File."));
            return false;
        }
        if (!QFileInfo(pstFile).isFile()) {
            dialogs.message(QStringLiteral("PST File not found."));
            return false;
        }
    }

    m_services.pointer.setPointer(platform::Pointer::Hourglass);
    RunGuard guard(m_services.pointer, m_writer);
    // Without a staging file of its own the run would leave the rules reading an earlier run's text.
    m_stagingFailed = false;
    if (!trap(5, [&] { m_writer = std::make_unique<StagingWriter>(path, StagingWriter::Start::Fresh); }))
        return false;

    std::unique_ptr<Application> application;
    std::unique_ptr<Namespace> mapi;
    trap(6, [&] { application = m_services.factory.create(); });
    trap(7, [&] { m_outlookVersion = leadingNumber(require(application).Version()); });
    trap(8, [&] { mapi = require(application).GetNamespace(QStringLiteral("MAPI")); });

    if (walkProfile) {
        int stores = 0;
        trap(9, [&] { stores = require(mapi).Folders().count(); });
        // Several workers stage the stores at once; the loop below then has none left to walk.
        if (stores > 1 && m_services.workers > 1 && m_services.factory.opensStoresIndependently()) {
            m_stagingFailed = !stageProfileInParallel(stores, path);
            stores = 0;
        }
        for (int i = 1; i <= stores && !m_stagingFailed; ++i) {
            m_slice.step();
            // A store that cannot be opened is reported; the others are still walked.
            std::unique_ptr<Folder> top;
            if (trap(10, [&] { top = require(mapi).Folders().Item(i); }))
                GetMailItems(1, *top);
            if (m_services.storeStaged)
                m_services.storeStaged(i, stores);
        }
    } else if (walkPstFile) {
        // When the file cannot be attached the run ends here, as a failed staging: walking on would read,
        // and then detach, a store of the profile that this run never attached, and the command keeps the
        // results the user has.
        if (!trap(11, [&] { require(mapi).AddStore(pstFile); })) {
            trap(15, [&] { require(m_writer).close(); });
            return false;
        }
        std::unique_ptr<Folder> top;
        trap(12, [&] { top = require(mapi).Folders().GetLast(); });
        if (top) {
            GetMailItems(1, *top);
            trap(14, [&] { require(mapi).RemoveStore(*top); });
        }
    }

    const bool closed = trap(15, [&] { require(m_writer).close(); });
    mapi.reset();
    application.reset();
    return closed && !m_stagingFailed;
}

void OutlookReader::GetMailItems(int level, Folder& folder)
{
    core::Trap trap(m_services.dialogs, kModule, QStringLiteral("GetMailItems"));
    QString name;
    trap(2, [&] { name = folder.Name(); });
    if (name == u"Internet Newsgroups" || name == u"All Public Folders")
        return;

    int subfolders = 0;
    trap(3, [&] { subfolders = folder.Folders().count(); });
    for (int i = 1; i <= subfolders && !m_stagingFailed; ++i) {
        m_slice.step();
        std::unique_ptr<Folder> subfolder;
        if (!trap(4, [&] { subfolder = folder.Folders().Item(i); }))
            continue;
        if (level == 1) {
            // A name that cannot be read matches no box: the folder must not pass as the one before it.
            m_currentTopFolder.clear();
            trap(5, [&] { m_currentTopFolder = subfolder->Name(); });
        }
        GetMailItems(2, *subfolder);

        int items = 0;
        trap(6, [&] { items = subfolder->Items().count(); });
        for (int j = 1; j <= items && !m_stagingFailed; ++j) {
            m_slice.step();
            std::unique_ptr<MailItem> item;
            int itemClass = 0;
            if (!trap(7, [&] {
                    item = subfolder->Items().Item(j);
                    itemClass = item->Class();
                }))
                continue;
            if (itemClass == kMailItemClass && folderQualifies())
                stageItem(*item);
        }
    }
}

bool OutlookReader::stageProfileInParallel(int stores, const QString& path)
{
    const ParallelStaging staging{m_services.factory, m_services.options,   m_services.dialogs,
                                  m_services.loop,    m_services.cancelled, m_services.workers};
    int done = 0;
    return stageStoresInParallel(staging, stores, path, [&](const QString& part) {
        require(m_writer).appendPart(part);
        if (m_services.storeStaged)
            m_services.storeStaged(++done, stores);
    });
}

bool OutlookReader::folderQualifies() const
{
    const std::array<FolderBox, 5> boxes = m_services.options.folderBoxes();
    bool all = true;
    bool match = false;
    for (const FolderBox& box : boxes) {
        all = all && box.checked;
        match = match || (box.checked && box.caption == m_currentTopFolder);
    }
    return all || match;
}

void OutlookReader::stageItem(MailItem& item)
{
    core::Trap trap(m_services.dialogs, kModule, QStringLiteral("GetMailItems"));
    ReaderOptions& options = m_services.options;
    QString sender;
    QString body;
    if (options.fromField()) {
        trap(8, [&] {
            if (m_outlookVersion <= 9)
                sender = item.SenderName();
            else if (item.SenderEmailType() == u"SMTP")
                sender = item.SenderEmailAddress();
            else
                sender = item.SenderName();
        });
    }
    if (options.bodyField())
        trap(9, [&] { body = item.Body(); });
    // A record that cannot be written ends the run: what follows would be staged with a gap.
    m_stagingFailed = !trap(10, [&] { require(m_writer).appendRecord(sender, body); });
}

} // namespace sources::outlook

#pragma once

#include "core/TimeSlice.h"

#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <memory>

namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
} // namespace platform

namespace sources::outlook {

class ApplicationFactory;
class Folder;
class StagingWriter;

// One of the five folder boxes: the first-level folder it stands for is its caption.
struct FolderBox
{
    bool checked = false;
    QString caption;
};

// The options of the main window that a run reads; asked at the moment each is needed, so a box changed
// during a run counts from the next item on.
class ReaderOptions
{
public:
    virtual ~ReaderOptions() = default;
    virtual bool fromField() const = 0;     // "Extract emails from 'From' field"
    virtual bool bodyField() const = 0;     // "Extract emails from 'Body' field"
    virtual bool profileSource() const = 0; // the Outlook profile
    virtual bool pstFileSource() const = 0; // one PST file
    virtual QString pstFile() const = 0;
    // Inbox, Outbox, Drafts, Sent Items, Deleted Items, in that order.
    virtual std::array<FolderBox, 5> folderBoxes() const = 0;
};

struct ReaderServices
{
    ApplicationFactory& factory;
    ReaderOptions& options;
    platform::Dialogs& dialogs;
    platform::EventLoop& loop;
    platform::PointerControl& pointer;
    // Time for an automation server to settle before it is used; a file backend needs none.
    std::chrono::milliseconds settlePause{0};
    // How long the walk runs between two yields to the window system (0: at every folder and item).
    qint64 yieldSliceMs = 20;
    // How many workers stage the stores of a profile at once (1: store after store on this thread), and
    // what stops them early; asked while this thread waits for them.
    int workers = 1;
    std::function<bool()> cancelled = {};
    // Told as each store of a profile joins the staging file, in store order: how many have, of how many.
    std::function<void(int done, int stores)> storeStaged = {};
};

// Stages the sender and body of the selected mail items of Outlook in one text file, for the extraction
// rules to read. One reader belongs to one main window; its version and current folder outlive a run.
class OutlookReader
{
public:
    explicit OutlookReader(ReaderServices services);
    ~OutlookReader();

    // Rebuilds the staging file at path from the selected source, folders and fields. False (with a message)
    // when there is nothing to read from, when the PST file cannot be attached, or when the staging file
    // cannot be written; other failures during the run are reported and the run goes on.
    bool stageSelectedMail(const QString& path);
    // How many workers stage a profile's stores from the next run on.
    void setWorkers(int workers) { m_services.workers = workers; }

private:
    // Stages the mail items below folder (level 1 for a store's top folder, 2 deeper), each subfolder's
    // subtree before its own items.
    void GetMailItems(int level, Folder& folder);
    bool folderQualifies() const;
    bool stageProfileInParallel(int stores, const QString& path);
    void stageItem(class MailItem& item);

    ReaderServices m_services;
    int m_outlookVersion = 0;   // the leading number of the application's version, taken at each run's start
    QString m_currentTopFolder; // the first-level folder the walk is in
    bool m_stagingFailed = false;
    std::unique_ptr<StagingWriter> m_writer;
    core::TimeSlice m_slice;
};

} // namespace sources::outlook

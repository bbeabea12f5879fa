#pragma once

#include <QString>
#include <memory>

// The part of Outlook's object model that the mail reader uses, behind our own interface so that the walk
// can run on a PST/OST reader, on a fake in tests, or on Outlook automation. Indexes are 1-based, as in
// Outlook. Members fail with core::AppError when the store cannot deliver what was asked.
namespace sources::outlook {

// The Class value of a mail item.
inline constexpr int kMailItemClass = 43;

class MailItem
{
public:
    virtual ~MailItem() = default;
    virtual int Class() const = 0;
    virtual QString SenderEmailType() const = 0;
    virtual QString SenderEmailAddress() const = 0;
    virtual QString SenderName() const = 0;
    // Always plain text.
    virtual QString Body() const = 0;
};

class ItemList
{
public:
    virtual ~ItemList() = default;
    virtual int count() const = 0;
    virtual std::unique_ptr<MailItem> Item(int index) = 0;
};

class Folder;

class FolderList
{
public:
    virtual ~FolderList() = default;
    virtual int count() const = 0;
    virtual std::unique_ptr<Folder> Item(int index) = 0;
    // The last folder of the list; for a namespace's stores, the store attached last.
    virtual std::unique_ptr<Folder> GetLast() = 0;
};

class Folder
{
public:
    virtual ~Folder() = default;
    virtual QString Name() const = 0;
    virtual FolderList& Folders() = 0;
    virtual ItemList& Items() = 0;
};

class Namespace
{
public:
    virtual ~Namespace() = default;
    // One top folder per store of the profile.
    virtual FolderList& Folders() = 0;
    virtual void AddStore(const QString& path) = 0;
    virtual void RemoveStore(Folder& topFolder) = 0;
};

class Application
{
public:
    virtual ~Application() = default;
    // A dotted version string such as "16.0.0.1".
    virtual QString Version() const = 0;
    virtual std::unique_ptr<Namespace> GetNamespace(const QString& type) = 0;
};

// Creates the application object; nothing when Outlook (or a backend standing in for it) is not available.
class ApplicationFactory
{
public:
    virtual ~ApplicationFactory() = default;
    virtual std::unique_ptr<Application> create() = 0;
    // Whether applications of its own read the same stores at once on several threads.
    virtual bool opensStoresIndependently() const { return false; }
};

// True when an application object can be created; it is released at once.
bool IsOutlookAvailable(ApplicationFactory& factory);

} // namespace sources::outlook

#include "support/FakeOutlook.h"

#include "core/AppError.h"

namespace fake {

namespace so = sources::outlook;

namespace {

template <class T>
const T& unlessFails(const QString& fails, const QString& what, const T& value)
{
    if (fails == what)
        throw core::AppError(core::errors::kDeviceIo, what + u" unreadable"_qs);
    return value;
}

class FakeMailItem : public so::MailItem
{
public:
    explicit FakeMailItem(const Item& item) : m_item(item) {}
    int Class() const override { return unlessFails(m_item.fails, u"Class"_qs, m_item.itemClass); }
    QString SenderEmailType() const override { return u"SMTP"_qs; }
    QString SenderEmailAddress() const override { return m_item.senderAddress; }
    QString SenderName() const override { return u"Name of "_qs + m_item.senderAddress; }
    QString Body() const override { return unlessFails(m_item.fails, u"Body"_qs, m_item.body); }

private:
    const Item& m_item;
};

// Children addressed from 1, as in Outlook.
class FakeFolderList : public so::FolderList
{
public:
    explicit FakeFolderList(const std::vector<Folder>& folders) : m_folders(folders) {}
    int count() const override { return static_cast<int>(m_folders.size()); }
    std::unique_ptr<so::Folder> Item(int index) override;
    std::unique_ptr<so::Folder> GetLast() override { return Item(count()); }

private:
    const std::vector<Folder>& m_folders;
};

class FakeFolder : public so::Folder, public so::ItemList
{
public:
    explicit FakeFolder(const fake::Folder& folder) : m_data(folder), m_folders(folder.folders) {}
    QString Name() const override { return unlessFails(m_data.fails, u"Name"_qs, m_data.name); }
    so::FolderList& Folders() override { return m_folders; }
    so::ItemList& Items() override { return *this; }
    int count() const override { return static_cast<int>(m_data.items.size()); }
    std::unique_ptr<so::MailItem> Item(int index) override
    {
        return std::make_unique<FakeMailItem>(m_data.items.at(static_cast<size_t>(index - 1)));
    }

private:
    const fake::Folder& m_data;
    FakeFolderList m_folders;
};

std::unique_ptr<so::Folder> FakeFolderList::Item(int index)
{
    if (index < 1 || index > count())
        throw core::AppError(9, u"Subscript out of range"_qs);
    const Folder& folder = m_folders.at(static_cast<size_t>(index - 1));
    unlessFails(folder.fails, u"Folder"_qs, index);
    return std::make_unique<FakeFolder>(folder);
}

// The profile's stores are its folder list; no file can be attached.
class FakeNamespace : public so::Namespace, public FakeFolderList
{
public:
    using FakeFolderList::FakeFolderList;
    so::FolderList& Folders() override { return *this; }
    void AddStore(const QString& path) override
    {
        throw core::AppError(321, u"Not a personal folders file: "_qs + path);
    }
    void RemoveStore(so::Folder&) override {}
};

class FakeApplication : public so::Application
{
public:
    explicit FakeApplication(Outlook& outlook) : m_outlook(outlook) {}
    QString Version() const override { return m_outlook.version; }
    std::unique_ptr<so::Namespace> GetNamespace(const QString& type) override
    {
        if (type != u"MAPI")
            throw core::AppError(5, u"Invalid procedure call"_qs);
        return std::make_unique<FakeNamespace>(m_outlook.stores);
    }

private:
    Outlook& m_outlook;
};

} // namespace

std::unique_ptr<so::Application> Outlook::create()
{
    return available ? std::make_unique<FakeApplication>(*this) : nullptr;
}

} // namespace fake

#include "sources/outlook/FakeOutlook.h"

#include "core/AppError.h"

namespace fake {

namespace so = sources::outlook;

namespace {

void failIf(bool fails, const char* what)
{
    if (fails)
        throw core::AppError(core::errors::kDeviceIo, QString::fromLatin1(what) + u" unreadable"_qs);
}

template <class T>
const T& unlessFails(bool fails, const char* what, const T& value)
{
    failIf(fails, what);
    return value;
}

class FakeMailItem : public so::MailItem
{
public:
    explicit FakeMailItem(const Item& item) : m_item(item) {}
    int Class() const override { return unlessFails(m_item.classFails, "Class", m_item.itemClass); }
    QString SenderEmailType() const override { return m_item.senderType; }
    QString SenderEmailAddress() const override { return m_item.senderAddress; }
    QString SenderName() const override { return m_item.senderName; }
    QString Body() const override { return unlessFails(m_item.bodyFails, "Body", m_item.body); }

private:
    const Item& m_item;
};

class FakeItemList : public so::ItemList
{
public:
    explicit FakeItemList(const std::vector<fake::Item>& items) : m_items(items) {}
    int count() const override { return static_cast<int>(m_items.size()); }
    std::unique_ptr<so::MailItem> Item(int index) override
    {
        return std::make_unique<FakeMailItem>(m_items.at(static_cast<size_t>(index - 1)));
    }

private:
    const std::vector<fake::Item>& m_items;
};

// Children addressed from 1, as in Outlook.
class FakeFolderList : public so::FolderList
{
public:
    explicit FakeFolderList(const std::vector<Folder>& folders)
    {
        for (const Folder& f : folders)
            m_folders.push_back(&f);
    }
    int count() const override { return static_cast<int>(m_folders.size()); }
    std::unique_ptr<so::Folder> Item(int index) override;
    std::unique_ptr<so::Folder> GetLast() override { return Item(count()); }
    std::vector<const Folder*>& folders() { return m_folders; }

private:
    std::vector<const Folder*> m_folders;
};

class FakeFolder : public so::Folder
{
public:
    explicit FakeFolder(const fake::Folder& folder) : m_folder(folder), m_folders(folder.folders), m_items(folder.items)
    {
    }
    QString Name() const override { return unlessFails(m_folder.nameFails, "Name", m_folder.name); }
    so::FolderList& Folders() override { return m_folders; }
    so::ItemList& Items() override { return m_items; }
    const fake::Folder& data() const { return m_folder; }

private:
    const fake::Folder& m_folder;
    FakeFolderList m_folders;
    FakeItemList m_items;
};

std::unique_ptr<so::Folder> FakeFolderList::Item(int index)
{
    if (index < 1 || index > count())
        throw core::AppError(9, u"Subscript out of range"_qs);
    const Folder* folder = m_folders.at(static_cast<size_t>(index - 1));
    failIf(folder->openFails, "Folder");
    return std::make_unique<FakeFolder>(*folder);
}

class FakeNamespace : public so::Namespace
{
public:
    explicit FakeNamespace(Outlook& outlook) : m_outlook(outlook), m_stores(outlook.stores) {}
    so::FolderList& Folders() override { return m_stores; }
    void AddStore(const QString& path) override
    {
        const auto it = m_outlook.files.find(path);
        if (it == m_outlook.files.end())
            throw core::AppError(321, u"Not a personal folders file: "_qs + path);
        m_stores.folders().push_back(&it->second);
        ++m_outlook.attachedNow;
    }
    void RemoveStore(so::Folder& topFolder) override
    {
        const auto& data = dynamic_cast<FakeFolder&>(topFolder).data();
        auto& list = m_stores.folders();
        list.erase(std::find(list.begin(), list.end(), &data));
        m_outlook.removedStores.append(data.name);
        --m_outlook.attachedNow;
    }

private:
    Outlook& m_outlook;
    FakeFolderList m_stores;
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
        return std::make_unique<FakeNamespace>(m_outlook);
    }

private:
    Outlook& m_outlook;
};

} // namespace

Item mail(const QString& sender, const QString& body)
{
    Item item;
    item.senderAddress = sender;
    item.senderName = u"Name of "_qs + sender;
    item.body = body;
    return item;
}

std::unique_ptr<so::Application> Outlook::create()
{
    return available ? std::make_unique<FakeApplication>(*this) : nullptr;
}

void Options::checkOnly(const QStringList& captions)
{
    for (auto& box : boxes)
        box.checked = captions.contains(box.caption);
}

void Options::checkAll()
{
    for (auto& box : boxes)
        box.checked = true;
}

} // namespace fake

#include "support/OutlookStub.h"

namespace testsupport {

namespace {

using namespace sources::outlook;

class NoFolders : public FolderList
{
public:
    int count() const override { return 0; }
    std::unique_ptr<Folder> Item(int) override { return nullptr; }
    std::unique_ptr<Folder> GetLast() override { return nullptr; }
};

class EmptyNamespace : public Namespace
{
public:
    FolderList& Folders() override { return m_folders; }
    void AddStore(const QString&) override {}
    void RemoveStore(Folder&) override {}

private:
    NoFolders m_folders;
};

class EmptyApplication : public Application
{
public:
    QString Version() const override { return u"16.0.0.1"_qs; }
    std::unique_ptr<Namespace> GetNamespace(const QString&) override { return std::make_unique<EmptyNamespace>(); }
};

} // namespace

std::unique_ptr<Application> EmptyOutlook::create()
{
    return available ? std::make_unique<EmptyApplication>() : nullptr;
}

} // namespace testsupport

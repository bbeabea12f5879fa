#pragma once

#include "sources/outlook/OutlookModel.h"
#include "sources/outlook/OutlookReader.h"

#include <QStringList>
#include <map>
#include <vector>

// An Outlook profile held in memory, so the walk can be checked without store files.
namespace fake {

struct Item
{
    int itemClass = sources::outlook::kMailItemClass;
    QString senderType = u"SMTP"_qs;
    QString senderAddress;
    QString senderName;
    QString body;
    bool bodyFails = false;  // reading Body raises an error
    bool classFails = false; // reading Class raises an error
};

struct Folder
{
    QString name;
    std::vector<Folder> folders;
    std::vector<Item> items;
    bool openFails = false; // the folder cannot be taken from its parent's list
    bool nameFails = false; // reading its name raises an error
};

// A mail item from sender with body.
Item mail(const QString& sender, const QString& body);

class Outlook : public sources::outlook::ApplicationFactory
{
public:
    std::unique_ptr<sources::outlook::Application> create() override;

    bool available = true;
    QString version = u"16.0.0.1"_qs;
    std::vector<Folder> stores;      // the top folders of the profile
    std::map<QString, Folder> files; // what AddStore can attach, by path
    QStringList removedStores;       // names of the top folders given to RemoveStore
    int attachedNow = 0;             // stores attached and not yet removed
};

// The options of the main window, as plain fields.
class Options : public sources::outlook::ReaderOptions
{
public:
    bool fromField() const override { return from; }
    bool bodyField() const override { return body; }
    bool profileSource() const override { return profile; }
    bool pstFileSource() const override { return pst; }
    QString pstFile() const override { return pstPath; }
    std::array<sources::outlook::FolderBox, 5> folderBoxes() const override { return boxes; }

    // Checks only the named boxes (by caption).
    void checkOnly(const QStringList& captions);
    void checkAll();

    bool from = true;
    bool body = true;
    bool profile = true;
    bool pst = false;
    QString pstPath;
    std::array<sources::outlook::FolderBox, 5> boxes = {{{true, u"Inbox"_qs},
                                                         {true, u"Outbox"_qs},
                                                         {false, u"Drafts"_qs},
                                                         {true, u"Sent Items"_qs},
                                                         {true, u"Deleted Items"_qs}}};
};

} // namespace fake

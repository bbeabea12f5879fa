#pragma once

#include "sources/outlook/OutlookModel.h"
#include "sources/outlook/OutlookReader.h"

#include <QStringList>
#include <vector>

// An Outlook profile held in memory, so the walk can be checked without store files.
namespace fake {

struct Item
{
    QString senderAddress;
    QString body;
    QString fails; // the property whose reading raises an error: "Body" or "Class"
    int itemClass = sources::outlook::kMailItemClass;
};

struct Folder
{
    QString name;
    std::vector<Folder> folders;
    std::vector<Item> items;
    QString fails; // "Folder": cannot be taken from its parent's list; "Name": its name cannot be read
};

class Outlook : public sources::outlook::ApplicationFactory
{
public:
    std::unique_ptr<sources::outlook::Application> create() override;

    bool available = true;
    QString version = u"16.0.0.1"_qs;
    std::vector<Folder> stores; // the top folders of the profile
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
    // Ticks the boxes with these captions and unticks the others.
    void checkOnly(const QStringList& captions)
    {
        for (auto& box : boxes)
            box.checked = captions.contains(box.caption);
    }
    void checkAll()
    {
        for (auto& box : boxes)
            box.checked = true;
    }

    bool from = true, body = true, profile = true, pst = false;
    QString pstPath;
    std::array<sources::outlook::FolderBox, 5> boxes = {{{true, u"Inbox"_qs},
                                                         {true, u"Outbox"_qs},
                                                         {false, u"Drafts"_qs},
                                                         {true, u"Sent Items"_qs},
                                                         {true, u"Deleted Items"_qs}}};
};

} // namespace fake

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// Finding mailboxes on disk: mbox files, Maildir and Maildir++ folders, folders of message files, and trees
// of them such as a mail client's folder of accounts. Nothing here opens a file for writing.
namespace sources::mailbox {

struct Mailbox
{
    enum class Kind { Mbox, Maildir, MessageFolder };
    Kind kind = Kind::Mbox;
    QString path;
    // The mailbox a user sees this one under: itself, or for a subfolder the outermost mailbox above it
    // ("Inbox" for Inbox.sbd/Lists/Work, "Sent" for Maildir++'s .Sent.2019). The folder boxes match this.
    QString topName;

    friend bool operator==(const Mailbox&, const Mailbox&) = default;
};

// What a search found, with a sentence per path or folder that could not be read, or held no mail.
struct Found
{
    QList<Mailbox> mailboxes;
    QStringList problems;
};

// An mbox is a file whose first line starts with "From "; the name does not count.
bool isMbox(const QString& path);

// The mailboxes at a path: an mbox file (an empty file too), a Maildir or Maildir++ tree, a folder of
// message files (*.eml), or any folder holding such at any depth, in name order. Thunderbird's index and
// filter files are skipped as not mail; an empty file counts as an empty mailbox where its index (.msf) lies
// beside it. A path that is none of these is a problem, as is a folder that cannot be listed.
Found findMailboxes(const QString& path);

// Inbox, Outbox, Drafts, Sent Items, Deleted Items, in that order, matched against a mailbox's top name by
// the names mail programs give those folders, in any letter case. With every box ticked every mailbox
// qualifies, whatever its name.
bool mailboxQualifies(const QString& topName, const std::array<bool, 5>& boxes);

// Thunderbird's mail under a home folder: the profiles listed in .thunderbird/profiles.ini, at the usual
// place and where the Snap and Flatpak packages keep it, and each profile's account folders under Mail/ and
// ImapMail/.
struct ThunderbirdMail
{
    QStringList profiles;
    QStringList accountFolders;
};
ThunderbirdMail findThunderbirdMail(const QString& home);

// The status line's words for what was found: "2 Thunderbird profiles, 14 mailboxes".
QString describeFound(int profiles, int mailboxes);

} // namespace sources::mailbox

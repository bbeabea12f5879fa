#pragma once

#include "sources/mailbox/MailboxReader.h"
#include "sources/mailbox/Mailboxes.h"

#include <QString>
#include <QStringList>
#include <array>

namespace platform {
class Dialogs;
}

namespace sources::mailbox {

// What the user chose to read: the paths given, or (none given) Thunderbird's mail under home.
struct MailboxChoice
{
    QStringList paths;
    QString home;
    StagedFields fields;
    // Inbox, Outbox, Drafts, Sent Items, Deleted Items.
    std::array<bool, 5> folders = {true, true, false, true, true};
    // How many mailboxes are staged at once, each by a worker of its own.
    int workers = 1;
};

// The mailboxes of a choice that the folder boxes let through, in order, and what could not be searched.
struct ChosenMailboxes
{
    QList<Mailbox> mailboxes;
    QStringList problems;
    int found = 0;            // mailboxes found, the folder boxes not yet applied
    int profiles = 0;         // Thunderbird profiles found, when no path was given
    bool thunderbird = false; // no path was given
};
ChosenMailboxes chooseMailboxes(const MailboxChoice& choice);

// What a run says when Thunderbird's mail is chosen and none is found.
QString noThunderbirdMail(const QString& home);

// Rebuilds the staging file at stagingPath from the chosen mailboxes: one empty line, then a record per
// message. Whatever could not be found or read is told in one message, and the rest is staged. False (with
// a message) when nothing could be searched at all (nothing found, or no mailbox found lies in a chosen
// folder), or when the staging file cannot be written.
// mailboxStaged is told as each mailbox joins the staging file, in order: how many have, of how many.
bool stageMailboxes(const MailboxChoice& choice, const QString& stagingPath, platform::Dialogs& dialogs,
                    const KeepReading& keepReading = {},
                    const std::function<void(int done, int mailboxes)>& mailboxStaged = {});

} // namespace sources::mailbox

#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

// A mailbox's messages read through GMime, message by message: an mbox with GMime's mbox parser over the
// file (the whole file never in memory, offsets past 4 GB), a Maildir's or a folder's message files one at a
// time. Every GMime and GLib header stays inside MailboxReader.cpp. Mailboxes are opened read-only and never
// locked: a file another program is appending to gives the messages written so far.
namespace sources::mailbox {

struct Mailbox;

// The fields a staging record holds, as the main window's field boxes choose them.
struct StagedFields
{
    bool from = true;
    bool body = false;
};

// Called after each message; false stops the reading there.
using KeepReading = std::function<bool()>;

struct ReadReport
{
    qint64 messages = 0;
    QStringList problems; // message files or a mailbox that could not be read
};

// Appends one staging record per message to out, in mailbox order: the sender line, then the body, each
// ended by CR LF, in UTF-8. The sender is the first From address as user@domain, else the From field's
// decoded text. The body is chosen and converted as for message files; an mbox's ">From " lines lose their
// quoting ">". A message cut short at the end of the file gives what it holds; a message whose header block
// passes 8 MB gives an empty record. Throws core::AppError when
// out cannot be written; everything the mailbox does wrong is in the report. Safe to call on several
// threads at once, each with its own mailbox and output.
ReadReport stageMailbox(const Mailbox& mailbox, StagedFields fields, QIODevice& out,
                        const KeepReading& keepReading = {});

// The fields the message lists show, encoded words decoded.
struct ListedMessage
{
    QString from;
    QString to;
    QString subject;
    QString date;
};
ReadReport listMailbox(const Mailbox& mailbox, const std::function<void(const ListedMessage&)>& take);

// Takes one quoting ">" from each line of the form ">From ", ">>From " ..., as mboxrd writers add them.
QString unquoteFromLines(const QString& body);

} // namespace sources::mailbox

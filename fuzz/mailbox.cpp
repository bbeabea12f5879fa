// Mailboxes through GMime's mbox parser: the search that decides what a file is, the staging records, and
// the message list.
#include "FuzzSupport.h"

#include "sources/mailbox/MailboxReader.h"
#include "sources/mailbox/Mailboxes.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("Inbox"));
    const sources::mailbox::Found found = sources::mailbox::findMailboxes(path);
    for (const sources::mailbox::Mailbox& mailbox : found.mailboxes) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const auto staged = sources::mailbox::stageMailbox(mailbox, {true, true}, out);
        qint64 listed = 0;
        sources::mailbox::listMailbox(mailbox, [&](const sources::mailbox::ListedMessage&) { ++listed; });
        // One record per message: the reading may not depend on what is asked of it.
        if (listed != staged.messages)
            fuzzsupport::fail("staging and listing counted different messages");
    }
    return 0;
}

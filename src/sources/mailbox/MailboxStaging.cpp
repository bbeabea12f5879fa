#include "sources/mailbox/MailboxStaging.h"

#include "core/AppError.h"
#include "core/OrderedPool.h"
#include "platform/Dialogs.h"
#include "sources/express/MessageBody.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace sources::mailbox {

ChosenMailboxes chooseMailboxes(const MailboxChoice& choice)
{
    ChosenMailboxes chosen;
    QStringList roots = choice.paths;
    if (roots.isEmpty()) {
        const ThunderbirdMail mail = findThunderbirdMail(choice.home);
        chosen.thunderbird = true;
        chosen.profiles = int(mail.profiles.size());
        roots = mail.accountFolders;
    }
    for (const QString& root : std::as_const(roots)) {
        Found found = findMailboxes(root);
        // An account folder without mail (a news account, a new profile) is no problem of the user's.
        if (chosen.thunderbird && found.mailboxes.isEmpty() && found.problems.size() == 1 &&
            found.problems.constFirst().endsWith(QStringLiteral(": no mailbox in this folder")))
            continue;
        chosen.problems += found.problems;
        chosen.found += int(found.mailboxes.size());
        for (const Mailbox& mailbox : std::as_const(found.mailboxes)) {
            if (mailboxQualifies(mailbox.topName, choice.folders))
                chosen.mailboxes.append(mailbox);
        }
    }
    return chosen;
}

QString noThunderbirdMail(const QString& home)
{
    return QStringLiteral("No Thunderbird mail was found (no profile in %1). Choose a mailbox file or folder.")
        .arg(QDir::toNativeSeparators(QDir(home).filePath(QStringLiteral(".thunderbird/profiles.ini"))));
}

namespace {

// Stages each mailbox into a part file of its own on a worker and appends the parts in mailbox order, so the
// staging file is the one a single worker writes. Only the calling thread asks keepReading.
QStringList stageOnWorkers(const QList<Mailbox>& mailboxes, const MailboxChoice& choice, QFile& staging,
                           const KeepReading& keepReading, const std::function<void(int)>& staged)
{
    struct Part
    {
        QString path;
        ReadReport report;
    };
    const auto partPath = [&](qsizetype index) {
        return staging.fileName() + QStringLiteral(".mailbox") + QString::number(index);
    };
    const auto removeParts = qScopeGuard([&] {
        for (qsizetype i = 0; i < mailboxes.size(); ++i)
            QFile::remove(partPath(i));
    });
    QStringList problems;
    const auto work = [&](int index, int, const std::atomic<bool>& stop) {
        Part part{partPath(index), {}};
        QFile out(part.path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Permission denied"));
        part.report = stageMailbox(mailboxes[index], choice.fields, out, [&] { return !stop; });
        if (!out.flush())
            throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        return part;
    };
    const auto deliver = [&](int index, Part& part) {
        problems += part.report.problems;
        QFile in(part.path);
        if (!in.open(QIODevice::ReadOnly))
            throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        QByteArray chunk;
        while (!(chunk = in.read(1 << 20)).isEmpty()) {
            if (staging.write(chunk) != chunk.size())
                throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        }
        in.close();
        QFile::remove(part.path);
        staged(index + 1);
        return true;
    };
    // GMime registers its types on first use, which two workers must not do at once.
    express::messageParserOptions();
    core::runOrdered<Part>(int(mailboxes.size()), choice.workers, work, deliver,
                           [&] { return !keepReading || keepReading(); });
    return problems;
}

} // namespace

bool stageMailboxes(const MailboxChoice& choice, const QString& stagingPath, platform::Dialogs& dialogs,
                    const KeepReading& keepReading, const std::function<void(int done, int mailboxes)>& mailboxStaged)
{
    const ChosenMailboxes chosen = chooseMailboxes(choice);
    if (chosen.thunderbird && chosen.profiles == 0) {
        dialogs.message(noThunderbirdMail(choice.home));
        return false;
    }
    if (chosen.mailboxes.isEmpty() && chosen.found > 0) {
        dialogs.message(QStringLiteral("None of the %1 mailboxes found lies in a folder chosen. Choose all five "
                                       "folders to read every mailbox, whatever its name.")
                            .arg(chosen.found));
        return false;
    }
    QFile staging(stagingPath);
    if (QFileInfo(stagingPath).isDir() || !staging.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        dialogs.message(QStringLiteral("Permission denied"));
        return false;
    }
    QStringList problems = chosen.problems;
    bool stopped = false;
    const KeepReading keepGoing = [&] { return !(stopped = keepReading && !keepReading()); };
    const auto staged = [&](int done) {
        if (mailboxStaged)
            mailboxStaged(done, int(chosen.mailboxes.size()));
    };
    try {
        if (staging.write("\r\n", 2) != 2)
            throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        if (choice.workers > 1 && chosen.mailboxes.size() > 1) {
            problems += stageOnWorkers(chosen.mailboxes, choice, staging, keepGoing, staged);
        } else {
            for (qsizetype i = 0; i < chosen.mailboxes.size(); ++i) {
                problems += stageMailbox(chosen.mailboxes[i], choice.fields, staging, keepGoing).problems;
                if (stopped)
                    break;
                staged(int(i) + 1);
            }
        }
        if (!staging.flush())
            throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
    } catch (const core::AppError& e) {
        dialogs.message(e.description());
        return false;
    }
    if (!problems.isEmpty())
        dialogs.message(problems.join(u'\n'));
    // Paths given that all failed leave nothing to search; a mailbox left out by the folder boxes does not.
    return !(chosen.mailboxes.isEmpty() && !problems.isEmpty());
}

} // namespace sources::mailbox

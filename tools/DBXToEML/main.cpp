// DBXToEML DBX-FILE STAGING-FOLDER
//
// Converts one Outlook Express store into message files in the staging folder, one file per message, named
// "<store name>-<position>.eml" so that the names sort in the store's own order and never collide with
// another store's. The work is done by undbx in a private folder; each finished file is then renamed into
// the staging folder, so a half-written message never appears there. Exits 0 when at least one message was
// converted, 1 when none could be, 2 on wrong arguments, 3 when a path is unusable, 4 when undbx cannot run.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace {

enum Exit { kConverted = 0, kNothingConverted = 1, kUsage = 2, kBadPath = 3, kNoUndbx = 4 };

// undbx's own log is a few lines per message; more than this is not undbx talking.
constexpr qint64 kMaxLogBytes = 64 * 1024 * 1024;
// A message larger than this keeps its line ends as undbx wrote them.
constexpr qint64 kMaxFixedMessage = 256 * 1024 * 1024;

void complain(const QString& text)
{
    std::fprintf(stderr, "DBXToEML: %s\n", qPrintable(text));
}

// A private folder for undbx's output, inside the staging folder (so finished files move by rename) or,
// when that is not writable, in the system's temporary folder.
QString makeWorkFolder(const QString& staging)
{
    for (const QString& parent : {staging, QDir::tempPath()}) {
        QByteArray pattern = QFile::encodeName(parent + QStringLiteral("/.DBXToEML-XXXXXX"));
        if (::mkdtemp(pattern.data()))
            return QFile::decodeName(pattern);
    }
    return {};
}

struct UndbxRun
{
    QStringList files; // converted messages in the store's order, full paths
    bool corrupted = false;
};

// Runs undbx on one store into an empty work folder. With -s the files are named by the message's offset
// in the store; the log names them in the order of the store's index, which is the order Outlook Express
// shows. Files the log does not name follow in name order. undbx leaves an empty file for a message it
// could not read: that is no message.
UndbxRun runUndbx(const QString& undbx, const QString& dbx, const QString& work, bool recover)
{
    UndbxRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("-s"), QStringLiteral("-v"), QStringLiteral("4")};
    if (recover)
        arguments.prepend(QStringLiteral("-r"));
    arguments << dbx << work;
    process.start(undbx, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return run;
    QByteArray log;
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(-1);
        const QByteArray chunk = process.readAll();
        if (log.size() < kMaxLogBytes)
            log += chunk;
    }
    log += process.readAll();
    process.waitForFinished(-1);

    run.corrupted = log.contains(" is corrupted");
    QStringList logged;
    static const QRegularExpression okLine(QStringLiteral(R"(\[OK\s*\]\s+([0-9A-Fa-f]+\.eml))"));
    for (auto it = okLine.globalMatch(QString::fromLatin1(log)); it.hasNext();)
        logged << it.next().captured(1);

    // undbx writes one sub-folder per store.
    const QFileInfoList folders = QDir(work).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        QDir dir(folder.absoluteFilePath());
        QStringList present = dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
        const QSet<QString> presentSet(present.begin(), present.end());
        QSet<QString> taken;
        QStringList ordered;
        for (const QString& name : std::as_const(logged)) {
            if (presentSet.contains(name) && !taken.contains(name)) {
                ordered << name;
                taken.insert(name);
            }
        }
        for (const QString& name : std::as_const(present)) {
            if (!taken.contains(name))
                ordered << name;
        }
        for (const QString& name : std::as_const(ordered)) {
            const QString path = dir.filePath(name);
            if (QFileInfo(path).size() > 0)
                run.files << path;
        }
    }
    return run;
}

// A name for this store's files that no file in the staging folder starts with yet, so two stores called
// Inbox.dbx (one per identity) keep apart.
QString choosePrefix(const QString& dbx, const QString& staging)
{
    QString base = QFileInfo(dbx).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("store");
    if (base.startsWith(u'.'))
        base[0] = u'_';
    const QStringList existing = QDir(staging).entryList(QDir::Files | QDir::Hidden);
    for (int n = 1;; ++n) {
        const QString prefix = n == 1 ? base : base + u'~' + QString::number(n);
        const QString start = prefix + u'-';
        const bool used = std::any_of(existing.begin(), existing.end(),
                                      [&](const QString& name) { return name.startsWith(start, Qt::CaseInsensitive); });
        if (!used)
            return prefix;
    }
}

// Messages take CR LF line ends; a bare LF from a store written elsewhere becomes one.
bool needsCrLf(const QByteArray& bytes)
{
    for (qsizetype i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1)) {
        if (i == 0 || bytes[i - 1] != '\r')
            return true;
    }
    return false;
}

QByteArray withCrLf(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out += '\r';
        out += bytes[i];
    }
    return out;
}

// Moves a finished file to its place without ever replacing an existing file.
bool renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: link() also refuses to replace.
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

// Puts one converted message into the staging folder under its final name; false when it could not.
bool placeMessage(const QString& source, const QString& staging, const QString& name)
{
    const QString target = staging + u'/' + name;
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() <= kMaxFixedMessage) {
        const QByteArray bytes = file.readAll();
        file.close();
        if (needsCrLf(bytes)) {
            // Written beside the target under a name no listing takes, then renamed.
            const QString temporary = staging + QStringLiteral("/.") + name + QStringLiteral(".part");
            QFile out(temporary);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(withCrLf(bytes)) < 0 ||
                !out.flush()) {
                out.remove();
                return false;
            }
            out.close();
            if (!renameNoReplace(temporary, target)) {
                QFile::remove(temporary);
                return false;
            }
            return true;
        }
    }
    file.close();
    if (renameNoReplace(source, target))
        return true;
    // The work folder lies on another file system: copy under a temporary name, then rename.
    const QString temporary = staging + QStringLiteral("/.") + name + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    if (!renameNoReplace(temporary, target)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

int convert(const QString& dbxArgument, const QString& stagingArgument)
{
    const QFileInfo dbxInfo(dbxArgument);
    if (dbxArgument.isEmpty() || !dbxInfo.isFile()) {
        complain(QStringLiteral("no such DBX file: \"%1\"").arg(dbxArgument));
        return kBadPath;
    }
    const QFileInfo stagingInfo(stagingArgument);
    if (stagingArgument.isEmpty() || !stagingInfo.isDir()) {
        complain(QStringLiteral("no such folder: \"%1\"").arg(stagingArgument));
        return kBadPath;
    }
    // Absolute paths: a file named like an option ("-r.dbx") stays a file to undbx.
    const QString dbx = dbxInfo.absoluteFilePath();
    const QString staging = stagingInfo.absoluteFilePath();
    const QString undbx = QStandardPaths::findExecutable(QStringLiteral("undbx"));
    if (undbx.isEmpty()) {
        complain(QStringLiteral("undbx is not installed"));
        return kNoUndbx;
    }

    QStringList workFolders;
    auto cleanUp = [&] {
        for (const QString& folder : std::as_const(workFolders))
            QDir(folder).removeRecursively();
    };
    auto attempt = [&](bool recover) {
        const QString work = makeWorkFolder(staging);
        if (work.isEmpty())
            return UndbxRun{};
        workFolders << work;
        return runUndbx(undbx, dbx, work, recover);
    };

    UndbxRun run = attempt(false);
    // A damaged index loses messages that a scan of the whole file still finds.
    if (run.corrupted) {
        UndbxRun recovered = attempt(true);
        if (recovered.files.size() > run.files.size())
            run = std::move(recovered);
    }

    const QString prefix = choosePrefix(dbx, staging);
    const int width = std::max<int>(6, QString::number(run.files.size()).size());
    int placed = 0;
    for (const QString& file : std::as_const(run.files)) {
        const QString name = QStringLiteral("%1-%2.eml").arg(prefix).arg(placed + 1, width, 10, QLatin1Char('0'));
        if (placeMessage(file, staging, name))
            ++placed;
        else
            complain(QStringLiteral("could not write %1").arg(name));
    }
    cleanUp();
    if (placed == 0) {
        complain(QStringLiteral("no messages converted from \"%1\"").arg(dbx));
        return kNothingConverted;
    }
    return kConverted;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    // A Windows-style command line names the program itself first.
    if (arguments.size() == 3 && QFileInfo(arguments.first()).canonicalFilePath() ==
                                     QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath())
        arguments.removeFirst();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: DBXToEML DBX-FILE STAGING-FOLDER\n");
        return kUsage;
    }
    return convert(arguments[0], arguments[1]);
}

#include "sources/mailbox/Mailboxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace sources::mailbox {

namespace {

// Deeper than this is a link loop or no mail tree anyone keeps.
constexpr int kMaxDepth = 64;

// Thunderbird keeps a folder's subfolders in "<name>.sbd" beside the mailbox file "<name>".
const QString kSubfolderSuffix = QStringLiteral(".sbd");

bool isDir(const QString& path)
{
    return QFileInfo(path).isDir();
}

bool isMaildir(const QString& path)
{
    const QDir dir(path);
    return isDir(dir.filePath(QStringLiteral("cur"))) || isDir(dir.filePath(QStringLiteral("new")));
}

// The Maildir++ folders of a Maildir: its subfolders ".Sent", ".Sent.2019" ... that are Maildirs themselves.
QStringList maildirPlusFolders(const QString& path)
{
    QStringList folders;
    const QStringList names =
        QDir(path).entryList({QStringLiteral(".?*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString folder = QDir(path).filePath(name);
        if (isMaildir(folder))
            folders.append(folder);
    }
    return folders;
}

bool listable(const QFileInfo& info)
{
    return info.isReadable() && info.isExecutable();
}

QString cannotRead(const QString& path)
{
    return path + QStringLiteral(": cannot be read (permission denied)");
}

class Search
{
public:
    explicit Search(Found& found) : m_found(found) {}

    void folder(const QString& path, const QString& inheritedTop, int depth)
    {
        const QFileInfo info(path);
        if (depth > kMaxDepth || m_visited.contains(info.canonicalFilePath()))
            return;
        m_visited.insert(info.canonicalFilePath());
        if (!listable(info)) {
            m_found.problems.append(cannotRead(path));
            return;
        }
        if (isMaildir(path)) {
            maildir(path, inheritedTop, depth);
            return;
        }
        const QDir dir(path);
        const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (std::any_of(entries.begin(), entries.end(), [](const QFileInfo& e) {
                return e.isFile() && e.suffix().compare(u"eml", Qt::CaseInsensitive) == 0;
            }))
            add(Mailbox::Kind::MessageFolder, path, inheritedTop, info.fileName());
        // Thunderbird's order: a mailbox, then its subfolders in "<name>.sbd", then the next mailbox.
        QSet<QString> walked;
        for (const QFileInfo& entry : entries) {
            if (!entry.isFile() || !file(entry, inheritedTop))
                continue;
            const QFileInfo subfolders(entry.filePath() + kSubfolderSuffix);
            if (subfolders.isDir()) {
                walked.insert(subfolders.fileName());
                folder(subfolders.filePath(), inheritedTop.isEmpty() ? entry.fileName() : inheritedTop, depth + 1);
            }
        }
        // "X.sbd" without a mailbox X beside it (Gmail's "[Gmail].sbd") only groups.
        for (const QFileInfo& entry : entries) {
            if (entry.isDir() && !walked.contains(entry.fileName()))
                folder(entry.filePath(), inheritedTop, depth + 1);
        }
    }

    // Whether the file is a mailbox (and added).
    bool file(const QFileInfo& entry, const QString& inheritedTop)
    {
        if (entry.suffix() == u"msf" || entry.suffix().compare(u"eml", Qt::CaseInsensitive) == 0)
            return false;
        const bool emptyFolder = entry.size() == 0 && QFileInfo::exists(entry.filePath() + QStringLiteral(".msf"));
        if (emptyFolder || isMbox(entry.filePath())) {
            add(Mailbox::Kind::Mbox, entry.filePath(), inheritedTop, entry.fileName());
            return true;
        }
        if (!entry.isReadable())
            m_found.problems.append(cannotRead(entry.filePath()));
        return false;
    }

    // A Maildir++ root is the account's inbox; its dot-folders are mailboxes of their own, a dot in their
    // names separating a subfolder from its parent.
    void maildir(const QString& path, const QString& inheritedTop, int depth)
    {
        const QStringList plusFolders = depth <= kMaxDepth ? maildirPlusFolders(path) : QStringList();
        const QString name = QFileInfo(path).fileName();
        const bool inbox = !plusFolders.isEmpty() || name.compare(u"Maildir", Qt::CaseInsensitive) == 0;
        add(Mailbox::Kind::Maildir, path, inheritedTop, inbox ? QStringLiteral("Inbox") : name);
        for (const QString& folder : plusFolders) {
            if (!listable(QFileInfo(folder))) {
                m_found.problems.append(cannotRead(folder));
                continue;
            }
            add(Mailbox::Kind::Maildir, folder, inheritedTop, QFileInfo(folder).fileName().mid(1).section(u'.', 0, 0));
        }
    }

    void add(Mailbox::Kind kind, const QString& path, const QString& inheritedTop, const QString& ownName)
    {
        m_found.mailboxes.append({kind, path, inheritedTop.isEmpty() ? ownName : inheritedTop});
    }

private:
    Found& m_found;
    QSet<QString> m_visited;
};

struct FolderNames
{
    std::initializer_list<QStringView> names;
};

// The names each folder box stands for, in the boxes' order.
const std::array<FolderNames, 5> kBoxNames = {{
    {{u"Inbox"}},
    {{u"Outbox", u"Unsent Messages"}},
    {{u"Drafts"}},
    {{u"Sent", u"Sent Items", u"Sent Messages", u"Sent Mail"}},
    {{u"Trash", u"Deleted Items", u"Deleted Messages", u"Bin"}},
}};

// The profile folders a profiles.ini lists, relative paths read from the file's own folder.
QStringList profilesListedIn(const QString& iniPath)
{
    QFile ini(iniPath);
    if (!ini.open(QIODevice::ReadOnly))
        return {};
    const QString base = QFileInfo(iniPath).absolutePath();
    QStringList profiles;
    QString section;
    QString path;
    bool relative = true;
    auto endSection = [&] {
        if (section.startsWith(u"Profile", Qt::CaseInsensitive) && !path.isEmpty())
            profiles.append(relative && QDir::isRelativePath(path) ? QDir(base).filePath(path) : path);
        path.clear();
        relative = true;
    };
    while (!ini.atEnd()) {
        const QString line = QString::fromUtf8(ini.readLine(64 * 1024)).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            endSection();
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const QString key = line.section(u'=', 0, 0).trimmed();
        const QString value = line.section(u'=', 1).trimmed();
        if (key.compare(u"Path", Qt::CaseInsensitive) == 0)
            path = value;
        else if (key.compare(u"IsRelative", Qt::CaseInsensitive) == 0)
            relative = value != u"0";
    }
    endSection();
    return profiles;
}

} // namespace

bool isMbox(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(5) == "From ";
}

Found findMailboxes(const QString& path)
{
    Found found;
    const QFileInfo info(path);
    if (!info.exists()) {
        found.problems.append(path + QStringLiteral(": not found"));
    } else if (info.isDir()) {
        Search(found).folder(path, {}, 0);
        if (found.mailboxes.isEmpty() && found.problems.isEmpty())
            found.problems.append(path + QStringLiteral(": no mailbox in this folder"));
    } else if (!info.isReadable()) {
        found.problems.append(cannotRead(path));
    } else if (info.size() == 0 || isMbox(path)) {
        found.mailboxes.append({Mailbox::Kind::Mbox, path, info.fileName()});
    } else {
        found.problems.append(path + QStringLiteral(": not a mailbox (an mbox file starts with a \"From \" line)"));
    }
    return found;
}

bool mailboxQualifies(const QString& topName, const std::array<bool, 5>& boxes)
{
    if (std::all_of(boxes.begin(), boxes.end(), [](bool on) { return on; }))
        return true;
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (!boxes[i])
            continue;
        for (QStringView name : kBoxNames[i].names) {
            if (topName.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

ThunderbirdMail findThunderbirdMail(const QString& home)
{
    ThunderbirdMail mail;
    QSet<QString> seen;
    const QDir homeDir(home);
    for (const char* place :
         {".thunderbird", "snap/thunderbird/common/.thunderbird", ".var/app/org.mozilla.Thunderbird/.thunderbird"}) {
        const QString ini = homeDir.filePath(QLatin1String(place) + QStringLiteral("/profiles.ini"));
        for (const QString& profile : profilesListedIn(ini)) {
            const QFileInfo info(profile);
            if (!info.isDir() || seen.contains(info.canonicalFilePath()))
                continue;
            seen.insert(info.canonicalFilePath());
            mail.profiles.append(info.absoluteFilePath());
            for (const char* tree : {"Mail", "ImapMail"}) {
                const QDir accounts(QDir(profile).filePath(QLatin1String(tree)));
                for (const QString& account :
                     accounts.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
                    mail.accountFolders.append(accounts.filePath(account));
            }
        }
    }
    return mail;
}

QString describeFound(int profiles, int mailboxes)
{
    return QStringLiteral("%1 Thunderbird %2, %3 %4")
        .arg(profiles)
        .arg(profiles == 1 ? QStringLiteral("profile") : QStringLiteral("profiles"))
        .arg(mailboxes)
        .arg(mailboxes == 1 ? QStringLiteral("mailbox") : QStringLiteral("mailboxes"));
}

} // namespace sources::mailbox

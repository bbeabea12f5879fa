#include "platform/XdgFileAssociations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QSet>

namespace platform {

namespace {

QStringList envDirs(const char* name, const QString& fallback)
{
    QStringList dirs;
    for (const QString& dir : qEnvironmentVariable(name, fallback).split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(dir);
    }
    return dirs;
}

QStringList envDir(const char* name, const QString& fallback)
{
    const QString dir = qEnvironmentVariable(name);
    return QStringList{QDir::isAbsolutePath(dir) ? dir : fallback};
}

// The lines of a key-file, visited as (section, key, value); keys with a locale suffix are left out.
template <class Visit>
void readKeyFile(const QString& path, Visit visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString section;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        visit(section, line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
}

QStringList splitList(const QString& value)
{
    return value.split(u';', Qt::SkipEmptyParts);
}

struct DesktopEntry
{
    bool hidden = false;
    QStringList mimeTypes;
};

DesktopEntry readDesktopEntry(const QString& path)
{
    DesktopEntry entry;
    readKeyFile(path, [&](const QString& section, const QString& key, const QString& value) {
        if (section != QLatin1String("Desktop Entry"))
            return;
        if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
        else if (key == QLatin1String("MimeType"))
            entry.mimeTypes = splitList(value);
    });
    return entry;
}

} // namespace

XdgFileAssociations::XdgFileAssociations()
{
    const QString home = QDir::homePath();
    m_configDirs = envDir("XDG_CONFIG_HOME", home + QStringLiteral("/.config")) +
                   envDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    m_dataDirs = envDir("XDG_DATA_HOME", home + QStringLiteral("/.local/share")) +
                 envDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

XdgFileAssociations::XdgFileAssociations(QStringList configDirs, QStringList dataDirs)
    : m_configDirs(std::move(configDirs)), m_dataDirs(std::move(dataDirs))
{
}

bool XdgFileAssociations::hasProgramFor(const QString& mimeType)
{
    // Installed programs by desktop-file ID ("sub/app.desktop" has the ID "sub-app.desktop"); the first
    // folder that holds an ID wins.
    QStringList appDirs;
    QHash<QString, QString> installed;
    for (const QString& dataDir : m_dataDirs) {
        const QString apps = dataDir + QStringLiteral("/applications");
        appDirs.append(apps);
        QDirIterator it(apps, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = QDir(apps).relativeFilePath(path).replace(u'/', u'-');
            if (!installed.contains(id))
                installed.insert(id, path);
        }
    }

    QStringList candidates;
    QSet<QString> removed;
    QStringList listFiles;
    for (const QString& dir : m_configDirs)
        listFiles.append(dir + QStringLiteral("/mimeapps.list"));
    for (const QString& dir : appDirs)
        listFiles.append(dir + QStringLiteral("/mimeapps.list"));
    for (const QString& path : listFiles) {
        readKeyFile(path, [&](const QString& section, const QString& key, const QString& value) {
            if (key != mimeType)
                return;
            if (section == QLatin1String("Default Applications") || section == QLatin1String("Added Associations"))
                candidates += splitList(value);
            else if (section == QLatin1String("Removed Associations"))
                for (const QString& id : splitList(value))
                    removed.insert(id);
        });
    }
    for (const QString& dir : appDirs) {
        readKeyFile(dir + QStringLiteral("/mimeinfo.cache"),
                    [&](const QString& section, const QString& key, const QString& value) {
                        if (section == QLatin1String("MIME Cache") && key == mimeType)
                            candidates += splitList(value);
                    });
    }

    for (const QString& id : std::as_const(candidates)) {
        const auto it = installed.constFind(id);
        if (it != installed.cend() && !removed.contains(id) && !readDesktopEntry(it.value()).hidden)
            return true;
    }
    // Without an up-to-date cache the programs' own MimeType lines still tell.
    for (auto it = installed.cbegin(); it != installed.cend(); ++it) {
        if (removed.contains(it.key()))
            continue;
        const DesktopEntry entry = readDesktopEntry(it.value());
        if (!entry.hidden && entry.mimeTypes.contains(mimeType))
            return true;
    }
    return false;
}

} // namespace platform

#include "sources/express/WindowsPaths.h"

#include "sources/express/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace sources::express {

namespace {

// Nested references (a value that itself holds %USERPROFILE%) are followed this deep, so that a value
// that names itself cannot loop.
constexpr int kMaxDepth = 3;

const QString kShellFoldersKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");

QString expand(const RegistryBackend& source, const QString& text, int depth);

// A text value (types 1 and 2) of a key of HKEY_CURRENT_USER, "" when absent.
QString textValue(const RegistryBackend& source, const QString& keyPath, const QString& name)
{
    for (const RegistryData& value : source.values(kHkeyCurrentUser, keyPath.split(u'\\'))) {
        if ((value.type == kRegSz || value.type == kRegExpandSz) && value.name.compare(name, Qt::CaseInsensitive) == 0)
            return registryText(value.data);
    }
    return QString();
}

QString variable(const RegistryBackend& source, const QString& name, int depth)
{
    if (depth > kMaxDepth || name.isEmpty())
        return QString();
    QString value = source.environmentVariable(name);
    if (!value.isEmpty())
        return expand(source, value, depth + 1);
    for (const char* key : {"Volatile Environment", "Environment"}) {
        value = textValue(source, QLatin1String(key), name);
        if (!value.isEmpty())
            return expand(source, value, depth + 1);
    }
    const auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (is("APPDATA") || is("LOCALAPPDATA")) {
        const QString entry = is("APPDATA") ? QStringLiteral("AppData") : QStringLiteral("Local AppData");
        value = textValue(source, kShellFoldersKey + QStringLiteral("\\User Shell Folders"), entry);
        if (value.isEmpty())
            value = textValue(source, kShellFoldersKey + QStringLiteral("\\Shell Folders"), entry);
        return expand(source, value, depth + 1);
    }
    if (is("USERNAME")) {
        const QString profile = variable(source, QStringLiteral("USERPROFILE"), depth + 1);
        return profile.section(u'\\', -1, -1, QString::SectionSkipEmpty);
    }
    return QString();
}

QString expand(const RegistryBackend& source, const QString& text, int depth)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) != u'%') {
            out.append(text.at(i++));
            continue;
        }
        const qsizetype close = text.indexOf(u'%', i + 1);
        if (close < 0) {
            out.append(QStringView(text).mid(i));
            break;
        }
        const QString value = variable(source, text.mid(i + 1, close - i - 1), depth);
        if (!value.isEmpty()) {
            out.append(value);
            i = close + 1;
        } else {
            // Unknown: "%NAME" stays, and the closing "%" may open the next reference.
            out.append(QStringView(text).mid(i, close - i));
            i = close;
        }
    }
    return out;
}

} // namespace

QString expandWindowsVariables(const RegistryBackend& source, const QString& text)
{
    return expand(source, text, 0);
}

QString matchingEntry(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (name.isEmpty() || !dir.exists())
        return QString();
    if (QFileInfo::exists(dir.filePath(name)))
        return name;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

QString localPathFor(const RegistryBackend& source, const QString& windowsPath)
{
    QString path = windowsPath.trimmed();
    path.replace(u'/', u'\\');
    if (path.size() < 2 || !path.at(0).isLetter() || path.at(0).unicode() > 127 || path.at(1) != u':' ||
        (path.size() > 2 && path.at(2) != u'\\'))
        return QString();
    const QString drive = source.driveFolder(path.at(0));
    if (drive.isEmpty())
        return QString();
    QString local = QDir::cleanPath(drive);
    QStringList trail; // the folders walked below the drive, for ".."
    bool found = true;
    for (const QString& component : path.mid(2).split(u'\\', Qt::SkipEmptyParts)) {
        if (component == QLatin1String("."))
            continue;
        if (component == QLatin1String("..")) {
            if (!trail.isEmpty())
                trail.removeLast();
            continue;
        }
        const QString current = trail.isEmpty() ? local : local + u'/' + trail.join(u'/');
        const QString match = found ? matchingEntry(current, component) : QString();
        found = !match.isEmpty();
        trail.append(found ? match : component);
    }
    return trail.isEmpty() ? local : QDir::cleanPath(local + u'/' + trail.join(u'/'));
}

} // namespace sources::express

#include "sources/outlook/ProfileStores.h"

#include "core/ComboList.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace sources::outlook {

namespace {

const QString kSeparator = QString::fromLatin1(core::kComboSeparator);

void addStoresIn(const QString& folder, QStringList& out, QSet<QString>& seen)
{
    const QDir dir(folder);
    // The suffix is tested by hand: Outlook's own files are often named "Outlook.PST".
    const QFileInfoList all = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : all) {
        const QString suffix = file.suffix().toLower();
        if (suffix != u"pst" && suffix != u"ost")
            continue;
        const QString canonical = file.canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        out.append(file.absoluteFilePath());
    }
}

} // namespace

QStringList profileStores(const core::Settings& settings)
{
    const std::optional<QString> stored = settings.value(QString::fromLatin1(kProfileStoresKey));
    if (!stored)
        return defaultProfileStores();
    if (stored->isEmpty())
        return {};
    return stored->split(kSeparator);
}

void storeProfileStores(core::Settings& settings, const QStringList& paths)
{
    settings.store(QString::fromLatin1(kProfileStoresKey), paths.join(kSeparator));
}

QStringList defaultProfileStores(const QString& home, const QString& winePrefix)
{
    QStringList stores;
    QSet<QString> seen;
    if (!home.isEmpty())
        addStoresIn(QDir(home).filePath(QStringLiteral("Documents/Outlook Files")), stores, seen);
    if (winePrefix.isEmpty())
        return stores;
    const QDir users(QDir(winePrefix).filePath(QStringLiteral("drive_c/users")));
    const QStringList names = users.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& user : names)
        addStoresIn(users.filePath(user + QStringLiteral("/Documents/Outlook Files")), stores, seen);
    for (const QString& user : names)
        addStoresIn(users.filePath(user + QStringLiteral("/AppData/Local/Microsoft/Outlook")), stores, seen);
    return stores;
}

QStringList defaultProfileStores()
{
    const QString home = QDir::homePath();
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir(home).filePath(QStringLiteral(".wine"));
    return defaultProfileStores(home, prefix);
}

} // namespace sources::outlook

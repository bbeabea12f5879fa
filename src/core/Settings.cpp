#include "core/Settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace core {

namespace {
const QString kSection = QStringLiteral("Quillmere");
}

Settings::Settings(const QString& filePath) : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

Settings::~Settings() = default;

std::optional<QString> Settings::value(const QString& key) const
{
    const QVariant v = m_settings->value(kSection + u'/' + key);
    // A hand-edited value with commas reads back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    if (!v.isValid() || !v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

void Settings::store(const QString& key, const QString& value)
{
    m_settings->setValue(kSection + u'/' + key, value);
    m_settings->sync();
}

QString Settings::filePath() const
{
    return m_settings->fileName();
}

QString defaultSettingsPath()
{
    QString dir = qEnvironmentVariable("QUILLMERE_SETTINGS_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(dir).filePath(QStringLiteral("Brindlewick.ini"));
}

} // namespace core

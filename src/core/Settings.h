#pragma once

#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace core {

// The per-user settings: one INI file, section "Quillmere", one string per key. Every store is written
// to disk at once, so a change survives a crash of the program.
class Settings
{
public:
    explicit Settings(const QString& filePath);
    ~Settings();

    // Nothing when the key is absent or its value cannot be read as text.
    std::optional<QString> value(const QString& key) const;
    void store(const QString& key, const QString& value);
    QString filePath() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

// $QUILLMERE_SETTINGS_DIR/Brindlewick.ini when set, else Brindlewick.ini in the XDG config folder.
QString defaultSettingsPath();

} // namespace core

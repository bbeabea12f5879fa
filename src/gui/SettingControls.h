#pragma once

#include "core/SettingsTable.h"

#include <functional>
#include <vector>

class QCheckBox;
class QLineEdit;

namespace core {
class Settings;
class Trap;
} // namespace core

namespace gui {

// Controls that keep their value in the settings: each stores its value the moment it changes, and
// restore() sets them all from what is stored, through the settings table.
class SettingControls
{
public:
    explicit SettingControls(core::Settings& settings) : m_settings(settings) {}

    void add(QCheckBox* box, core::Setting setting);
    void add(QLineEdit* edit, core::Setting setting);
    // A switch the window applies (and stores) itself, as the two source options that exclude each other.
    void add(core::Setting setting, std::function<void(bool)> apply);

    // In the order added, one statement of the trap each from line on; line ends past the last. A stored
    // value that cannot be read is reported and leaves its control as it was.
    void restore(core::Trap& trap, int& line) const;

private:
    core::Settings& m_settings;
    std::vector<std::function<void()>> m_restores;
};

} // namespace gui

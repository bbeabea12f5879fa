#include "gui/SettingControls.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"

#include <QCheckBox>
#include <QLineEdit>

namespace gui {

void SettingControls::add(QCheckBox* box, core::Setting setting)
{
    core::Settings& settings = m_settings;
    QObject::connect(box, &QCheckBox::toggled, box,
                     [&settings, setting](bool on) { core::storeSwitch(settings, setting, on); });
    add(setting, [box](bool on) { box->setChecked(on); });
}

void SettingControls::add(QLineEdit* edit, core::Setting setting)
{
    core::Settings& settings = m_settings;
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [&settings, setting](const QString& text) { core::storeText(settings, setting, text); });
    m_restores.emplace_back([&settings, edit, setting] { edit->setText(core::readText(settings, setting)); });
}

void SettingControls::add(core::Setting setting, std::function<void(bool)> apply)
{
    m_restores.emplace_back(
        [&settings = m_settings, setting, apply = std::move(apply)] { apply(core::readSwitch(settings, setting)); });
}

void SettingControls::restore(core::Trap& trap, int& line) const
{
    for (const auto& restoreOne : m_restores)
        trap(line++, restoreOne);
}

} // namespace gui

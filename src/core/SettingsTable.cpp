#include "core/SettingsTable.h"

#include "core/AppError.h"
#include "core/SettingValues.h"
#include "core/Settings.h"

#include <array>
#include <cstddef>

namespace core {

namespace {

using enum SettingType;

// In the order of Setting.
// clang-format off
constexpr std::array<SettingEntry, 24> kTable = {{
    {"Check14", Tick, false},   {"Check1", Tick, false},   {"Check2", Tick, true},    {"From", Flag, true},
    {"Body", Flag, false},      {"PST File", Text, false}, {"Text1", Text, false},    {"Text2", Text, false},
    {"Text5", Text, false},     {"Check3", Tick, true},    {"Check4", Tick, false},   {"Check5", Tick, true},
    {"Check15", Tick, true},    {"Check16", Tick, true},   {"Option3", Option, true}, {"Option4", Option, false},
    {"StartWith", Text, false}, {"EndWith", Text, false},  {"Check21", Tick, true},   {"Check22", Tick, true},
    {"Combo1", Text, false},
    {"MailboxSource", Option, false}, {"Mailbox", Text, false},
    {"Text7", Text, false},
}};
// clang-format on
static_assert(kTable.size() == std::size_t(Setting::PatternText) + 1, "one entry per setting");

QString keyOf(const SettingEntry& entry)
{
    return QLatin1String(entry.key);
}

} // namespace

const SettingEntry& settingEntry(Setting setting)
{
    return kTable[std::size_t(setting)];
}

bool readSwitch(const Settings& settings, Setting setting)
{
    const SettingEntry& entry = settingEntry(setting);
    const auto stored = settings.value(keyOf(entry));
    if (!stored)
        return entry.on;
    if (entry.type != Tick)
        return toTruth(*stored);
    const qint16 value = toInteger16(*stored);
    if (value != 0 && value != 1)
        throw AppError(errors::kInvalidPropertyValue, QStringLiteral("Invalid property value"));
    return value == 1;
}

QString readText(const Settings& settings, Setting setting)
{
    return settings.value(keyOf(settingEntry(setting))).value_or(QString());
}

void storeSwitch(Settings& settings, Setting setting, bool on)
{
    const SettingEntry& entry = settingEntry(setting);
    settings.store(keyOf(entry), entry.type == Option ? booleanText(on) : checkText(on));
}

void storeText(Settings& settings, Setting setting, const QString& text)
{
    settings.store(keyOf(settingEntry(setting)), text);
}

} // namespace core

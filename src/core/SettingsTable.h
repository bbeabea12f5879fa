#pragma once

#include <QString>

namespace core {

class Settings;

// How a setting is stored and how its stored text is read back.
enum class SettingType {
    Tick,   // a check box: "1" or "0"; reads as a whole number that must be 0 or 1
    Flag,   // a check box read as a truth: stored "1" or "0", read back from any number, True or False
    Option, // an option button: "True" or "False"; reads any number, True or False
    Text,   // the text as typed; unset reads as empty
};

// Every setting the windows and dialogs keep, by role; the table in the .cpp file gives each its key,
// type and default.
enum class Setting {
    ShowSource,
    RemoveDuplicates,
    IgnoreCase,
    FromField,
    BodyField,
    PstFile,
    ContainingText,
    NotContainingText,
    LineNumbers,
    DeletedItems,
    Drafts,
    SentItems,
    Outbox,
    Inbox,
    ProfileSource,
    PstFileSource,
    BetweenStart,
    BetweenEnd,
    IncludeStart,
    IncludeEnd,
    TextSetItems,
    MailboxSource,
    MailboxPath,
    PatternText,
};

struct SettingEntry
{
    const char* key;
    SettingType type;
    bool on; // the default of a tick, flag or option; a text's default is empty
};

const SettingEntry& settingEntry(Setting setting);

// The stored switch, or its default when unset. Throws AppError when the stored text does not read as its
// type: "Type mismatch" or "Overflow" as the number conversion makes them, "Invalid property value" for a
// tick other than 0 or 1.
bool readSwitch(const Settings& settings, Setting setting);
QString readText(const Settings& settings, Setting setting);

// Writes the value in the stored form of the setting's type.
void storeSwitch(Settings& settings, Setting setting, bool on);
void storeText(Settings& settings, Setting setting, const QString& text);

} // namespace core

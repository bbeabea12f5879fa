#pragma once

#include <QStringList>

namespace platform {
class Dialogs;
}

namespace core {

class Settings;

inline constexpr char kComboSeparator[] = "!!!QUIBB!!!";

// Appends the file's lines that are not blank once trimmed, each untrimmed, repeats included;
// "File not found" when the file is missing.
void LoadLinesIntoCombo(QStringList& items, const QString& path, platform::Dialogs& dialogs);

// Stores the items joined by the marker under "Combo1", an empty list as an empty text.
void SaveComboList(const QStringList& items, Settings& settings);

} // namespace core

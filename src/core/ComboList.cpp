#include "core/ComboList.h"

#include "core/Settings.h"
#include "core/TextFiles.h"
#include "platform/Dialogs.h"

namespace core {

void LoadLinesIntoCombo(QStringList& items, const QString& path, platform::Dialogs& dialogs)
{
    if (!FileExists(path)) {
        dialogs.message(QStringLiteral("File not found"));
        return;
    }
    LineReader reader(path);
    QString line;
    while (reader.next(line)) {
        if (!line.trimmed().isEmpty())
            items.append(line);
    }
}

void SaveComboList(const QStringList& items, Settings& settings)
{
    // An emptied list is stored too, so that clearing it lasts.
    settings.store(QStringLiteral("Combo1"), items.join(QLatin1String(kComboSeparator)));
}

} // namespace core

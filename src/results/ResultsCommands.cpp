#include "results/ResultsCommands.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "results/ResultsList.h"

#include <cmath>

namespace results {

void SetInitialLayout(ResultsList& list)
{
    list.setColumns({{QStringLiteral("Results"), 7300}});
}

void PrepareResultsList(ResultsList& list, const ListOptions& options)
{
    list.clear();
    if (options.showSource())
        list.setColumns({{QStringLiteral("Source Filename"), 3000}, {QStringLiteral("Extraction Results"), 4400}});
    else
        list.setColumns({{QStringLiteral("Results"), 7000}});
}

void AddResult(ResultsList& list, const ListOptions& options, const QString& text, const QString& sourcePath)
{
    const auto duplicates = options.removeDuplicates() ? ResultsList::Duplicates::Drop : ResultsList::Duplicates::Keep;
    if (options.showSource())
        list.add({sourcePath, text, true}, duplicates);
    else
        list.add({text, {}, false}, duplicates);
}

void RemoveResults(ResultsList& list, RemoveWhen when, platform::Dialogs& dialogs, platform::PointerControl& pointer)
{
    const QString x =
        dialogs.input(when == RemoveWhen::Containing ? QStringLiteral("Remove results containing this text: ")
                                                     : QStringLiteral("Remove results not containing this text: "));
    if (x.isEmpty())
        return;
    pointer.setPointer(platform::Pointer::Hourglass);
    if (list.count() == 0) {
        dialogs.message(QStringLiteral("There are no results to remove."));
    } else {
        // The first row tells the layout: without a sub-item the row text is compared, with one the sub-item.
        const bool twoColumns = list.row(0).hasSubItem;
        const QString needle = x.toLower();
        list.removeIf([&](const Row& row) {
            const QString& compared = twoColumns ? row.subItem : row.text;
            return compared.toLower().contains(needle) == (when == RemoveWhen::Containing);
        });
    }
    pointer.setPointer(platform::Pointer::Default);
}

void RemoveSelectedRow(ResultsList& list, qsizetype selected, const platform::PointerControl& pointer)
{
    if (pointer.isBusy())
        return;
    if (list.count() > 0 && selected >= 0)
        list.removeAt(selected);
}

int twipsToPixels(int twips, double logicalDpi)
{
    return int(std::lround(twips * logicalDpi / 1440.0));
}

} // namespace results

#include "gui/ResultsView.h"

#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

namespace gui {

namespace {
void applyWidths(QTreeView& view, const results::ResultsList& list)
{
    const double dpi = view.logicalDpiX();
    for (int c = 0; c < list.columns().size(); ++c)
        view.setColumnWidth(c, results::twipsToPixels(list.columns()[c].widthTwips, dpi));
}
} // namespace

void attachResultsView(QTreeView& view, results::ResultsList& list)
{
    view.setModel(&list);
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true); // keeps scrolling fast at millions of rows
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.header()->setStretchLastSection(false);
    view.setToolTip(QLatin1String(results::kListToolTip));
    QObject::connect(&list, &results::ResultsList::columnsChanged, &view, [&view, &list] { applyWidths(view, list); });
    applyWidths(view, list);
}

qsizetype selectedRow(const QTreeView& view)
{
    const QModelIndexList rows = view.selectionModel() ? view.selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace gui

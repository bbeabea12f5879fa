#pragma once

#include <QtGlobal>

class QTreeView;

namespace results {
class ResultsList;
}

namespace gui {

// Shows a results list in a tree view: report rows, the list's tool tip, column widths from twips.
void attachResultsView(QTreeView& view, results::ResultsList& list);

// The selected row, or -1.
qsizetype selectedRow(const QTreeView& view);

} // namespace gui

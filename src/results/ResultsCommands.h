#pragma once

#include <QString>

namespace platform {
class Dialogs;
class PointerControl;
} // namespace platform

namespace results {

class ResultsList;

// The options of the window that owns a results list, read at the moment they are used.
class ListOptions
{
public:
    virtual ~ListOptions() = default;
    virtual bool removeDuplicates() const = 0; // "Remove duplicate results"
    virtual bool showSource() const = 0;       // "Show source filename next to extracted text"
};

inline constexpr char kListToolTip[] =
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.";

// The layout a window's list has when the window opens.
void SetInitialLayout(ResultsList& list);

// The reset before an extraction: no rows, columns laid out after the source option.
void PrepareResultsList(ResultsList& list, const ListOptions& options);

// Adds one hit, unless duplicates are removed and the text is already listed.
void AddResult(ResultsList& list, const ListOptions& options, const QString& text, const QString& sourcePath);

enum class RemoveWhen { Containing, NotContaining };

// "Remove Results Containing X" / "Remove Results Not Containing X": asks for X and removes the matching
// rows, comparing without regard to letter case.
void RemoveResults(ResultsList& list, RemoveWhen when, platform::Dialogs& dialogs, platform::PointerControl& pointer);

// Double-click: removes the selected row (-1 for none) unless a command is running.
void RemoveSelectedRow(ResultsList& list, qsizetype selected, const platform::PointerControl& pointer);

// Column widths are given in twips (1/1440 inch).
int twipsToPixels(int twips, double logicalDpi);

} // namespace results

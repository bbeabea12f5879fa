#pragma once

#include <QString>

namespace platform {
class Clipboard;
class Dialogs;
class EventLoop;
class FileAssociations;
class Opener;
class PointerControl;
class ProgressControl;
} // namespace platform

namespace results {

class ResultsList;

// What the output commands use of the window that gives them and of the desktop.
struct SaveContext
{
    platform::Dialogs& dialogs;
    platform::EventLoop& loop;
    platform::PointerControl& pointer;
    // The bar that shows the aligned file's progress and the clipboard's text.
    platform::ProgressControl& progress;
    platform::Clipboard& clipboard;
    platform::Opener& opener;
    platform::FileAssociations& associations;
    // "Form1" or "Form11": where the error report places a failure.
    QString window;
};

inline constexpr char kTextFileFilter[] =
    "Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
// OFN_READONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_LONGNAMES, as the dialog has always been asked.
inline constexpr quint32 kTextFileDialogFlags = 0x280201;
inline constexpr char kXlsxMimeType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// "Save Results As Text File": asks for a file (and before overwriting one), then writes the aligned file or,
// with the second filter, the comma-delimited line; ends with "Done.".
void SaveResultsAsTextFile(const ResultsList& list, const SaveContext& context);

inline constexpr char kWorkbookFilter[] = "Excel Workbooks (*.xlsx)|*.xlsx|";

// "Save Results As Excel File": asks where to save the workbook (Results.xlsx in the documents folder at
// first; ".xlsx" added to a name without it) and before overwriting a file, writes the rows there and opens it
// in the desktop's spreadsheet program. Nothing happens for an empty list.
void SaveResultsAsExcelFile(const ResultsList& list, const SaveContext& context);
QString defaultWorkbookPath();

// "Copy Results To Clipboard": puts the padded, tab-separated rows on the clipboard and says so.
void CopyResultsToClipboard(const ResultsList& list, const SaveContext& context);

// True when the desktop has a program for .xlsx workbooks; otherwise says so and answers false.
bool spreadsheetProgramInstalled(platform::FileAssociations& associations, platform::Dialogs& dialogs);

} // namespace results

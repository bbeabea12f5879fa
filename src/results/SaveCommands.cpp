#include "results/SaveCommands.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "core/TextFiles.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileAssociations.h"
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "results/XlsxExport.h"

namespace results {

namespace {

// The run-time error of an outside program that cannot be started.
inline constexpr int kCannotStartProgram = 429;

} // namespace

void SaveResultsAsTextFile(const ResultsList& list, const SaveContext& context)
{
    core::Trap trap(context.dialogs, context.window, QStringLiteral("PushButton6_Click"));
    platform::FileDialogAnswer answer;
    trap(1, [&] {
        answer = context.dialogs.saveFile(
            {QString(), kTextFileDialogFlags, QStringLiteral("Save"), QLatin1String(kTextFileFilter)});
    });
    const QString name = answer.fileName;
    if (name.isEmpty())
        return;
    bool overwrite = true;
    trap(2, [&] {
        if (core::FileExists(name))
            overwrite = context.dialogs.askYesNo(QStringLiteral("Are you sure you wish to overwrite ") + name +
                                                 QStringLiteral(" ?"));
    });
    if (!overwrite)
        return;
    trap(3, [&] { context.pointer.setPointer(platform::Pointer::Hourglass); });
    if (answer.filterIndex == 2) {
        trap(4, [&] { WriteCommaDelimitedFile(list, name, {&context.loop, nullptr}); });
    } else {
        trap(5, [&] { saveAlignedTextFile(list, name, context.dialogs, {&context.loop, &context.progress}); });
    }
    trap(6, [&] { context.pointer.setPointer(platform::Pointer::Default); });
    trap(7, [&] { context.dialogs.message(QStringLiteral("Done.")); });
}

bool spreadsheetProgramInstalled(platform::FileAssociations& associations, platform::Dialogs& dialogs)
{
    if (associations.hasProgramFor(QLatin1String(kXlsxMimeType)))
        return true;
    dialogs.message(QStringLiteral("Excel is not installed on this computer. You need to have it installed to use "
                                   "this software without error."));
    return false;
}

void SaveResultsAsExcelFile(const ResultsList& list, const SaveContext& context)
{
    core::Trap trap(context.dialogs, context.window, QStringLiteral("PushButton12_Click"));
    bool installed = false;
    trap(1, [&] { installed = spreadsheetProgramInstalled(context.associations, context.dialogs); });
    if (!installed) {
        trap(2, [&] {
            context.dialogs.message(QStringLiteral("Excel is not installed on this computer. You need to have it "
                                                   "installed to use this feature."));
        });
        return;
    }
    if (list.count() == 0)
        return;
    trap(3, [&] { context.pointer.setPointer(platform::Pointer::Hourglass); });
    QString path;
    WorkbookSummary summary;
    const bool written = trap(4, [&] {
        path = NewWorkbookPath();
        try {
            summary = WriteWorkbook(list, path, &context.loop);
        } catch (...) {
            QFile::remove(path);
            throw;
        }
    });
    trap(5, [&] {
        if (written && !context.opener.open(path))
            throw core::AppError(kCannotStartProgram, QStringLiteral("No program could open the workbook ") + path);
    });
    trap(6, [&] { context.pointer.setPointer(platform::Pointer::Default); });
    trap(7, [&] {
        if (summary.cutCells > 0)
            context.dialogs.message(QStringLiteral("%1 of the results held more than 32,767 characters, the most a "
                                                   "spreadsheet cell can hold, and were cut short in the workbook. "
                                                   "Save the results as a text file to keep them whole.")
                                        .arg(summary.cutCells));
    });
}

void CopyResultsToClipboard(const ResultsList& list, const SaveContext& context)
{
    core::Trap trap(context.dialogs, context.window, QStringLiteral("PushButton18_Click"));
    trap(1, [&] { context.progress.setText(QStringLiteral("Copying text to clipboard.. please wait..")); });
    trap(2, [&] { context.pointer.setPointer(platform::Pointer::Hourglass); });
    trap(3, [&] { CopyListviewToClipboard(list, context.clipboard, &context.loop); });
    trap(4, [&] {
        context.dialogs.message(QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                                               "you normally type and press Ctrl+V to paste the clipboard."));
    });
    trap(5, [&] { context.pointer.setPointer(platform::Pointer::Default); });
    trap(6, [&] { context.progress.setText(QStringLiteral("Progress Bar")); });
}

} // namespace results

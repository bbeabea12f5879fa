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

#include <QDir>
#include <QStandardPaths>

namespace results {

namespace {

// The run-time error of an outside program that cannot be started.
inline constexpr int kCannotStartProgram = 429;

// Asks for the file to save to as statement `line` (adding `suffix` to a name without it) and, when that file
// exists, whether to replace it as statement line + 1. The name is empty when the user cancelled or declined.
platform::FileDialogAnswer chooseSaveFile(core::Trap& trap, int line, platform::Dialogs& dialogs,
                                          const platform::FileDialogRequest& request, const QString& suffix = {})
{
    platform::FileDialogAnswer answer;
    trap(line, [&] {
        answer = dialogs.saveFile(request);
        if (!answer.fileName.isEmpty() && !answer.fileName.endsWith(suffix, Qt::CaseInsensitive))
            answer.fileName += suffix;
    });
    if (answer.fileName.isEmpty())
        return answer;
    bool overwrite = true;
    trap(line + 1, [&] {
        if (core::FileExists(answer.fileName))
            overwrite = dialogs.askYesNo(QStringLiteral("Are you sure you wish to overwrite ") + answer.fileName +
                                         QStringLiteral(" ?"));
    });
    if (!overwrite)
        answer.fileName.clear();
    return answer;
}

} // namespace

void SaveResultsAsTextFile(const ResultsList& list, const SaveContext& context)
{
    core::Trap trap(context.dialogs, context.window, QStringLiteral("PushButton6_Click"));
    const platform::FileDialogAnswer answer =
        chooseSaveFile(trap, 1, context.dialogs,
                       {QString(), kTextFileDialogFlags, QStringLiteral("Save"), QLatin1String(kTextFileFilter)});
    const QString name = answer.fileName;
    if (name.isEmpty())
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

QString defaultWorkbookPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Results.xlsx"));
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
    // The workbook goes where the user chooses: opened from a temporary folder, the spreadsheet program would
    // save the user's work where nobody finds it.
    const QString path = chooseSaveFile(trap, 3, context.dialogs,
                                        {defaultWorkbookPath(), kTextFileDialogFlags, QStringLiteral("Save"),
                                         QLatin1String(kWorkbookFilter)},
                                        QStringLiteral(".xlsx"))
                             .fileName;
    if (path.isEmpty())
        return;
    trap(5, [&] { context.pointer.setPointer(platform::Pointer::Hourglass); });
    WorkbookSummary summary;
    const bool written = trap(6, [&] { summary = WriteWorkbook(list, path, &context.loop); });
    trap(7, [&] {
        if (written && !context.opener.open(path))
            throw core::AppError(kCannotStartProgram, QStringLiteral("No program could open the workbook ") + path);
    });
    trap(8, [&] { context.pointer.setPointer(platform::Pointer::Default); });
    trap(9, [&] {
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
    bool copied = false;
    trap(3, [&] { copied = CopyListviewToClipboard(list, context.clipboard, &context.loop); });
    trap(4, [&] {
        context.dialogs.message(
            copied ? QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                                    "normally type and press Ctrl+V to paste the clipboard.")
                   : QStringLiteral("The clipboard did not take the results. Try again, or save them as a text "
                                    "file."));
    });
    trap(5, [&] { context.pointer.setPointer(platform::Pointer::Default); });
    trap(6, [&] { context.progress.setText(QStringLiteral("Progress Bar")); });
}

} // namespace results

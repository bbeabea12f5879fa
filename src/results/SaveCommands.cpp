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
    QString path;
    trap(3, [&] {
        path = context.dialogs
                   .saveFile({defaultWorkbookPath(), kTextFileDialogFlags, QStringLiteral("Save"),
                              QLatin1String(kWorkbookFilter)})
                   .fileName;
        if (!path.isEmpty() && !path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
            path += QLatin1String(".xlsx");
    });
    if (path.isEmpty())
        return;
    bool overwrite = true;
    trap(4, [&] {
        if (core::FileExists(path))
            overwrite = context.dialogs.askYesNo(QStringLiteral("Are you sure you wish to overwrite ") + path +
                                                 QStringLiteral(" ?"));
    });
    if (!overwrite)
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

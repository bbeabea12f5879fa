#include "results/XlsxExport.h"

#include "core/AppError.h"
#include "core/TempFolder.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <vector>
#include <xlsxwriter.h>

namespace results {

namespace {

using core::AppError;
namespace errors = core::errors;

[[noreturn]] void fail(lxw_error error)
{
    throw AppError(errors::kDeviceIo, QString::fromUtf8(lxw_strerror(error)));
}

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        fail(error);
}

struct WorkbookFree
{
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// A cell's text as the NUL-terminated UTF-8 the library takes, cut to what a cell holds; the buffer is reused
// from cell to cell.
class CellText
{
public:
    // True when the text had to be cut.
    bool set(QStringView text)
    {
        bool cut = false;
        if (text.size() > kCellChars) {
            text = text.first(kCellChars);
            // Never half a surrogate pair.
            if (text.back().isHighSurrogate())
                text.chop(1);
            cut = true;
        }
        m_bytes.resize(m_encoder.requiredSpace(text.size()) + 1);
        char* end = m_encoder.appendToBuffer(m_bytes.data(), text);
        *end = '\0';
        return cut;
    }
    const char* data() const { return m_bytes.constData(); }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_bytes;
};

// Excel's own fit is by rendered width; a character and a little margin is near enough for plain text.
double columnWidth(qsizetype chars)
{
    return std::clamp(double(std::min(chars, kCellChars)) + 1.0, LXW_DEF_COL_WIDTH, 255.0);
}

// New files get the usual mode for this user, not the temporary file's owner-only one.
void setNewFileMode(const QString& path, const QString& replaced)
{
    struct stat old
    {
    };
    mode_t mode;
    if (stat(QFile::encodeName(replaced).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    chmod(QFile::encodeName(path).constData(), mode);
}

} // namespace

WorkbookSummary WriteWorkbook(const ResultsList& list, const QString& path, platform::EventLoop* loop,
                              qsizetype sheetRows)
{
    const int columns = exportColumnCount(list);
    const qsizetype rows = list.count();
    const qsizetype perSheet = std::max<qsizetype>(1, sheetRows - 1);
    const int sheets = int(std::max<qsizetype>(1, (rows + perSheet - 1) / perSheet));
    RowPacer pacer(loop);

    // Widths per sheet, headers included.
    const std::vector<qsizetype> headerWidths = [&] {
        std::vector<qsizetype> w(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
            w[size_t(c)] = exportHeader(list, c).size();
        return w;
    }();
    std::vector<std::vector<qsizetype>> widths(size_t(sheets), headerWidths);
    for (qsizetype r = 0; r < rows; ++r) {
        pacer.step();
        if (r >= list.count())
            break;
        auto& sheet = widths[size_t(r / perSheet)];
        for (int c = 0; c < columns; ++c)
            sheet[size_t(c)] = std::max(sheet[size_t(c)], exportCell(list.row(r), c).size());
    }

    // Written beside the target and renamed over it once complete.
    QTemporaryFile partial(QFileInfo(path).absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!partial.open()) {
        if (!QFileInfo(path).absoluteDir().exists())
            throw AppError(errors::kPathNotFound, QStringLiteral("Path not found"));
        throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
    }
    partial.close();
    const QByteArray partialName = QFile::encodeName(partial.fileName());
    // The library's own scratch files stay in our private folder, not in the shared one.
    QByteArray scratch = QFile::encodeName(core::privateTempFolder());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = scratch.data();
    // Past 4 GB the zip needs its 64-bit records; a million rows of long lines can get there.
    options.use_zip64 = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookFree> workbook(workbook_new_opt(partialName.constData(), &options));
    if (!workbook)
        throw AppError(errors::kOverflow, QStringLiteral("Out of memory"));

    lxw_format* bold = workbook_add_format(workbook.get());
    format_set_bold(bold);
    WorkbookSummary summary;
    summary.sheets = sheets;
    CellText cell;
    qsizetype r = 0;
    std::vector<lxw_worksheet*> written;
    for (int s = 0; s < sheets; ++s) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), nullptr);
        if (!sheet)
            fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        written.push_back(sheet);
        for (int c = 0; c < columns; ++c) {
            check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), columnWidth(widths[size_t(s)][size_t(c)]),
                                       nullptr));
            summary.cutCells += cell.set(exportHeader(list, c));
            check(worksheet_write_string(sheet, 0, lxw_col_t(c), cell.data(), bold));
        }
        const qsizetype end = std::min(rows, r + perSheet);
        for (lxw_row_t sheetRow = 1; r < end; ++r, ++sheetRow) {
            pacer.step();
            if (r >= list.count())
                break;
            const Row& row = list.row(r);
            for (int c = 0; c < columns; ++c) {
                summary.cutCells += cell.set(exportCell(row, c));
                // Always a string cell: a text that starts with "=" must not become a formula.
                check(worksheet_write_string(sheet, sheetRow, lxw_col_t(c), cell.data(), nullptr));
            }
        }
    }
    // In low-memory mode the library streams each sheet's rows to a scratch file and does not notice when
    // that write fails (a full disk): a workbook missing rows must not replace the old file.
    for (lxw_worksheet* sheet : written) {
        if (sheet->file && (std::fflush(sheet->file) != 0 || std::ferror(sheet->file) != 0))
            throw AppError(errors::kDeviceIo, QStringLiteral("Device I/O error"));
    }
    const lxw_error closed = workbook_close(workbook.release());
    if (closed != LXW_NO_ERROR)
        fail(closed);

    // Saving over a link replaces the file it points to, as the text files do.
    const QFileInfo target(path);
    const QString finalPath = target.isSymLink() ? target.symLinkTarget() : path;
    setNewFileMode(partial.fileName(), finalPath);
    if (std::rename(partialName.constData(), QFile::encodeName(finalPath).constData()) != 0)
        throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
    partial.setAutoRemove(false);
    return summary;
}

QString NewWorkbookPath()
{
    QTemporaryFile file(QDir(core::privateTempFolder()).filePath(QStringLiteral("Results-XXXXXX.xlsx")));
    file.setAutoRemove(false);
    if (!file.open())
        throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
    return file.fileName();
}

} // namespace results

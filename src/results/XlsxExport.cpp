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

using Workbook = std::unique_ptr<lxw_workbook, WorkbookFree>;

// Writes one list into a workbook beside the target, then renames it over the target once complete.
class WorkbookWriter
{
public:
    WorkbookWriter(const ResultsList& list, platform::EventLoop* loop, qsizetype sheetRows)
        : m_list(list), m_columns(exportColumnCount(list)), m_rows(list.count()),
          m_perSheet(std::max<qsizetype>(1, sheetRows - 1)),
          m_sheets(int(std::max<qsizetype>(1, (m_rows + m_perSheet - 1) / m_perSheet))), m_pacer(loop)
    {
    }

    WorkbookSummary write(const QString& path)
    {
        measureColumns();
        QTemporaryFile partial(QFileInfo(path).absoluteFilePath() + QStringLiteral(".XXXXXX"));
        openPartial(partial, path);
        const QByteArray partialName = QFile::encodeName(partial.fileName());
        // The library's own scratch files stay in our private folder, not in the shared one.
        QByteArray scratch = QFile::encodeName(core::privateTempFolder());
        Workbook workbook = newWorkbook(partialName, scratch);
        writeSheets(workbook.get());
        closeWorkbook(std::move(workbook));
        moveIntoPlace(partial, path);
        return m_summary;
    }

private:
    // The longest text of each column on each sheet, the header's included.
    void measureColumns()
    {
        std::vector<qsizetype> headerWidths(static_cast<size_t>(m_columns));
        for (int c = 0; c < m_columns; ++c)
            headerWidths[size_t(c)] = exportHeader(m_list, c).size();
        m_widths.assign(size_t(m_sheets), headerWidths);
        for (qsizetype r = 0; r < m_rows; ++r) {
            m_pacer.step();
            if (r >= m_list.count())
                break;
            auto& sheet = m_widths[size_t(r / m_perSheet)];
            for (int c = 0; c < m_columns; ++c)
                sheet[size_t(c)] = std::max(sheet[size_t(c)], exportCell(m_list.row(r), c).size());
        }
    }

    static void openPartial(QTemporaryFile& partial, const QString& path)
    {
        if (!partial.open()) {
            if (!QFileInfo(path).absoluteDir().exists())
                throw AppError(errors::kPathNotFound, QStringLiteral("Path not found"));
            throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
        }
        partial.close();
    }

    // scratch must outlive the workbook.
    static Workbook newWorkbook(const QByteArray& fileName, QByteArray& scratch)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = scratch.data();
        // Past 4 GB the zip needs its 64-bit records; a million rows of long lines can get there.
        options.use_zip64 = LXW_TRUE;
        Workbook workbook(workbook_new_opt(fileName.constData(), &options));
        if (!workbook)
            throw AppError(errors::kOverflow, QStringLiteral("Out of memory"));
        return workbook;
    }

    void writeSheets(lxw_workbook* workbook)
    {
        lxw_format* bold = workbook_add_format(workbook);
        format_set_bold(bold);
        m_summary.sheets = m_sheets;
        qsizetype r = 0;
        for (int s = 0; s < m_sheets; ++s) {
            lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
            if (!sheet)
                fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
            m_written.push_back(sheet);
            writeHeader(sheet, m_widths[size_t(s)], bold);
            r = writeRows(sheet, r, std::min(m_rows, r + m_perSheet));
        }
    }

    void writeHeader(lxw_worksheet* sheet, const std::vector<qsizetype>& widths, lxw_format* bold)
    {
        for (int c = 0; c < m_columns; ++c) {
            check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), columnWidth(widths[size_t(c)]), nullptr));
            m_summary.cutCells += m_cell.set(exportHeader(m_list, c));
            check(worksheet_write_string(sheet, 0, lxw_col_t(c), m_cell.data(), bold));
        }
    }

    // Writes the list rows from r up to end below the header; answers the row to go on with.
    qsizetype writeRows(lxw_worksheet* sheet, qsizetype r, qsizetype end)
    {
        for (lxw_row_t sheetRow = 1; r < end; ++r, ++sheetRow) {
            m_pacer.step();
            if (r >= m_list.count())
                break;
            const Row& row = m_list.row(r);
            for (int c = 0; c < m_columns; ++c) {
                m_summary.cutCells += m_cell.set(exportCell(row, c));
                // Always a string cell: a text that starts with "=" must not become a formula.
                check(worksheet_write_string(sheet, sheetRow, lxw_col_t(c), m_cell.data(), nullptr));
            }
        }
        return r;
    }

    // In low-memory mode the library streams each sheet's rows to a scratch file and does not notice when
    // that write fails (a full disk): a workbook missing rows must not replace the old file.
    void closeWorkbook(Workbook workbook)
    {
        for (lxw_worksheet* sheet : m_written) {
            if (sheet->file && (std::fflush(sheet->file) != 0 || std::ferror(sheet->file) != 0))
                throw AppError(errors::kDeviceIo, QStringLiteral("Device I/O error"));
        }
        const lxw_error closed = workbook_close(workbook.release());
        if (closed != LXW_NO_ERROR)
            fail(closed);
    }

    // Saving over a link replaces the file it points to, as the text files do.
    static void moveIntoPlace(QTemporaryFile& partial, const QString& path)
    {
        const QFileInfo target(path);
        const QString finalPath = target.isSymLink() ? target.symLinkTarget() : path;
        setNewFileMode(partial.fileName(), finalPath);
        const QByteArray from = QFile::encodeName(partial.fileName());
        if (std::rename(from.constData(), QFile::encodeName(finalPath).constData()) != 0)
            throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
        partial.setAutoRemove(false);
    }

    const ResultsList& m_list;
    const int m_columns;
    const qsizetype m_rows;
    const qsizetype m_perSheet;
    const int m_sheets;
    RowPacer m_pacer;
    std::vector<std::vector<qsizetype>> m_widths; // per sheet, per column
    std::vector<lxw_worksheet*> m_written;
    CellText m_cell;
    WorkbookSummary m_summary;
};

} // namespace

WorkbookSummary WriteWorkbook(const ResultsList& list, const QString& path, platform::EventLoop* loop,
                              qsizetype sheetRows)
{
    return WorkbookWriter(list, loop, sheetRows).write(path);
}

} // namespace results

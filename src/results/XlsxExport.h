#pragma once

#include <QString>

namespace platform {
class EventLoop;
}

namespace results {

class ResultsList;

// The most a sheet and a cell hold.
inline constexpr qsizetype kSheetRows = 1048576;
inline constexpr qsizetype kCellChars = 32767;

struct WorkbookSummary
{
    int sheets = 0;
    // Cells longer than kCellChars, written cut short.
    qsizetype cutCells = 0;
};

// Writes the list as an .xlsx workbook: on every sheet a header row and then the rows in list order, every
// cell a text cell (a leading "=" stays text), columns as wide as their longest text. Rows that do not fit one
// sheet continue on the next, under the header again. The file appears only once complete. Fails with an
// AppError. sheetRows (header included) is lowered by tests only.
WorkbookSummary WriteWorkbook(const ResultsList& list, const QString& path, platform::EventLoop* loop = nullptr,
                              qsizetype sheetRows = kSheetRows);

} // namespace results

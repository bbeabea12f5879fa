#pragma once

#include "core/TimeSlice.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

namespace platform {
class Dialogs;
class EventLoop;
class ProgressControl;
} // namespace platform

namespace results {

class ResultsList;
struct Row;

// What a long export does while it runs: lets the window system in now and then and shows how far it got.
// Either may be missing (the command line has neither).
struct ExportFeedback
{
    platform::EventLoop* loop = nullptr;
    platform::ProgressControl* progress = nullptr;
};

// Paces the row loop of an export: yields to the window system once per time slice, not per row.
class RowPacer
{
public:
    explicit RowPacer(platform::EventLoop* loop)
    {
        if (loop)
            m_slice = std::make_unique<core::TimeSlice>(*loop);
    }
    void step()
    {
        if (m_slice)
            m_slice->step();
    }

private:
    // Held apart rather than in an optional, which GCC's flow analysis takes for uninitialised.
    std::unique_ptr<core::TimeSlice> m_slice;
};

// Every export has as many cells per row as the list has columns, at least one: cell 0 is the row's text,
// cell 1 its sub-item; a cell the row lacks is empty.
int exportColumnCount(const ResultsList& list);
const QString& exportCell(const Row& row, int column);
QString exportHeader(const ResultsList& list, int column);

// The widest text of each column (the headers counted when asked) and the characters of the last column in
// all rows, reading every row once and yielding through the pacer.
struct ColumnWidths
{
    std::vector<qsizetype> widths;
    qsizetype lastColumnChars = 0;
};
ColumnWidths measureColumns(const ResultsList& list, bool countHeaders, RowPacer& pacer);

// The text without its trailing TABs.
QStringView TrimTrailingTabs(QStringView text);
// The text without its trailing spaces and no-break spaces.
QStringView TrimTrailingBlanks(QStringView text);

// Writes the content as it is, UTF-8, no line break added. The file is replaced only once everything is
// written, so a failed save leaves the old file (or none) behind. Fails with an AppError.
void writeTextFile(QStringView content, const QString& path);

// The comma-delimited form: every row's extracted text followed by a comma, on one line without a break.
QString CommaDelimitedText(const ResultsList& list, const ExportFeedback& feedback = {});
void WriteCommaDelimitedFile(const ResultsList& list, const QString& path, const ExportFeedback& feedback = {});

// The aligned file: a header line and one line per row, each column but the last padded with spaces to the
// column's widest text (header included) and followed by a TAB; trailing TABs, spaces and no-break spaces cut;
// CR LF after every line and once more at the end. Sets the progress value per row and back to 0 at the end.
// Fails with an AppError; the target is then left as it was.
void WriteAlignedTextFile(const ResultsList& list, const QString& path, const ExportFeedback& feedback = {});

// The same, reporting a failure itself under Main.SaveListviewProperlySpaced.
void saveAlignedTextFile(const ResultsList& list, const QString& path, platform::Dialogs& dialogs,
                         const ExportFeedback& feedback);

} // namespace results

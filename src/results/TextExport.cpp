#include "results/TextExport.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "platform/Desktop.h"
#include "results/ResultsList.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <algorithm>
#include <vector>

namespace results {

namespace {

using core::AppError;
namespace errors = core::errors;

// Streams text into a file as UTF-8 through a temporary file beside it; the target is replaced by commit()
// only. Dropping the writer without commit() (a failure on the way) removes the temporary file.
class TextFileWriter
{
public:
    explicit TextFileWriter(const QString& path) : m_file(path)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            if (!QFileInfo(path).absoluteDir().exists())
                throw AppError(errors::kPathNotFound, QStringLiteral("Path not found"));
            throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
        }
        m_buffer.resize(kBufferBytes);
    }

    void append(QStringView text)
    {
        while (!text.isEmpty()) {
            const QStringView part = text.first(std::min(text.size(), kChunkUnits));
            if (m_used + m_encoder.requiredSpace(part.size()) > m_buffer.size())
                flush();
            char* end = m_encoder.appendToBuffer(m_buffer.data() + m_used, part);
            m_used = end - m_buffer.data();
            text = text.sliced(part.size());
        }
    }

    void commit()
    {
        flush();
        if (!m_file.commit())
            failWrite();
    }

private:
    static constexpr qsizetype kBufferBytes = 1 << 20;
    // Small enough that its worst-case UTF-8 size always fits an empty buffer.
    static constexpr qsizetype kChunkUnits = 1 << 16;

    void flush()
    {
        if (m_used > 0 && m_file.write(m_buffer.constData(), m_used) != m_used)
            failWrite();
        m_used = 0;
    }

    [[noreturn]] void failWrite()
    {
        m_file.cancelWriting();
        throw AppError(errors::kDeviceIo, QStringLiteral("Device I/O error"));
    }

    QSaveFile m_file;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_buffer;
    qsizetype m_used = 0;
};

// Shows row r of m as a whole percentage, telling the progress bar only when the figure changes.
class PercentProgress
{
public:
    PercentProgress(platform::ProgressControl* progress, qsizetype rows) : m_progress(progress), m_rows(rows) {}
    ~PercentProgress()
    {
        if (m_progress)
            m_progress->setValue(0);
    }
    PercentProgress(const PercentProgress&) = delete;
    PercentProgress& operator=(const PercentProgress&) = delete;

    void show(qsizetype row)
    {
        if (!m_progress || m_rows == 0)
            return;
        const int percent = int(std::clamp<qint64>(qint64(row) * 100 / m_rows, 0, 100));
        if (percent != m_shown) {
            m_shown = percent;
            m_progress->setValue(percent);
        }
    }

private:
    platform::ProgressControl* m_progress;
    qsizetype m_rows;
    int m_shown = -1;
};

const QString kEmpty;

} // namespace

int exportColumnCount(const ResultsList& list)
{
    return std::max(1, int(list.columns().size()));
}

const QString& exportCell(const Row& row, int column)
{
    if (column == 0)
        return row.text;
    return column == 1 && row.hasSubItem ? row.subItem : kEmpty;
}

QString exportHeader(const ResultsList& list, int column)
{
    return column < list.columns().size() ? list.columns()[column].title : QString();
}

QStringView TrimTrailingTabs(QStringView text)
{
    while (!text.isEmpty() && text.back() == u'\t')
        text.chop(1);
    return text;
}

QStringView TrimTrailingBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == QChar(0x00A0)))
        text.chop(1);
    return text;
}

void writeTextFile(QStringView content, const QString& path)
{
    TextFileWriter out(path);
    out.append(content);
    out.commit();
}

QString CommaDelimitedText(const ResultsList& list, const ExportFeedback& feedback)
{
    // Sized first, so that the text is built without regrowing a copy of itself.
    const qsizetype rows = list.count();
    qsizetype size = 0;
    for (qsizetype r = 0; r < rows; ++r)
        size += list.row(r).extracted().size() + 1;
    QString text;
    text.reserve(size);
    RowPacer pacer(feedback.loop);
    // The list may shrink while the window system runs; the rows gone by then are not written.
    for (qsizetype r = 0; r < rows; ++r) {
        pacer.step();
        if (r >= list.count())
            break;
        text += list.row(r).extracted();
        text += u',';
    }
    return text;
}

void WriteCommaDelimitedFile(const ResultsList& list, const QString& path, const ExportFeedback& feedback)
{
    writeTextFile(CommaDelimitedText(list, feedback), path);
}

ColumnWidths measureColumns(const ResultsList& list, bool countHeaders, RowPacer& pacer)
{
    const int columns = exportColumnCount(list);
    ColumnWidths measured{std::vector<qsizetype>(size_t(columns), 0), 0};
    for (int c = 0; countHeaders && c < columns; ++c)
        measured.widths[size_t(c)] = exportHeader(list, c).size();
    const qsizetype rows = list.count();
    for (qsizetype r = 0; r < rows; ++r) {
        pacer.step();
        // A command the user started meanwhile may have removed rows.
        if (r >= list.count())
            break;
        const Row& row = list.row(r);
        for (int c = 0; c < columns; ++c)
            measured.widths[size_t(c)] = std::max(measured.widths[size_t(c)], exportCell(row, c).size());
        measured.lastColumnChars += exportCell(row, columns - 1).size();
    }
    return measured;
}

void WriteAlignedTextFile(const ResultsList& list, const QString& path, const ExportFeedback& feedback)
{
    const int columns = exportColumnCount(list);
    const qsizetype rows = list.count();
    RowPacer pacer(feedback.loop);

    const std::vector<qsizetype> widths = measureColumns(list, true, pacer).widths;

    // The file is streamed line by line rather than built whole first: padding can make it far larger than
    // the list itself.
    TextFileWriter out(path);
    QString line;
    const auto writeLine = [&](auto cellText) {
        line.resize(0);
        for (int c = 0; c < columns; ++c) {
            const QString& text = cellText(c);
            line += text;
            line.resize(line.size() + std::max<qsizetype>(0, widths[size_t(c)] - text.size()), u' ');
            line += u'\t';
        }
        out.append(TrimTrailingBlanks(TrimTrailingTabs(line)));
        out.append(u"\r\n");
    };

    PercentProgress progress(feedback.progress, rows);
    QList<QString> headers;
    for (int c = 0; c < columns; ++c)
        headers.append(exportHeader(list, c));
    writeLine([&](int c) -> const QString& { return headers[c]; });
    for (qsizetype r = 0; r < rows; ++r) {
        pacer.step();
        if (r >= list.count())
            break;
        progress.show(r + 1);
        const Row& row = list.row(r);
        writeLine([&](int c) -> const QString& { return exportCell(row, c); });
    }
    out.append(u"\r\n");
    out.commit();
}

void saveAlignedTextFile(const ResultsList& list, const QString& path, platform::Dialogs& dialogs,
                         const ExportFeedback& feedback)
{
    core::Trap trap(dialogs, QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced"));
    trap(1, [&] { WriteAlignedTextFile(list, path, feedback); });
}

} // namespace results

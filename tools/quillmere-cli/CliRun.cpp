#include "CliRun.h"

#include "ConsoleDesktop.h"
#include "app/AppError.h"
#include "app/Settings.h"
#include "app/TempFolder.h"
#include "extract/OutlookExtraction.h"
#include "extract/ResultsSink.h"
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "results/XlsxExport.h"
#include "sources/outlook/OutlookReader.h"
#include "sources/outlook/ProfileStores.h"
#include "sources/outlook/PstApplication.h"

#include <QFile>
#include <QSet>
#include <QTemporaryFile>
#include <cstdio>

namespace cli {

namespace {

// Writes bytes to standard output or a file through a large buffer.
class Output
{
public:
    explicit Output(const QString& path)
    {
        const bool opened = path.isEmpty() ? m_file.open(stdout, QIODevice::WriteOnly)
                                           : (m_file.setFileName(path), m_file.open(QIODevice::WriteOnly));
        if (!opened)
            throw app::AppError(app::errors::kPermissionDenied, QStringLiteral("Cannot write ") + path);
        m_buffer.reserve(kFlushAt + 4096);
    }
    ~Output() { flush(); }

    void write(QByteArrayView bytes)
    {
        m_buffer.append(bytes);
        if (m_buffer.size() >= kFlushAt)
            flush();
    }

    void flush()
    {
        if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
            m_failed = true;
        m_buffer.clear();
        m_file.flush();
    }
    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype kFlushAt = 1 << 20;
    QFile m_file;
    QByteArray m_buffer;
    bool m_failed = false;
};

// The "lines" format, written as the hits come: a row's cells joined by a TAB, one row per line.
class LinesPrinter : public extract::HitSink
{
public:
    LinesPrinter(Output& out, bool dedupe, bool showSource) : m_out(out), m_dedupe(dedupe), m_showSource(showSource) {}

    void addHitBytes(QByteArrayView line, bool validUtf8, const QString& sourcePath) override
    {
        // A plain row of valid UTF-8 goes out as it came in.
        if (validUtf8 && !m_dedupe && !m_showSource) {
            ++m_rows;
            m_out.write(line);
            m_out.write("\n");
            return;
        }
        HitSink::addHitBytes(line, validUtf8, sourcePath);
    }

    void addHit(const QString& text, const QString& sourcePath) override
    {
        if (m_dedupe) {
            if (m_seen.contains(text))
                return;
            m_seen.insert(text);
        }
        ++m_rows;
        if (m_showSource) {
            m_out.write(sourcePath.toUtf8());
            m_out.write("\t");
        }
        m_out.write(text.toUtf8());
        m_out.write("\n");
    }

    qint64 rows() const { return m_rows; }

private:
    Output& m_out;
    bool m_dedupe;
    bool m_showSource;
    QSet<QString> m_seen;
    qint64 m_rows = 0;
};

// The window as the engine sees it, with its boxes set from the arguments.
class CliWindow : public extract::OutlookWindow, public results::ListOptions, public sources::outlook::ReaderOptions
{
public:
    CliWindow(const Arguments& args, sources::outlook::ApplicationFactory& factory, extract::HitSink*& sink)
        : m_args(args), m_sink(sink),
          m_loop([this] { return QStringLiteral("quillmere-cli: %1 results").arg(m_list.count()); }),
          m_reader({factory, *this, m_dialogs, m_loop, m_pointer})
    {
    }

    int failures() const { return m_dialogs.shown(); }
    platform::EventLoop& loopForOutput() { return m_loop; }

    // extract::OutlookWindow
    bool fromFieldChecked() const override { return m_args.from; }
    bool bodyFieldChecked() const override { return m_args.body; }
    bool ignoreCase() const override { return !m_args.caseSensitive; }
    QString containingText() const override { return m_args.ruleText; }
    QString notContainingText() const override { return m_args.ruleText; }
    QString lineNumbers() const override { return m_args.ruleText; }
    QString stagingPath() const override
    {
        return m_args.source == Source::Staged ? m_args.sourceFile : app::stagingFilePath();
    }
    bool stageMail(const QString& path) override
    {
        return m_args.source == Source::Staged || m_reader.getAllEmailOutlook(path);
    }
    results::ResultsList& resultsList() override { return m_list; }
    extract::HitSink& hits() override { return *m_sink; }
    const results::ListOptions& listOptions() const override { return *this; }
    platform::PointerControl& pointer() override { return m_pointer; }
    platform::ProgressControl& progress() override { return m_progress; }
    platform::Dialogs& dialogs() override { return m_dialogs; }
    platform::EventLoop& loop() override { return m_loop; }

    // results::ListOptions
    bool removeDuplicates() const override { return m_args.dedupe; }
    bool showSource() const override { return m_args.showSource; }

    // sources::outlook::ReaderOptions
    bool fromField() const override { return m_args.from; }
    bool bodyField() const override { return m_args.body; }
    bool profileSource() const override { return m_args.source == Source::Profile; }
    bool pstFileSource() const override { return m_args.source == Source::PstFile; }
    QString pstFile() const override { return m_args.sourceFile; }
    std::array<sources::outlook::FolderBox, 5> folderBoxes() const override
    {
        std::array<sources::outlook::FolderBox, 5> boxes;
        for (size_t i = 0; i < boxes.size(); ++i)
            boxes[i] = {m_args.folders[i], QLatin1String(kFolderCaptions[i])};
        return boxes;
    }

private:
    const Arguments& m_args;
    extract::HitSink*& m_sink;
    ConsoleDialogs m_dialogs;
    ConsoleLoop m_loop;
    ConsolePointer m_pointer;
    ConsoleProgress m_progress;
    results::ResultsList m_list;
    sources::outlook::OutlookReader m_reader;
};

void runRule(const Arguments& args, extract::OutlookWindow& window)
{
    switch (args.rule) {
    case Rule::AllData:
        extract::runOutlookCommand(window, extract::allEmailDataCommand());
        break;
    case Rule::Containing:
        extract::runOutlookCommand(window, extract::containingCommand());
        break;
    case Rule::NotContaining:
        extract::runOutlookCommand(window, extract::notContainingCommand());
        break;
    case Rule::LineNumbers:
        extract::runOutlookCommand(window, extract::lineNumbersCommand());
        break;
    }
}

// The file formats need every row before the first byte (column widths), so they go through a list.
void writeFormatted(const Arguments& args, const results::ResultsList& list)
{
    if (args.format == Format::Xlsx) {
        results::WriteWorkbook(list, args.output);
        return;
    }
    if (args.format == Format::Aligned && !args.output.isEmpty()) {
        results::WriteAlignedTextFile(list, args.output);
        return;
    }
    QByteArray bytes;
    if (args.format == Format::Aligned) {
        QTemporaryFile aligned(app::privateTempFolder() + QStringLiteral("/aligned-XXXXXX.txt"));
        if (!aligned.open())
            throw app::AppError(app::errors::kPermissionDenied, QStringLiteral("Permission denied"));
        results::WriteAlignedTextFile(list, aligned.fileName());
        QFile written(aligned.fileName());
        written.open(QIODevice::ReadOnly);
        bytes = written.readAll();
    } else {
        bytes =
            (args.format == Format::Comma ? results::CommaDelimitedText(list) : results::ClipboardText(list)).toUtf8();
    }
    Output out(args.output);
    out.write(bytes);
    out.flush();
    if (out.failed())
        throw app::AppError(app::errors::kDeviceIo, QStringLiteral("Device I/O error"));
}

} // namespace

int run(const Arguments& args)
{
    app::Settings settings(app::defaultSettingsPath());
    sources::outlook::PstApplicationFactory factory([&settings] { return sources::outlook::profileStores(settings); });
    extract::HitSink* sink = nullptr;
    CliWindow window(args, factory, sink);
    try {
        if (args.format == Format::Lines) {
            Output out(args.output);
            LinesPrinter printer(out, args.dedupe, args.showSource);
            sink = &printer;
            runRule(args, window);
            out.flush();
            if (out.failed())
                throw app::AppError(app::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        } else {
            extract::ResultsSink toList(window.resultsList(), window.listOptions());
            sink = &toList;
            runRule(args, window);
            if (window.failures() == 0)
                writeFormatted(args, window.resultsList());
        }
    } catch (const app::AppError& e) {
        std::fprintf(stderr, "quillmere-cli: %s\n", e.description().toUtf8().constData());
        return 1;
    }
    return window.failures() == 0 ? 0 : 1;
}

} // namespace cli

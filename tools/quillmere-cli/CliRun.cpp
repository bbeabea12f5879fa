#include "CliRun.h"

#include "ConsoleDesktop.h"
#include "core/AppError.h"
#include "core/Settings.h"
#include "core/TempFolder.h"
#include "core/TextFiles.h"
#include "rules/ResultsSink.h"
#include "rules/Run.h"
#include "rules/UnitSource.h"
#include "rules/TextSetRule.h"
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextIndex.h"
#include "core/OrderedPool.h"
#include "results/TextExport.h"
#include "results/XlsxExport.h"
#include "sources/express/StoreDiscovery.h"
#include "sources/express/ConverterPool.h"
#include "sources/express/ExpressConversion.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/MessageBody.h"
#include "sources/express/MessageList.h"
#include "sources/express/RegistrySource.h"
#include "sources/express/ShellAndWait.h"
#include "sources/express/WineRegistry.h"
#include "sources/mailbox/MailboxStaging.h"
#include "sources/outlook/OutlookReader.h"
#include "sources/outlook/ProfileStores.h"
#include "sources/outlook/PstApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace cli {

namespace {

// The reader of standard output has gone (head has read enough, the pager was quit). That is no failure: the
// program ends at once and without a message, by SIGPIPE as grep does, so the shell reports 141 for both.
[[noreturn]] void endForGoneReader()
{
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
    std::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);
}

// A write to a closed pipe then fails with EPIPE, which Output answers, whatever the caller left SIGPIPE at.
// Caught rather than ignored: the programs a run starts (the converter) get the default back.
void catchSigpipe()
{
    struct sigaction caught = {};
    caught.sa_handler = [](int) {};
    caught.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &caught, nullptr);
}

// Writes bytes to standard output or a file through a large buffer. When the reader of standard output has
// gone, beforeEnding tidies the terminal and the program ends (endForGoneReader).
class Output
{
public:
    explicit Output(const QString& path, std::function<void()> beforeEnding = {})
        : m_toFile(!path.isEmpty()), m_beforeEnding(std::move(beforeEnding))
    {
        if (m_toFile) {
            m_file.setFileName(path);
            if (!m_file.open(QIODevice::WriteOnly))
                throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Cannot write ") + path);
        }
        m_buffer.reserve(kFlushAt + 4096);
    }
    ~Output() { flush(); }

    void write(QByteArrayView bytes)
    {
        m_buffer.append(bytes);
        if (m_buffer.size() >= kFlushAt)
            flush();
    }

    // Whole lines, each ending with LF: their contents (without a CR before the LF), each followed by end.
    // Returns how many lines there were.
    qint64 writeLines(QByteArrayView lines, char end)
    {
        qint64 count = 0;
        const qsizetype start = m_buffer.size();
        m_buffer.resize(start + lines.size()); // a line never grows
        char* out = m_buffer.data() + start;
        const char* p = lines.data();
        const char* const stop = p + lines.size();
        while (p < stop) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(stop - p)));
            const char* contentEnd = lf > p && lf[-1] == '\r' ? lf - 1 : lf;
            std::memcpy(out, p, size_t(contentEnd - p));
            out += contentEnd - p;
            *out++ = end;
            p = lf + 1;
            ++count;
        }
        m_buffer.resize(out - m_buffer.constData());
        if (m_buffer.size() >= kFlushAt)
            flush();
        return count;
    }

    void flush()
    {
        if (m_toFile) {
            if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
                m_failed = true;
            m_file.flush();
        } else if (!writeStandardOutput()) {
            m_failed = true;
        }
        m_buffer.clear();
    }
    bool failed() const { return m_failed; }

private:
    // Straight to the descriptor, so that a closed pipe shows as EPIPE and nothing else.
    bool writeStandardOutput()
    {
        QByteArrayView rest = m_buffer;
        while (!rest.isEmpty()) {
            const ssize_t written = ::write(STDOUT_FILENO, rest.data(), size_t(rest.size()));
            if (written >= 0) {
                rest = rest.sliced(written);
            } else if (errno == EPIPE) {
                if (m_beforeEnding)
                    m_beforeEnding();
                endForGoneReader();
            } else if (errno != EINTR) {
                return false;
            }
        }
        return true;
    }

    static constexpr qsizetype kFlushAt = 1 << 20;
    bool m_toFile;
    std::function<void()> m_beforeEnding;
    QFile m_file;
    QByteArray m_buffer;
    bool m_failed = false;
};

// What ends a record of the one-record-per-line outputs.
char recordEnd(const Arguments& args)
{
    return args.nullEnded ? '\0' : '\n';
}

// The "lines" format, written as the hits come: a row's cells joined by a TAB, then the record end.
class LinesPrinter : public rules::HitSink
{
public:
    LinesPrinter(Output& out, const Arguments& args)
        : m_out(out), m_dedupe(args.dedupe), m_showSource(args.showSource), m_end(recordEnd(args))
    {
    }

    void addHitBytes(QByteArrayView line, bool validUtf8, const QString& sourcePath) override
    {
        // A plain row of valid UTF-8 goes out as it came in.
        if (validUtf8 && !m_showSource) {
            // The duplicate index keys a text by its UTF-8, so a valid line is its own key; a leading
            // byte-order mark is dropped by decoding, so such a line takes the decoding path.
            if (m_dedupe) {
                if (line.startsWith("\xEF\xBB\xBF"))
                    return HitSink::addHitBytes(line, validUtf8, sourcePath);
                if (!firstSeen({line.data(), std::size_t(line.size())}))
                    return;
            }
            ++m_rows;
            m_out.write(line);
            m_out.write({&m_end, 1});
            return;
        }
        HitSink::addHitBytes(line, validUtf8, sourcePath);
    }

    void addHitLines(QByteArrayView lines, bool validUtf8, const QString& sourcePath) override
    {
        // Runs of plain rows (the lines "not containing" a text) are copied whole.
        if (!validUtf8 || m_dedupe || m_showSource)
            return HitSink::addHitLines(lines, validUtf8, sourcePath);
        m_rows += m_out.writeLines(lines, m_end);
    }

    void addHit(const QString& text, const QString& sourcePath) override
    {
        if (m_dedupe && !firstSeen(results::encodeText(text, m_scratch)))
            return;
        ++m_rows;
        if (m_showSource) {
            m_out.write(sourcePath.toUtf8());
            m_out.write("\t");
        }
        m_out.write(text.toUtf8());
        m_out.write({&m_end, 1});
    }

    qint64 rows() const { return m_rows; }

private:
    Output& m_out;
    bool m_dedupe;
    bool m_showSource;
    char m_end;
    bool firstSeen(std::string_view key)
    {
        bool inserted = false;
        m_seen.insert(key, &inserted);
        return inserted;
    }

    results::TextIndex m_seen;
    std::string m_scratch;
    qint64 m_rows = 0;
};

// A message the rules read: its file and the fields the window's message list shows.
struct CliMessage
{
    QString path;
    sources::express::EmlMessage fields;
};

// The list options of the formatted outputs.
class ListChoice : public results::ListOptions
{
public:
    explicit ListChoice(const Arguments& args) : m_args(args) {}
    bool removeDuplicates() const override { return m_args.dedupe; }
    bool showSource() const override { return m_args.showSource; }

private:
    const Arguments& m_args;
};

// What the Outlook reader stages: the source, folders and fields given.
class StagingChoice : public sources::outlook::ReaderOptions
{
public:
    explicit StagingChoice(const Arguments& args) : m_args(args) {}
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
};

// Where a run reports: messages on standard error, the count of results on a terminal's status line.
struct Console
{
    explicit Console(std::function<qint64()> results)
        : loop([results = std::move(results)] { return QStringLiteral("quillmere-cli: %1 results").arg(results()); })
    {
    }
    rules::RunFeedback feedback() { return {dialogs, pointer, progress, loop}; }

    ConsoleDialogs dialogs;
    ConsoleLoop loop;
    ConsolePointer pointer;
    ConsoleProgress progress;
};

bool messageSource(const Arguments& args)
{
    return args.source == Source::Dbx || args.source == Source::Eml;
}

void appendListing(const QString& folder, QList<CliMessage>& messages)
{
    sources::express::MessageListing listing;
    sources::express::ListEMLFiles(folder, listing);
    for (const sources::express::EmlMessage& m : std::as_const(listing))
        messages.append({QDir(folder).filePath(m.fileName), m});
}

// Converts the DBX files into the private temporary folder, as the window's conversion does; with several
// workers, several stores at once. What is said about each store comes in the order the stores were given.
QList<CliMessage> convertedMessages(const Arguments& args, platform::EventLoop& loop, platform::Dialogs& dialogs)
{
    const QString staging = core::privateTempFolder();
    core::DeleteFiles(QDir(staging).filePath(QStringLiteral("*.eml")));
    const QString converter =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(sources::express::kConverterName));
    QStringList stores;
    QList<qsizetype> given; // each store's place among the files given
    for (qsizetype i = 0; i < args.sourceFiles.size(); ++i) {
        if (QFileInfo(args.sourceFiles[i]).isFile()) {
            stores.append(QFileInfo(args.sourceFiles[i]).absoluteFilePath());
            given.append(i);
        }
    }
    qsizetype said = 0; // the files given that have been spoken for
    const auto sayMissingUpTo = [&](qsizetype end) {
        for (; said < end; ++said) {
            if (!given.contains(said))
                dialogs.message(QStringLiteral("File not found: ") + args.sourceFiles[said]);
        }
    };
    const auto ended = [&](int store, int exitCode) {
        sayMissingUpTo(given[store]);
        ++said;
        if (exitCode != 0)
            std::fprintf(stderr, "quillmere-cli: no messages could be read from %s\n",
                         args.sourceFiles[given[store]].toUtf8().constData());
    };
    const int jobs = args.jobs > 0 ? args.jobs : core::coreCount();
    if (jobs > 1 && stores.size() > 1) {
        sources::express::convertStores(loop, converter, stores, staging, jobs, ended);
    } else {
        for (int store = 0; store < stores.size(); ++store) {
            sayMissingUpTo(given[store]);
            ended(store, sources::express::ShellAndWait(loop, converter, {stores[store], staging}, 0));
        }
    }
    sayMissingUpTo(args.sourceFiles.size());
    QList<CliMessage> messages;
    appendListing(staging, messages);
    return messages;
}

// The message files given, folders read as the window lists a folder: messages without a Date are left out.
// When none of them gives a message, each path's reason is a failure of the run, not an empty success.
QList<CliMessage> givenMessages(const Arguments& args, platform::Dialogs& dialogs)
{
    QList<CliMessage> messages;
    QStringList unlisted;
    for (const QString& path : args.sourceFiles) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const qsizetype before = messages.size();
            appendListing(info.absoluteFilePath(), messages);
            if (messages.size() == before)
                unlisted.append(path + QStringLiteral(": no message file (*.eml) with a Date field in this folder"));
            continue;
        }
        if (!info.isFile()) {
            dialogs.message(QStringLiteral("File not found: ") + path);
            continue;
        }
        const sources::express::HeaderFields h = sources::express::readHeaderFields(path);
        if (h.date.isEmpty()) {
            unlisted.append(path + QStringLiteral(": not listed, the message has no Date field"));
            continue;
        }
        auto decoded = [](const QString& v) { return sources::express::decodeHeaderWords(v.toUtf8()); };
        messages.append({info.absoluteFilePath(),
                         {decoded(h.from), decoded(h.to), decoded(h.subject), decoded(h.date), info.fileName()}});
    }
    if (messages.isEmpty()) {
        for (const QString& reason : std::as_const(unlisted))
            dialogs.message(reason);
    }
    return messages;
}

bool mailboxSource(const Arguments& args)
{
    return args.source == Source::Mailbox || args.source == Source::Thunderbird;
}

sources::mailbox::MailboxChoice mailboxChoice(const Arguments& args)
{
    sources::mailbox::MailboxChoice choice;
    if (args.source == Source::Mailbox)
        choice.paths = args.sourceFiles;
    choice.home = QDir::homePath();
    choice.fields = {args.from, args.body};
    choice.folders = args.folders;
    choice.workers = args.jobs > 0 ? args.jobs : core::coreCount();
    return choice;
}

// The messages of the chosen mailboxes, each listed with the mailbox it is in.
QList<CliMessage> mailboxMessages(const Arguments& args, platform::Dialogs& dialogs)
{
    const sources::mailbox::MailboxChoice choice = mailboxChoice(args);
    const sources::mailbox::ChosenMailboxes chosen = sources::mailbox::chooseMailboxes(choice);
    if (chosen.thunderbird && chosen.profiles == 0)
        dialogs.message(sources::mailbox::noThunderbirdMail(choice.home));
    QStringList problems = chosen.problems;
    QList<CliMessage> messages;
    for (const sources::mailbox::Mailbox& mailbox : chosen.mailboxes) {
        problems += sources::mailbox::listMailbox(mailbox, [&](const sources::mailbox::ListedMessage& m) {
                        messages.append({mailbox.path, {m.from, m.to, m.subject, m.date, QString()}});
                    }).problems;
    }
    for (const QString& problem : std::as_const(problems))
        dialogs.message(problem);
    return messages;
}

void listMessages(const QList<CliMessage>& messages, const Arguments& args, std::function<void()> beforeEnding)
{
    Output out(args.output, std::move(beforeEnding));
    const char end = recordEnd(args);
    for (const CliMessage& m : messages) {
        const auto& f = m.fields;
        out.write(QStringList{f.from, f.to, f.subject, f.date}.join(u'\t').toUtf8());
        out.write({&end, 1});
    }
}

QStringList textSetItems(const Arguments& args)
{
    QStringList items = args.textSets;
    for (const QString& file : args.textSetFiles)
        items += rules::readTextSetFile(file);
    return items;
}

rules::RuleKind ruleKind(Rule rule)
{
    switch (rule) {
    case Rule::Containing:
        return rules::RuleKind::Containing;
    case Rule::NotContaining:
        return rules::RuleKind::NotContaining;
    case Rule::LineNumbers:
        return rules::RuleKind::LineNumbers;
    case Rule::Between:
        return rules::RuleKind::Between;
    case Rule::TextSets:
        return rules::RuleKind::TextSets;
    case Rule::Addresses:
        return rules::RuleKind::Addresses;
    case Rule::Pattern:
        return rules::RuleKind::Pattern;
    default:
        return rules::RuleKind::AllEmailData;
    }
}

// The run as the window (or dialog) that serves the source would start it; errors name that window.
rules::RunRequest requestOf(const Arguments& args)
{
    const bool messages = messageSource(args);
    rules::RunRequest r;
    r.rule = ruleKind(args.rule);
    r.searchText = r.lineNumbers = args.ruleText;
    r.startText = args.startText;
    r.endText = args.endText;
    r.includeStart = args.includeStart;
    r.includeEnd = args.includeEnd;
    if (args.rule == Rule::TextSets)
        r.textSets = textSetItems(args);
    r.ignoreCase = !args.caseSensitive;
    r.removeDuplicates = args.dedupe;
    r.showSource = args.showSource;
    r.fieldChosen = args.from || args.body;
    r.module = args.rule == Rule::Between    ? (messages ? QStringLiteral("Form22") : QStringLiteral("Form2"))
               : args.rule == Rule::TextSets ? (messages ? QStringLiteral("Form33") : QStringLiteral("Form3"))
                                             : (messages ? QStringLiteral("Form11") : QStringLiteral("Form1"));
    return r;
}

// Every message is read, each with its share of the list on the progress bar.
QList<rules::MessageFile> messageFiles(const QList<CliMessage>& messages)
{
    QList<rules::MessageFile> files;
    const auto count = double(messages.size());
    for (qsizetype i = 0; i < messages.size(); ++i)
        files.append({messages[i].path, int(std::nearbyint(double(i + 1) / count * 100))});
    return files;
}

void runRule(const Arguments& args, const QList<CliMessage>& messages, sources::outlook::ApplicationFactory& factory,
             rules::HitSink& sink, Console& console)
{
    const rules::RunRequest request = requestOf(args);
    if (messageSource(args)) {
        rules::MessagesSource units(messageFiles(messages), sources::express::LoadMessageBody, std::max(0, args.jobs));
        rules::run(request, units, sink, console.feedback());
        return;
    }
    if (mailboxSource(args)) {
        rules::StagingSource units([] { return core::stagingFilePath(); },
                                   [&](const QString& path) {
                                       return sources::mailbox::stageMailboxes(mailboxChoice(args), path,
                                                                               console.dialogs);
                                   });
        rules::run(request, units, sink, console.feedback());
        return;
    }
    const bool staged = args.source == Source::Staged;
    StagingChoice choice(args);
    rules::StagingSource units(
        [&] { return staged ? args.sourceFile : core::stagingFilePath(); },
        [&](const QString& path) {
            if (staged)
                return true;
            sources::outlook::OutlookReader reader({factory, choice, console.dialogs, console.loop, console.pointer});
            reader.setWorkers(args.jobs > 0 ? args.jobs : core::coreCount());
            return reader.stageSelectedMail(path);
        });
    rules::run(request, units, sink, console.feedback());
}

// A cell of the tsv form: CR, LF, TAB and backslash escaped, so that a row stays one line whatever it holds.
QString tsvCell(const QString& cell)
{
    const auto special = [](QChar c) { return c == u'\\' || c == u'\t' || c == u'\n' || c == u'\r'; };
    if (std::none_of(cell.begin(), cell.end(), special))
        return cell;
    QString escaped;
    escaped.reserve(cell.size() + 16);
    for (const QChar c : cell) {
        if (!special(c)) {
            escaped += c;
            continue;
        }
        escaped += u'\\';
        escaped += c == u'\t' ? u't' : c == u'\n' ? u'n' : c == u'\r' ? u'r' : u'\\';
    }
    return escaped;
}

// The tsv form is the clipboard text of the escaped cells; the clipboard itself keeps them as they are.
QString tsvText(const results::ResultsList& list)
{
    results::ResultsList escaped;
    escaped.setColumns(list.columns());
    for (qsizetype r = 0; r < list.count(); ++r) {
        const results::Row& row = list.row(r);
        escaped.add({tsvCell(row.text), tsvCell(row.subItem), row.hasSubItem});
    }
    return results::ClipboardText(escaped);
}

// The file formats need every row before the first byte (column widths), so they go through a list.
void writeFormatted(const Arguments& args, const results::ResultsList& list, std::function<void()> beforeEnding)
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
        QTemporaryFile aligned(core::privateTempFolder() + QStringLiteral("/aligned-XXXXXX.txt"));
        if (!aligned.open())
            throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Permission denied"));
        results::WriteAlignedTextFile(list, aligned.fileName());
        QFile written(aligned.fileName());
        written.open(QIODevice::ReadOnly);
        bytes = written.readAll();
    } else {
        bytes = (args.format == Format::Comma ? results::CommaDelimitedText(list) : tsvText(list)).toUtf8();
    }
    Output out(args.output, std::move(beforeEnding));
    out.write(bytes);
    out.flush();
    if (out.failed())
        throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
}

} // namespace

// Lists the DBX files found through the registry; what the search says goes to standard error.
int findDbx(const Arguments& args, const core::Settings& settings)
{
    ConsoleDialogs dialogs;
    std::unique_ptr<sources::express::RegistryBackend> registry;
    if (!args.registryHive.isEmpty())
        registry = std::make_unique<sources::express::HiveRegistry>(args.registryHive);
    else if (!args.winePrefix.isEmpty())
        registry = std::make_unique<sources::express::WineRegistry>(args.winePrefix);
    else
        registry = sources::express::registryFor(settings);
    sources::express::StoreDiscovery discovery;
    sources::express::searchIdentities(discovery, *registry, dialogs);
    Output out(args.output);
    const char end = recordEnd(args);
    for (const QString& path : std::as_const(discovery.dbxFiles)) {
        if (!path.trimmed().isEmpty()) {
            out.write(path.toUtf8());
            out.write({&end, 1});
        }
    }
    return 0;
}

int run(const Arguments& args)
{
    catchSigpipe();
    core::Settings settings(core::defaultSettingsPath());
    if (args.task == Task::FindDbx)
        return findDbx(args, settings);
    sources::outlook::PstApplicationFactory factory([&settings] { return sources::outlook::profileStores(settings); });
    results::ResultsList list;
    std::function<qint64()> resultCount = [&list] { return qint64(list.count()); };
    Console console([&resultCount] { return resultCount(); });
    const auto clearStatus = [&console] { console.loop.clearStatus(); };
    try {
        QList<CliMessage> messages;
        if (args.source == Source::Dbx)
            messages = convertedMessages(args, console.loop, console.dialogs);
        else if (args.source == Source::Eml)
            messages = givenMessages(args, console.dialogs);
        else if (mailboxSource(args) && args.task == Task::ListMessages)
            messages = mailboxMessages(args, console.dialogs);
        if (args.task == Task::ListMessages) {
            listMessages(messages, args, clearStatus);
        } else if (args.format == Format::Lines) {
            Output out(args.output, clearStatus);
            LinesPrinter printer(out, args);
            resultCount = [&printer] { return printer.rows(); };
            runRule(args, messages, factory, printer, console);
            out.flush();
            if (out.failed())
                throw core::AppError(core::errors::kDeviceIo, QStringLiteral("Device I/O error"));
        } else {
            const ListChoice choice(args);
            rules::ResultsSink toList(list, choice);
            runRule(args, messages, factory, toList, console);
            if (console.dialogs.shown() == 0)
                writeFormatted(args, list, clearStatus);
        }
    } catch (const core::AppError& e) {
        std::fprintf(stderr, "quillmere-cli: %s\n", e.description().toUtf8().constData());
        return 1;
    }
    return console.dialogs.shown() == 0 ? 0 : 1;
}

} // namespace cli

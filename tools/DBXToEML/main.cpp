// DBXToEML DBX-FILE STAGING-FOLDER
//
// Converts one Outlook Express store into message files in the staging folder, one file per message, named
// "<store name>-<position>.eml" so that the names sort in the store's own order and never collide with
// another store's. The work is done by undbx in a private folder; each finished file is then renamed into
// the staging folder, so a half-written message never appears there. Exits 0 when at least one message was
// converted, 1 when none could be, 2 on wrong arguments, 3 when a path is unusable, 4 when undbx cannot run.
//
// It runs once per store, so it uses only the C++ and POSIX libraries: it starts in about a millisecond.

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <locale.h>
#include <set>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

enum Exit { kConverted = 0, kNothingConverted = 1, kUsage = 2, kBadPath = 3, kNoUndbx = 4 };

// undbx's own log is a few lines per message; more than this is not undbx talking.
constexpr std::size_t kMaxLogBytes = 64 * 1024 * 1024;
// A message larger than this keeps its line ends as undbx wrote them.
constexpr off_t kMaxFixedMessage = 256 * 1024 * 1024;

void complain(const std::string& text)
{
    std::fprintf(stderr, "DBXToEML: %s\n", text.c_str());
}

bool isFile(const std::string& path)
{
    struct stat s;
    return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool isDir(const std::string& path)
{
    struct stat s;
    return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

off_t fileSize(const std::string& path)
{
    struct stat s;
    return ::stat(path.c_str(), &s) == 0 ? s.st_size : 0;
}

// An absolute path with "." and ".." resolved by name and no trailing slash (links are not followed).
std::string absoluteClean(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string clean = absolute.lexically_normal().string();
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

std::string findExecutable(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty())
            continue;
        const std::string candidate = absoluteClean(std::string(folder) + '/' + name);
        if (isFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string tempPath()
{
    const char* temp = std::getenv("TMPDIR");
    return absoluteClean(temp && *temp ? temp : "/tmp");
}

// A private folder for undbx's output, inside the staging folder (so finished files move by rename) or,
// when that is not writable, in the system's temporary folder.
std::string makeWorkFolder(const std::string& staging)
{
    for (const std::string& parent : {staging, tempPath()}) {
        std::string pattern = parent + "/.DBXToEML-XXXXXX";
        if (::mkdtemp(pattern.data()))
            return pattern;
    }
    return {};
}

// The names in a folder that pass keep(name, isDirectory), following links; hidden names only when asked.
template <class Keep>
std::vector<std::string> listFolder(const std::string& folder, bool hidden, Keep keep)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || (!hidden && name.front() == '.'))
            continue;
        // The entry's type when the file system gives it: a staging folder of thousands of messages is
        // listed once per store, and a stat per entry would cost more than the conversion.
        bool isDirectory = entry->d_type == DT_DIR;
        bool isRegular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat s;
            if (::stat((folder + '/' + name).c_str(), &s) != 0)
                continue;
            isDirectory = S_ISDIR(s.st_mode);
            isRegular = S_ISREG(s.st_mode);
        } else if (!isDirectory && !isRegular) {
            continue;
        }
        if (keep(name, isDirectory, isRegular))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The file names of the log's "[OK ] <hex>.eml" lines, in the log's order.
std::vector<std::string> loggedFiles(std::string_view log)
{
    std::vector<std::string> names;
    for (std::size_t at = log.find("[OK"); at != std::string_view::npos; at = log.find("[OK", at)) {
        std::size_t p = at + 3;
        while (p < log.size() && isSpace(log[p]))
            ++p;
        const bool closed = p < log.size() && log[p] == ']';
        std::size_t name = closed ? p + 1 : p;
        while (name < log.size() && isSpace(log[name]))
            ++name;
        std::size_t stop = name;
        while (stop < log.size() && isHex(log[stop]))
            ++stop;
        if (!closed || name == p + 1 || stop == name || log.substr(stop, 4) != ".eml") {
            ++at;
            continue;
        }
        names.emplace_back(log.substr(name, stop + 4 - name));
        at = stop + 4;
    }
    return names;
}

bool endsWithEml(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string end = name.substr(name.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return end == ".eml";
}

struct UndbxRun
{
    std::vector<std::string> files; // converted messages in the store's order, full paths
    bool corrupted = false;
};

// The undbx running now, and the signal that asked the converter to end: a stopped conversion stops its undbx
// with it and takes its work folders away.
volatile sig_atomic_t g_undbx = 0;
volatile sig_atomic_t g_endSignal = 0;
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onEndSignal(int signal)
{
    g_endSignal = signal;
    if (g_undbx > 0)
        ::kill(pid_t(g_undbx), SIGKILL);
}

void catchEndSignals()
{
    struct sigaction caught = {};
    caught.sa_handler = onEndSignal;
    sigemptyset(&caught.sa_mask);
    for (const int signal : kEndSignals)
        ::sigaction(signal, &caught, nullptr);
}

// Runs undbx with standard output and error into one pipe and returns what it wrote, up to the cap; false
// when it could not start.
bool runAndRead(const std::string& program, const std::vector<std::string>& arguments, std::string& log)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The end signals wait until the child is known, so that none can come between its start and its record.
    sigset_t ends;
    sigset_t previous;
    sigemptyset(&ends);
    for (const int signal : kEndSignals)
        sigaddset(&ends, signal);
    ::sigprocmask(SIG_BLOCK, &ends, &previous);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setsigmask(&attributes, &previous);
    pid_t pid = 0;
    const int spawned =
        g_endSignal ? ECANCELED : ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0)
        g_undbx = pid;
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0) {
            if (log.size() < kMaxLogBytes)
                log.append(buffer, std::size_t(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    g_undbx = 0;
    return true;
}

// Runs undbx on one store into an empty work folder. With -s the files are named by the message's offset
// in the store; the log names them in the order of the store's index, which is the order Outlook Express
// shows. Files the log does not name follow in name order. undbx leaves an empty file for a message it
// could not read: that is no message.
UndbxRun runUndbx(const std::string& undbx, const std::string& dbx, const std::string& work, bool recover)
{
    UndbxRun run;
    std::vector<std::string> arguments{"-s", "-v", "4"};
    if (recover)
        arguments.insert(arguments.begin(), "-r");
    arguments.push_back(dbx);
    arguments.push_back(work);
    std::string log;
    if (!runAndRead(undbx, arguments, log))
        return run;

    run.corrupted = log.find(" is corrupted") != std::string::npos;
    const std::vector<std::string> logged = loggedFiles(log);

    // undbx writes one sub-folder per store; folders in name order regardless of case.
    std::vector<std::string> folders = listFolder(work, false, [](const std::string&, bool dir, bool) { return dir; });
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) < 0; });
    for (const std::string& folder : folders) {
        const std::string dir = work + '/' + folder;
        std::vector<std::string> present =
            listFolder(dir, false, [](const std::string& name, bool, bool file) { return file && endsWithEml(name); });
        std::sort(present.begin(), present.end());
        const std::set<std::string> presentSet(present.begin(), present.end());
        std::set<std::string> taken;
        std::vector<std::string> ordered;
        for (const std::string& name : logged) {
            if (presentSet.count(name) && taken.insert(name).second)
                ordered.push_back(name);
        }
        for (const std::string& name : present) {
            if (!taken.count(name))
                ordered.push_back(name);
        }
        for (const std::string& name : ordered) {
            const std::string path = dir + '/' + name;
            if (fileSize(path) > 0)
                run.files.push_back(path);
        }
    }
    return run;
}

// One code point of a file name, in a form equal for letters that differ only in case (as simple case
// folding has it: dotted and dotless I stay apart from i).
std::vector<wint_t> caseless(std::string_view name, locale_t utf8)
{
    std::vector<wint_t> out;
    std::mbstate_t state{};
    while (!name.empty()) {
        wchar_t c = 0;
        std::size_t n = ::mbrtowc(&c, name.data(), name.size(), &state);
        if (n == 0 || n > name.size()) { // not UTF-8: the byte as it is, apart from any letter
            c = wchar_t(0x110000 + static_cast<unsigned char>(name.front()));
            n = 1;
            state = {};
        }
        name.remove_prefix(n);
        const wint_t w = wint_t(c);
        const bool kept = w == 0x130 || w == 0x131 || w >= 0x110000;
        out.push_back(kept ? w : utf8 ? towlower_l(towupper_l(w, utf8), utf8) : towlower(towupper(w)));
    }
    return out;
}

// Folds names as caseless() does. The UTF-8 locale is loaded only for the first name that is not ASCII:
// loading it costs more than folding a whole staging folder of ASCII names.
class NameFolder
{
public:
    NameFolder() = default;
    NameFolder(const NameFolder&) = delete;
    NameFolder& operator=(const NameFolder&) = delete;
    ~NameFolder()
    {
        if (m_utf8) {
            ::uselocale(m_previous);
            ::freelocale(m_utf8);
        }
    }

    std::vector<wint_t> fold(std::string_view name)
    {
        if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
            std::vector<wint_t> out(name.size());
            std::transform(name.begin(), name.end(), out.begin(),
                           [](char c) { return wint_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
            return out;
        }
        if (!m_loaded) {
            m_loaded = true;
            m_utf8 = ::newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
            if (m_utf8)
                m_previous = ::uselocale(m_utf8);
        }
        return caseless(name, m_utf8);
    }

private:
    bool m_loaded = false;
    locale_t m_utf8 = nullptr;
    locale_t m_previous = nullptr;
};

// The store's name without its last extension; a name that would be hidden starts with "_" instead.
std::string completeBaseName(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

// A name for this store's files that no file in the staging folder starts with yet, so two stores called
// Inbox.dbx (one per identity) keep apart.
std::string choosePrefix(const std::string& dbx, const std::string& staging)
{
    std::string base = completeBaseName(dbx);
    if (base.empty())
        base = "store";
    if (base.front() == '.')
        base.front() = '_';
    NameFolder folder;
    std::vector<std::vector<wint_t>> existing;
    for (const std::string& name : listFolder(staging, true, [](const std::string&, bool, bool file) { return file; }))
        existing.push_back(folder.fold(name));
    std::string chosen;
    for (int n = 1; chosen.empty(); ++n) {
        const std::string prefix = n == 1 ? base : base + '~' + std::to_string(n);
        const std::vector<wint_t> start = folder.fold(prefix + '-');
        const bool used = std::any_of(existing.begin(), existing.end(), [&](const std::vector<wint_t>& name) {
            return name.size() >= start.size() && std::equal(start.begin(), start.end(), name.begin());
        });
        if (!used)
            chosen = prefix;
    }
    return chosen;
}

enum class Read { Whole, TooLarge, Failed };

// Reads a file whole in as few calls as its size allows; a file over the limit is left unread.
Read readFile(const std::string& path, std::string& bytes, off_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Read::Failed;
    struct stat s;
    const bool known = ::fstat(fd, &s) == 0;
    if (!known || s.st_size > limit) {
        ::close(fd);
        return known ? Read::TooLarge : Read::Failed;
    }
    bytes.resize(std::size_t(s.st_size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            bytes.resize(have);
            return n == 0 ? Read::Whole : Read::Failed;
        }
        have += std::size_t(n);
    }
}

bool writeFile(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        bytes.remove_prefix(std::size_t(n));
    }
    return ::close(fd) == 0;
}

// Messages take CR LF line ends; a bare LF from a store written elsewhere becomes one.
bool needsCrLf(std::string_view bytes)
{
    for (std::size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1)) {
        if (i == 0 || bytes[i - 1] != '\r')
            return true;
    }
    return false;
}

std::string withCrLf(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out += '\r';
        out += bytes[i];
    }
    return out;
}

// Moves a finished file to its place without ever replacing an existing file.
bool renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: link() also refuses to replace.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

// Copies a file to a new file (never over an existing one).
bool copyFile(const std::string& from, const std::string& to)
{
    std::string bytes;
    if (readFile(from, bytes, std::numeric_limits<off_t>::max()) != Read::Whole || ::access(to.c_str(), F_OK) == 0)
        return false;
    if (!writeFile(to, bytes)) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

// Puts one converted message into the staging folder under its final name; false when it could not.
bool placeMessage(const std::string& source, const std::string& staging, const std::string& name)
{
    const std::string target = staging + '/' + name;
    const std::string temporary = staging + "/." + name + ".part";
    std::string bytes;
    const Read read = readFile(source, bytes, kMaxFixedMessage);
    if (read == Read::Failed)
        return false;
    if (read == Read::Whole) {
        if (needsCrLf(bytes)) {
            // Written beside the target under a name no listing takes, then renamed.
            if (!writeFile(temporary, withCrLf(bytes))) {
                ::unlink(temporary.c_str());
                return false;
            }
            if (!renameNoReplace(temporary, target)) {
                ::unlink(temporary.c_str());
                return false;
            }
            return true;
        }
    }
    if (renameNoReplace(source, target))
        return true;
    // The work folder lies on another file system: copy under a temporary name, then rename.
    ::unlink(temporary.c_str());
    if (!copyFile(source, temporary))
        return false;
    if (!renameNoReplace(temporary, target)) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string numbered(const std::string& prefix, int number, int width)
{
    std::string digits = std::to_string(number);
    if (int(digits.size()) < width)
        digits.insert(0, std::size_t(width) - digits.size(), '0');
    return prefix + '-' + digits + ".eml";
}

int convert(const std::string& dbxArgument, const std::string& stagingArgument)
{
    if (dbxArgument.empty() || !isFile(dbxArgument)) {
        complain("no such DBX file: \"" + dbxArgument + "\"");
        return kBadPath;
    }
    if (stagingArgument.empty() || !isDir(stagingArgument)) {
        complain("no such folder: \"" + stagingArgument + "\"");
        return kBadPath;
    }
    // Absolute paths: a file named like an option ("-r.dbx") stays a file to undbx.
    const std::string dbx = absoluteClean(dbxArgument);
    const std::string staging = absoluteClean(stagingArgument);
    const std::string undbx = findExecutable("undbx");
    if (undbx.empty()) {
        complain("undbx is not installed");
        return kNoUndbx;
    }

    std::vector<std::string> workFolders;
    auto attempt = [&](bool recover) {
        const std::string work = makeWorkFolder(staging);
        if (work.empty())
            return UndbxRun{};
        workFolders.push_back(work);
        return runUndbx(undbx, dbx, work, recover);
    };

    UndbxRun run = attempt(false);
    // A damaged index loses messages that a scan of the whole file still finds.
    if (run.corrupted && !g_endSignal) {
        UndbxRun recovered = attempt(true);
        if (recovered.files.size() > run.files.size())
            run = std::move(recovered);
    }

    const std::string prefix = choosePrefix(dbx, staging);
    const int width = std::max<int>(6, int(std::to_string(run.files.size()).size()));
    int placed = 0;
    for (const std::string& file : run.files) {
        if (g_endSignal)
            break;
        const std::string name = numbered(prefix, placed + 1, width);
        if (placeMessage(file, staging, name))
            ++placed;
        else
            complain("could not write " + name);
    }
    for (const std::string& folder : workFolders) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    if (const int signal = g_endSignal) {
        // Ends as the signal would have ended it, now that nothing is left behind.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    if (placed == 0) {
        complain("no messages converted from \"" + dbx + "\"");
        return kNothingConverted;
    }
    return kConverted;
}

std::string canonical(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A Windows-style command line names the program itself first.
    if (arguments.size() == 3) {
        const std::string first = canonical(arguments.front());
        if (!first.empty() && first == canonical("/proc/self/exe"))
            arguments.erase(arguments.begin());
    }
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: DBXToEML DBX-FILE STAGING-FOLDER\n");
        return kUsage;
    }
    catchEndSignals();
    return convert(arguments[0], arguments[1]);
}

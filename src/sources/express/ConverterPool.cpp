#include "sources/express/ConverterPool.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "platform/Desktop.h"

extern char** environ;

namespace sources::express {
namespace {

constexpr int kPollMs = 20;
constexpr int kEndWaitMs = 5000;

// A converter running for one store; pidfd is -1 where the kernel gives none, and the converter is then polled.
struct Running
{
    int store = 0;
    pid_t pid = -1;
    int pidfd = -1;
};

// Starts the converter with its output discarded; false when it could not start. It stays in this program's
// process group, so that Ctrl-C in a terminal ends it with the program.
bool start(const QByteArray& program, const QList<QByteArray>& arguments, Running& running)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    const int failed = ::posix_spawn(&running.pid, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return false;
    running.pidfd = int(::syscall(SYS_pidfd_open, running.pid, 0));
    return true;
}

// The exit code once the converter has ended, -1 when a signal ended it.
std::optional<int> exitCode(Running& running, bool wait)
{
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(running.pid, &status, wait ? 0 : WNOHANG)) < 0 && errno == EINTR) {
    }
    if (reaped == 0)
        return std::nullopt;
    if (running.pidfd >= 0)
        ::close(running.pidfd);
    return reaped > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits until a converter ends or a poll interval has passed.
void waitForAnEnd(const std::vector<Running>& running)
{
    std::vector<pollfd> ends;
    for (const Running& r : running) {
        if (r.pidfd < 0) {
            ::poll(nullptr, 0, 1); // no descriptor to wait on: look again soon
            return;
        }
        ends.push_back({r.pidfd, POLLIN, 0});
    }
    ::poll(ends.data(), ends.size(), kPollMs);
}

// Asks the converters to end, which stops the undbx each runs and takes its work folder away; those that have
// not ended after a while are killed.
void endConverters(std::vector<Running>& running)
{
    for (const Running& r : running)
        ::kill(r.pid, SIGTERM);
    for (int waited = 0; !running.empty() && waited < kEndWaitMs; waited += kPollMs) {
        std::erase_if(running, [](Running& r) { return exitCode(r, false).has_value(); });
        if (!running.empty())
            ::poll(nullptr, 0, kPollMs);
    }
    for (Running& r : running) {
        ::kill(r.pid, SIGKILL);
        exitCode(r, true);
    }
}

} // namespace

QString prefixFamily(const QString& dbxPath)
{
    QString name = QFileInfo(dbxPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        name = QStringLiteral("store");
    if (name.startsWith(u'.'))
        name[0] = u'_';
    // A prefix P is taken by any file named "P-…", so a name holding a dash belongs with the part before it; and
    // "~2", "~3" are what the converter adds to a prefix already taken.
    const qsizetype dash = name.indexOf(u'-');
    if (dash >= 0)
        name.truncate(dash);
    for (qsizetype tilde = name.lastIndexOf(u'~'); tilde >= 0 && tilde + 1 < name.size();
         tilde = name.lastIndexOf(u'~')) {
        const QStringView digits = QStringView(name).sliced(tilde + 1);
        if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            break;
        name.truncate(tilde);
    }
    return name.toCaseFolded();
}

void convertStores(platform::EventLoop& loop, const QString& converter, const QStringList& stores,
                   const QString& staging, int jobs, const std::function<void(int index, int exitCode)>& ended)
{
    const int count = int(stores.size());
    // Each store waits until the one before it in its family has been handed to ended(), so that whoever lists
    // the staging folder there sees the files of no later store of that family.
    std::vector<int> previous(std::size_t(count), -1);
    QHash<QString, int> lastOfFamily;
    for (int i = 0; i < count; ++i) {
        const QString family = prefixFamily(stores[i]);
        previous[std::size_t(i)] = lastOfFamily.value(family, -1);
        lastOfFamily.insert(family, i);
    }
    const QByteArray program = QFile::encodeName(converter);
    const QByteArray stagingName = QFile::encodeName(staging);

    std::vector<std::optional<int>> exitCodes(static_cast<std::size_t>(count));
    std::vector<bool> started(std::size_t(count), false);
    std::vector<Running> running;
    int reported = 0;
    try {
        while (reported < count) {
            for (int i = reported; i < count && int(running.size()) < std::max(1, jobs); ++i) {
                const int before = previous[std::size_t(i)];
                if (started[std::size_t(i)] || before >= reported)
                    continue;
                started[std::size_t(i)] = true;
                Running r{i};
                if (start(program, {QFile::encodeName(stores[i]), stagingName}, r))
                    running.push_back(r);
                else
                    exitCodes[std::size_t(i)] = -1;
            }
            for (; reported < count && exitCodes[std::size_t(reported)]; ++reported)
                ended(reported, *exitCodes[std::size_t(reported)]);
            if (reported == count)
                break;
            if (!running.empty())
                waitForAnEnd(running);
            for (auto r = running.begin(); r != running.end();) {
                if (const std::optional<int> code = exitCode(*r, false)) {
                    exitCodes[std::size_t(r->store)] = *code;
                    r = running.erase(r);
                } else {
                    ++r;
                }
            }
            loop.yieldWithinRun();
        }
    } catch (...) {
        endConverters(running);
        throw;
    }
}

} // namespace sources::express

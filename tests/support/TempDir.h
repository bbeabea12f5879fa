#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace testsupport {

// A fresh folder for one test, removed afterwards.
class TempDir
{
public:
    TempDir() { EXPECT_TRUE(m_dir.isValid()); }
    // A folder inside base instead of the temporary folder.
    explicit TempDir(const QString& base) : m_dir(base + QStringLiteral("/quillmere-test-XXXXXX"))
    {
        EXPECT_TRUE(m_dir.isValid()) << base.toStdString();
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const { return writeFile(file(name), bytes); }
    // Writes a file anywhere, making the folders on its way.
    static QString writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        EXPECT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

// Whether a process ends within the time given; one that ended but is not yet reaped has ended.
inline bool processEnds(qint64 pid, int timeoutMs = 5000)
{
    const auto running = [pid] {
        const QByteArray stat = TempDir::read(QStringLiteral("/proc/%1/stat").arg(pid));
        return !stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
    };
    for (QDeadlineTimer deadline(timeoutMs); running() && !deadline.hasExpired();)
        QThread::msleep(10);
    return !running();
}

// Sets an environment variable while it lives, then puts back what was there.
class EnvGuard
{
public:
    EnvGuard(const char* name, const QString& value)
        : m_name(name), m_old(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
    bool m_wasSet;
};

// Runs work with files limited to bytes, so that a write fails part-way as on a full disk.
template <class Work>
void withFileSizeLimit(rlim_t bytes, Work work)
{
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = bytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

// One message of an mbox, its "From " line first.
inline QByteArray mboxMessage(const QByteArray& from, const QByteArray& body)
{
    return "From x Mon Jan  6 10:00:00 2003\nFrom: " + from +
           "\nTo: you@example.org\nSubject: s\nDate: Mon, 6 Jan 2003 10:00:00 +0000\n\n" + body + "\n\n";
}

// A fixture file from the shared samples, or an empty string (the test then skips).
inline QString fixture(const QString& relative)
{
    const QString path = QDir(QStringLiteral(QUILLMERE_FIXTURES)).filePath(relative);
    return QFile::exists(path) ? path : QString();
}

#define QUILLMERE_REQUIRE_FIXTURE(var, relative)                                                                       \
    const QString var = ::testsupport::fixture(QStringLiteral(relative));                                              \
    if (var.isEmpty())                                                                                                 \
    GTEST_SKIP() << "fixture " relative " not found beside the repository (../shared/fixtures)"

} // namespace testsupport

#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QProcess;

namespace platform {
class EventLoop;
class ProgressControl;
} // namespace platform

namespace sources::express {

// The result base of a program that could not be started; the start's error number is added to it.
inline constexpr qint32 kObjectErrorBase = -2147221504;
// What the exit code reads as while the program still runs.
inline constexpr int kStillActive = 259;

// A program that ShellAndWait starts and polls.
class ProcessRunner
{
public:
    virtual ~ProcessRunner() = default;
    // Starts the program with its arguments, no shell involved; 0, or the run-time error number of a failed
    // start (53 when the program does not exist).
    virtual int start(const QString& program, const QStringList& arguments, int windowStyle) = 0;
    // The exit code, or kStillActive while the program runs.
    virtual int exitCode() = 0;
    // Waits one poll interval of 100 ms; returns early once the program has ended.
    virtual void pause() = 0;
};

// Runs the program through QProcess, its output discarded; a program killed by a signal exits with -1.
class QtProcessRunner : public ProcessRunner
{
public:
    QtProcessRunner();
    ~QtProcessRunner() override;
    int start(const QString& program, const QStringList& arguments, int windowStyle) override;
    int exitCode() override;
    void pause() override;

private:
    std::unique_ptr<QProcess> m_process;
};

// Starts the program and waits for it without a time-out, polling every 100 ms and yielding between polls.
// With a progress bar, from the 50th poll on its text reads progressText (then ", " when it is not empty),
// "Please wait.. " and the polls counted from there; every 150 polls the value advances by a tenth of a
// share of 100 / progressSpan, from progressStart up to the end of that share less one step. The text is
// put back at the end ("Progress Bar" when progressText is empty). Answers the exit code, or
// kObjectErrorBase plus the error number when the program could not be started. The runner defaults to
// a QtProcessRunner.
qint32 ShellAndWait(platform::EventLoop& loop, const QString& program, const QStringList& arguments,
                    int windowStyle = 6, platform::ProgressControl* progress = nullptr,
                    const QString& progressText = QString(), qint32 progressStart = 0, qint32 progressSpan = 0,
                    ProcessRunner* runner = nullptr);

// Linux has no short form of a path: the path itself when it exists, "" otherwise.
QString GetShortFilename(const QString& path);

} // namespace sources::express

#include "sources/express/ShellAndWait.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFileInfo>
#include <QProcess>

#include "core/AppError.h"
#include "core/TextFiles.h"
#include "platform/Desktop.h"

namespace sources::express {
namespace {

constexpr int kFirstProgressPoll = 50;
constexpr int kPollsPerStep = 150;

// Whole numbers as the bar takes them: halves to the even neighbour, kept inside the int range.
int roundHalfEven(double value)
{
    const double rounded = std::nearbyint(value);
    return int(std::clamp(rounded, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

void showProgress(platform::ProgressControl& progress, const QString& progressText, int polls, qint32 start,
                  qint32 span)
{
    const int count = polls - kFirstProgressPoll;
    QString text = progressText;
    if (!text.isEmpty())
        text += QStringLiteral(", ");
    progress.setText(text + QStringLiteral("Please wait.. ") + QString::number(count));
    // Without rows there is no share to divide; the bar then only counts.
    if (count % kPollsPerStep != 0 || span == 0)
        return;
    const int step = roundHalfEven(100.0 / span / 10.0);
    const int limit = roundHalfEven(100.0 / span + start - step);
    const double candidate = double(count / kPollsPerStep) * step + start;
    progress.setValue(candidate < limit ? roundHalfEven(candidate) : limit);
}

// Missing, below 0 or above 6 means 6 (minimised without activation); 0 is hidden.
int normalizeWindowStyle(int windowStyle)
{
    return windowStyle < 0 || windowStyle > 6 ? 6 : windowStyle;
}

} // namespace

QtProcessRunner::QtProcessRunner() : m_process(std::make_unique<QProcess>()) {}

QtProcessRunner::~QtProcessRunner()
{
    // A program stopped before its end (a cancelled run) is asked first, so that it can stop what it started
    // itself, as the converter stops its undbx; one that does not end soon is killed.
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(2000))
            m_process->kill();
        m_process->waitForFinished(-1);
    }
}

int QtProcessRunner::start(const QString& program, const QStringList& arguments, int)
{
    const QFileInfo info(program);
    if (program.isEmpty() || !info.exists())
        return core::errors::kFileNotFound;
    if (!info.isFile() || !info.isExecutable())
        return core::errors::kPermissionDenied;
    // A window-less helper: nothing to show, so its output goes nowhere instead of piling up unread.
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(program, arguments, QIODevice::ReadOnly);
    if (!m_process->waitForStarted(-1))
        return core::errors::kFileNotFound;
    return 0;
}

int QtProcessRunner::exitCode()
{
    if (m_process->state() != QProcess::NotRunning)
        return kStillActive;
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

void QtProcessRunner::pause()
{
    if (m_process->state() != QProcess::NotRunning)
        m_process->waitForFinished(100);
}

qint32 ShellAndWait(platform::EventLoop& loop, const QString& program, const QStringList& arguments, int windowStyle,
                    platform::ProgressControl* progress, const QString& progressText, qint32 progressStart,
                    qint32 progressSpan, ProcessRunner* runner)
{
    QtProcessRunner qtRunner;
    ProcessRunner& process = runner ? *runner : qtRunner;
    if (const int error = process.start(program, arguments, normalizeWindowStyle(windowStyle)))
        return kObjectErrorBase + error;

    int polls = 0;
    int exitCode = 0;
    do {
        exitCode = process.exitCode();
        loop.yieldWithinRun();
        process.pause();
        if (progress && ++polls >= kFirstProgressPoll) {
            loop.yieldWithinRun();
            showProgress(*progress, progressText, polls, progressStart, progressSpan);
            loop.yieldWithinRun();
        }
        loop.yieldWithinRun();
    } while (exitCode == kStillActive);

    if (progress)
        progress->setText(progressText.isEmpty() ? QStringLiteral("Progress Bar") : progressText);
    return exitCode;
}

QString GetShortFilename(const QString& path)
{
    return !path.isEmpty() && core::FileExists(path) ? path : QString();
}

} // namespace sources::express

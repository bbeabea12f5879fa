#include "rules/UnitSource.h"

#include "core/AppError.h"
#include "core/OrderedPool.h"
#include "rules/Run.h"
#include "platform/Desktop.h"
#include "sources/express/MessageBody.h"

#include <QFile>
#include <QFileInfo>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace rules {

bool StagingSource::stage()
{
    m_path = m_pathOf();
    return m_stager(m_path);
}

namespace {

// A worker loads no body further than this many per worker ahead of the message being read, so that a fast
// loader and a slow rule keep only a few bodies waiting in memory.
constexpr int kBodiesAheadPerWorker = 4;

void showMessage(platform::ProgressControl& progress, const MessageFile& message)
{
    progress.setText(kLookingAtText + message.path);
    progress.setValue(message.percent);
}

// A body loaded ahead, or why it could not be; the failure is thrown when the rule asks for the body, at the
// message's own place in the run.
struct LoadedBody
{
    QString text;
    std::exception_ptr failure;
};

} // namespace

void MessagesSource::forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read)
{
    const QList<MessageFile> messages = m_list();
    const int workers = m_workers > 0 ? m_workers : core::coreCount();
    if (workers > 1 && messages.size() > 1) {
        readLoadedAhead(messages, workers, progress, read);
        return;
    }
    for (const MessageFile& message : messages) {
        showMessage(progress, message);
        read({message.path, [this, &message] { return loadBody(message.path); }});
    }
}

void MessagesSource::readLoadedAhead(const QList<MessageFile>& messages, int workers,
                                     platform::ProgressControl& progress,
                                     const std::function<void(const TextUnit&)>& read)
{
    const int ahead = workers * kBodiesAheadPerWorker;
    std::mutex mutex;
    std::condition_variable moved;
    int reading = 0; // the message handed to the rule last
    const auto work = [&](int index, int, const std::atomic<bool>& stop) {
        LoadedBody body;
        {
            std::unique_lock lock(mutex);
            while (index >= reading + ahead && !stop)
                moved.wait_for(lock, std::chrono::milliseconds(20));
        }
        if (stop)
            return body;
        try {
            body.text = loadBody(messages[index].path);
        } catch (...) {
            body.failure = std::current_exception();
        }
        return body;
    };
    const auto deliver = [&](int index, LoadedBody& body) {
        {
            const std::lock_guard lock(mutex);
            reading = index;
        }
        moved.notify_all();
        showMessage(progress, messages[index]);
        read({messages[index].path, [&body] {
                  if (body.failure)
                      std::rethrow_exception(body.failure);
                  return body.text;
              }});
        return true;
    };
    // The loader parses with GMime, whose types must be registered before two threads use it.
    sources::express::messageParserOptions();
    core::runOrdered<LoadedBody>(int(messages.size()), workers, work, deliver, [] { return true; });
}

QString MessagesSource::loadBody(const QString& path) const
{
    // The loader reads a file it cannot open as an empty message; the user must hear that it was not read.
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw core::AppError(core::errors::kFileNotFound, QStringLiteral("File not found: ") + path);
    if (!file.open(QIODevice::ReadOnly))
        throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Permission denied: ") + path);
    return m_load(path);
}

} // namespace rules

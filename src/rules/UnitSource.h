#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace platform {
class ProgressControl;
}

namespace rules {

// One text a run reads: the staging file, read from disk, or a message's body.
struct TextUnit
{
    QString path;
    // Unset: the text is the file at path. Else it loads the message's body; a message file that is missing
    // or cannot be read fails with an AppError naming it.
    std::function<QString()> loadBody;
};

// Where a run reads its text from.
class UnitSource
{
public:
    virtual ~UnitSource() = default;
    // Gets the text ready before the run; false ends the run before the results are touched.
    virtual bool stage() = 0;
    // Hands each unit on in turn; messages show on the progress bar while they are read.
    virtual void forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read) = 0;
    // Whether the units are messages, each shown on the progress bar while it is read; else they are the one
    // staging file.
    virtual bool readsMessages() const = 0;
    // The staging file once staged.
    virtual QString stagingFile() const { return {}; }
};

// The Outlook side's one staging file, staged anew for every run. The path is found when the run stages, as
// finding the private folder can fail.
class StagingSource : public UnitSource
{
public:
    using Stager = std::function<bool(const QString& path)>; // false: staging failed (and said why)
    StagingSource(std::function<QString()> path, Stager stager) : m_pathOf(std::move(path)), m_stager(std::move(stager))
    {
    }
    bool stage() override;
    void forEachUnit(platform::ProgressControl&, const std::function<void(const TextUnit&)>& read) override
    {
        read({m_path, {}});
    }
    bool readsMessages() const override { return false; }
    QString stagingFile() const override { return m_path; }

private:
    std::function<QString()> m_pathOf;
    Stager m_stager;
    QString m_path;
};

// A message to read, with the share of the list shown on the progress bar while it is read.
struct MessageFile
{
    QString path;
    int percent = 0;
};

// Message bodies, read in list order; each message shows on the progress bar ("Please wait.. Looking at.."
// and its path, and its share of the list) before its body is read. With more than one worker the bodies are
// loaded on a pool, a few per worker ahead of the message being read, and handed on in list order on the
// calling thread, so the rule sees what one worker gives it; the loader must then be safe to call from
// several threads at once.
class MessagesSource : public UnitSource
{
public:
    using BodyLoader = std::function<QString(const QString& path)>; // the plain-text body, lines ended by CR LF
    // The list is taken each time the units are read, so a window's ticks count as they are when a run starts.
    using Lister = std::function<QList<MessageFile>()>;
    // workers 0: one per core.
    MessagesSource(Lister list, BodyLoader load, int workers = 0)
        : m_list(std::move(list)), m_load(std::move(load)), m_workers(workers)
    {
    }
    MessagesSource(QList<MessageFile> messages, BodyLoader load, int workers = 0)
        : m_list([messages = std::move(messages)] { return messages; }), m_load(std::move(load)), m_workers(workers)
    {
    }
    bool stage() override { return true; }
    void forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read) override;
    bool readsMessages() const override { return true; }

private:
    QString loadBody(const QString& path) const;
    void readLoadedAhead(const QList<MessageFile>& messages, int workers, platform::ProgressControl& progress,
                         const std::function<void(const TextUnit&)>& read);

    Lister m_list;
    BodyLoader m_load;
    int m_workers;
};

} // namespace rules

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
class ProgressControl;
} // namespace platform

namespace rules {

class HitSink;

enum class RuleKind { AllEmailData, Containing, NotContaining, LineNumbers, Between, TextSets };

// One run of a rule with the inputs it started with, as a window's controls or the command line's arguments
// give them.
struct RunRequest
{
    RuleKind rule = RuleKind::AllEmailData;
    QString searchText;  // containing, not containing
    QString lineNumbers; // as typed, for example "1,3,4"
    QString startText;   // X
    QString endText;     // Y
    bool includeStart = true;
    bool includeEnd = true;
    QStringList textSets;
    bool ignoreCase = false; // "Turn off case sensitivity"
    // How the hits are listed; the caller's sink keeps to them.
    bool removeDuplicates = false;
    bool showSource = false;
    // The Outlook side stages at least one field; its line commands refuse to run otherwise.
    bool fieldChosen = true;
    // The window or dialog named in error reports: "Form1", "Form11" (line commands), "Form2", "Form22",
    // "Form3", "Form33" (the dialogs' runs).
    QString module;
};

// How a run reaches the user while it works.
struct RunFeedback
{
    platform::Dialogs& dialogs;
    platform::PointerControl& pointer;
    platform::ProgressControl& progress;
    platform::EventLoop& loop;
};

// One text a run reads: the staging file, read from disk, or a message's body.
struct TextUnit
{
    QString path;
    const QString* body = nullptr; // null: the text is the file at path
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
        read({m_path});
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
// and its path, and its share of the list) before its body is loaded.
class MessagesSource : public UnitSource
{
public:
    using BodyLoader = std::function<QString(const QString& path)>; // the plain-text body, lines ended by CR LF
    MessagesSource(QList<MessageFile> messages, BodyLoader load)
        : m_messages(std::move(messages)), m_load(std::move(load))
    {
    }
    bool stage() override { return true; }
    void forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read) override;
    bool readsMessages() const override { return true; }

private:
    QList<MessageFile> m_messages;
    BodyLoader m_load;
};

// Runs a request over the units of a source into a sink: the input checks, staging, preparing the sink, the
// pointer, the rule over the units, and putting progress and pointer back. Each step is a numbered statement
// of the handler that starts the run (its module, and the rule's button), and a failure is reported as such.
// The line rules run in the frame of the Outlook window over the staging file, or in that of the Outlook
// Express window over messages.
void run(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback);

inline const QString kRestingProgressText = QStringLiteral("Progress Bar");

} // namespace rules

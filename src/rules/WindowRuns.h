#pragma once

// The windows still reach the engine through these interfaces: each call reads the window once into a request.

#include "rules/Run.h"
#include "rules/UnitSource.h"

#include <QString>
#include <QStringList>

namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
class ProgressControl;
} // namespace platform
namespace results {
class ListOptions;
class ResultsList;
} // namespace results

namespace rules {

class HitSink;

// A main window as every run sees it: its results list with the list options, its case option, its progress
// bar and its desktop.
class ResultsWindow
{
public:
    virtual ~ResultsWindow() = default;
    virtual bool ignoreCase() const = 0; // "Turn off case sensitivity"
    virtual results::ResultsList& resultsList() = 0;
    virtual const results::ListOptions& listOptions() const = 0;
    virtual HitSink& hits() = 0;
    virtual platform::ProgressControl& progress() = 0;
    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::EventLoop& loop() = 0;
};

// What the line commands read from a main window besides its results: the three text boxes and its pointer.
class LineWindow : public ResultsWindow
{
public:
    virtual QString containingText() const = 0;
    virtual QString notContainingText() const = 0;
    virtual QString lineNumbers() const = 0;
    virtual platform::PointerControl& pointer() = 0;
};

// The main window a rule dialog serves.
class ServedWindow : public ResultsWindow
{
public:
    // True once the window has been asked to close; the dialogs then really close.
    virtual bool AppClosing() const = 0;
};

// The Outlook side's staging: rebuilding the staging file from the selected folders and fields.
class MailStager
{
public:
    virtual ~MailStager() = default;
    virtual QString stagingPath() const = 0;
    // False when the staging file could not be made (the reader has said why).
    virtual bool stageMail(const QString& stagingPath) = 0;
};

// The Outlook window: its field boxes and the staging of the selected mail.
class StagingWindow : public LineWindow, public MailStager
{
public:
    virtual bool fromFieldChecked() const = 0; // "Extract emails from 'From' field"
    virtual bool bodyFieldChecked() const = 0; // "Extract emails from 'Body' field"
};

// The Outlook Express window: its message list, whose ticked rows are the messages a run reads.
class MessagesWindow : public LineWindow
{
public:
    virtual int messageCount() const = 0;
    virtual bool messageTicked(int row) const = 0;  // rows count from 1
    virtual QString messagePath(int row) const = 0; // in the private temporary folder
    virtual QString loadMessageBody(const QString& path) = 0;
};

// What "Start Extracting" of the between-X-and-Y dialog reads from it.
class BetweenInputs
{
public:
    virtual ~BetweenInputs() = default;
    virtual QString startText() const = 0; // X
    virtual QString endText() const = 0;   // Y
    virtual bool includeStart() const = 0; // "Include (X) text in Results"
    virtual bool includeEnd() const = 0;   // "Include (Y) text in Results"
    virtual platform::PointerControl& pointer() = 0;
};

// What "Start Extracting" of the text-set dialog reads from it and asks of it.
class TextSetInputs
{
public:
    virtual ~TextSetInputs() = default;
    virtual QStringList items() const = 0;
    virtual platform::PointerControl& pointer() = 0;
    // Asks the dialog to close (it hides while the program is not closing).
    virtual void requestClose() = 0;
};

// The staging file of the Outlook window.
class StagedFileSource : public StagingSource
{
public:
    explicit StagedFileSource(MailStager& stager);
};

// The ticked messages of the Outlook Express window, listed when the run reads them.
class TickedMessagesSource : public UnitSource
{
public:
    explicit TickedMessagesSource(MessagesWindow& window) : m_window(window) {}
    bool stage() override { return true; }
    void forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read) override;
    bool readsMessages() const override { return true; }

private:
    MessagesWindow& m_window;
};

// A line command: the rule its button runs, and the button's handler.
struct LineCommand
{
    RuleKind rule;
    QString procedure = procedureOf(rule);
};

inline LineCommand allEmailDataCommand()
{
    return {RuleKind::AllEmailData};
}
inline LineCommand containingCommand()
{
    return {RuleKind::Containing};
}
inline LineCommand notContainingCommand()
{
    return {RuleKind::NotContaining};
}
inline LineCommand lineNumbersCommand()
{
    return {RuleKind::LineNumbers};
}

void runOutlookCommand(StagingWindow& window, const LineCommand& command);
void runExpressCommand(MessagesWindow& window, const LineCommand& command);
// "Start Extracting" of the dialogs; module names the dialog in error reports.
void StartBetween(const QString& module, BetweenInputs& dialog, ServedWindow& window, UnitSource& units);
void StartTextSets(const QString& module, TextSetInputs& dialog, ServedWindow& window, UnitSource& units);

} // namespace rules

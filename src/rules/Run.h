#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
class ProgressControl;
} // namespace platform

namespace rules {

class HitSink;
class UnitSource;

enum class RuleKind { AllEmailData, Containing, NotContaining, LineNumbers, Between, TextSets, Addresses, Pattern };

// One run of a rule with the inputs it started with, as a window's controls or the command line's arguments
// give them.
struct RunRequest
{
    RuleKind rule = RuleKind::AllEmailData;
    QString searchText;  // containing, not containing, the pattern
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

// Runs a request over the units of a source into a sink: the input checks, staging, preparing the sink, the
// pointer, the rule over the units, and putting progress and pointer back. Each step is a numbered statement
// of the handler that starts the run (its module, and the rule's button), and a failure is reported as such.
// The line rules run in the frame of the Outlook window over the staging file, or in that of the Outlook
// Express window over messages.
void run(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback);

// The handler a run of the rule is reported as: its button's click.
QString procedureOf(RuleKind rule);

inline const QString kRestingProgressText = QStringLiteral("Progress Bar");
inline const QString kLookingAtText = QStringLiteral("Please wait.. Looking at.. ");

} // namespace rules

#pragma once

#include <QString>

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

namespace extract {

class HitSink;

// What the extraction commands of the Outlook window read from it and write to it; the window implements
// it, and every value is read at the moment it is used.
class OutlookWindow
{
public:
    virtual ~OutlookWindow() = default;
    virtual bool fromFieldChecked() const = 0; // "Extract emails from 'From' field"
    virtual bool bodyFieldChecked() const = 0; // "Extract emails from 'Body' field"
    virtual bool ignoreCase() const = 0;       // "Turn off case sensitivity"
    virtual QString containingText() const = 0;
    virtual QString notContainingText() const = 0;
    virtual QString lineNumbers() const = 0;
    // Where the mail text is staged (the window: the staging file in the private temporary folder).
    virtual QString stagingPath() const = 0;
    // Rebuilds the staging file from the selected folders and fields; false when it could not.
    virtual bool stageMail(const QString& stagingPath) = 0;
    virtual results::ResultsList& resultsList() = 0;
    // Where the hits go; the window adds them to its results list.
    virtual HitSink& hits() = 0;
    virtual const results::ListOptions& listOptions() const = 0;
    virtual platform::PointerControl& pointer() = 0;
    virtual platform::ProgressControl& progress() = 0;
    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::EventLoop& loop() = 0;
};

// The Outlook window's line commands, each in the run frame: check the inputs, stage the mail, reset the
// results list, run the rule over the staged lines, put the window back to rest.
void PushButton13_ExtractAllEmailData(OutlookWindow& window);
void PushButton2_ExtractContaining(OutlookWindow& window);
void PushButton8_ExtractNotContaining(OutlookWindow& window);
void PushButton7_ExtractByNumber(OutlookWindow& window);

} // namespace extract

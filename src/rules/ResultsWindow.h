#pragma once

namespace platform {
class Dialogs;
class EventLoop;
class ProgressControl;
} // namespace platform
namespace results {
class ListOptions;
class ResultsList;
} // namespace results

namespace rules {

class HitSink;

// A main window as every extraction sees it: its results list with the list options, its case option,
// its progress bar and its desktop. Every value is read at the moment it is used.
class ResultsWindow
{
public:
    virtual ~ResultsWindow() = default;
    virtual bool ignoreCase() const = 0; // "Turn off case sensitivity"
    virtual results::ResultsList& resultsList() = 0;
    virtual const results::ListOptions& listOptions() const = 0;
    // Where the hits go; a window adds them to its results list.
    virtual HitSink& hits() = 0;
    virtual platform::ProgressControl& progress() = 0;
    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::EventLoop& loop() = 0;
};

} // namespace rules

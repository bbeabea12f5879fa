#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace app {
class Trap;
}
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
class LineRule;

// What the line commands read from a main window and write to it; both main windows implement it, and
// every value is read at the moment it is used.
class LineWindow
{
public:
    virtual ~LineWindow() = default;
    virtual bool ignoreCase() const = 0; // "Turn off case sensitivity"
    virtual QString containingText() const = 0;
    virtual QString notContainingText() const = 0;
    virtual QString lineNumbers() const = 0;
    virtual results::ResultsList& resultsList() = 0;
    virtual const results::ListOptions& listOptions() const = 0;
    // Where the hits go; a window adds them to its results list.
    virtual HitSink& hits() = 0;
    virtual platform::PointerControl& pointer() = 0;
    virtual platform::ProgressControl& progress() = 0;
    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::EventLoop& loop() = 0;
};

// One line command: its handler's name, the text box it needs filled, whether the Outlook window shows
// the source being read, and its rule, made once the results list is prepared (the number list reports
// its bad entries through the command's trap).
struct LineCommand
{
    QString procedure;
    std::function<QString(const LineWindow&)> requiredText; // none for "Extract All Email Data"
    bool showsProgressText = false;
    std::function<std::unique_ptr<LineRule>(LineWindow&, app::Trap&)> makeRule;
};

LineCommand allEmailDataCommand();
LineCommand containingCommand();
LineCommand notContainingCommand();
LineCommand lineNumbersCommand();

inline const QString kRestingProgressText = QStringLiteral("Progress Bar");

// The check every command but "Extract All Email Data" makes before anything else happens.
bool requiredTextGiven(LineWindow& window, const LineCommand& command);

} // namespace extract

#pragma once

#include "rules/ResultsWindow.h"

#include <QString>
#include <functional>
#include <memory>

namespace core {
class Trap;
}
namespace platform {
class PointerControl;
}

namespace rules {

class HitSink;
class LineRule;

// What the line commands read from a main window besides its results: the three text boxes and the
// window's pointer.
class LineWindow : public ResultsWindow
{
public:
    virtual QString containingText() const = 0;
    virtual QString notContainingText() const = 0;
    virtual QString lineNumbers() const = 0;
    virtual platform::PointerControl& pointer() = 0;
};

// One line command: its handler's name, the text box it needs filled, whether the Outlook window shows
// the source being read, and its rule, made once the results list is prepared (the number list reports
// its bad entries through the command's trap).
struct LineCommand
{
    QString procedure;
    std::function<QString(const LineWindow&)> requiredText; // none for "Extract All Email Data"
    bool showsProgressText = false;
    std::function<std::unique_ptr<LineRule>(LineWindow&, core::Trap&)> makeRule;
};

LineCommand allEmailDataCommand();
LineCommand containingCommand();
LineCommand notContainingCommand();
LineCommand lineNumbersCommand();

inline const QString kRestingProgressText = QStringLiteral("Progress Bar");

// The check every command but "Extract All Email Data" makes before anything else happens.
bool requiredTextGiven(LineWindow& window, const LineCommand& command);

} // namespace rules

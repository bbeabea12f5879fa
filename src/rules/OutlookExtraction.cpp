#include "rules/OutlookExtraction.h"

#include "core/ErrorReport.h"
#include "rules/LineRule.h"
#include "rules/StagedText.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "results/ResultsCommands.h"

namespace rules {

namespace {

bool inputsReady(StagingWindow& window, const LineCommand& command, core::Trap& trap)
{
    bool ready = true;
    trap(1, [&] {
        if (!window.fromFieldChecked() && !window.bodyFieldChecked()) {
            window.dialogs().message(QStringLiteral("You must check at least one Field option"));
            ready = false;
        }
    });
    if (ready)
        trap(2, [&] { ready = requiredTextGiven(window, command); });
    return ready;
}

} // namespace

void runOutlookCommand(StagingWindow& window, const LineCommand& command)
{
    core::Trap trap(window.dialogs(), QStringLiteral("Form1"), command.procedure);
    if (!inputsReady(window, command, trap))
        return;
    QString path;
    bool staged = false;
    trap(3, [&] {
        path = window.stagingPath();
        staged = window.stageMail(path);
    });
    if (!staged)
        return;
    trap(4, [&] { results::PrepareResultsList(window.resultsList(), window.listOptions()); });
    trap(5, [&] {
        if (command.showsProgressText)
            window.progress().setText(QStringLiteral("Please wait.. Looking at.. ") + path);
    });
    trap(6, [&] { window.pointer().setPointer(platform::Pointer::Hourglass); });
    std::unique_ptr<LineRule> rule;
    trap(7, [&] { rule = command.makeRule(window, trap); });
    trap(8, [&] {
        if (rule)
            scanStagedText(path, *rule, window.hits(), path, window.loop());
    });
    trap(9, [&] { window.pointer().setPointer(platform::Pointer::Default); });
    trap(10, [&] { window.progress().setValue(0); });
    trap(11, [&] { window.progress().setText(kRestingProgressText); });
}

} // namespace rules

#include "extract/OutlookExtraction.h"

#include "app/ErrorReport.h"
#include "extract/NumberList.h"
#include "extract/StagedText.h"
#include "extract/TextRules.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "results/ResultsCommands.h"

#include <functional>
#include <memory>

namespace extract {

namespace {

const QString kRestingText = QStringLiteral("Progress Bar");

struct Command
{
    QString procedure;
    std::function<QString(OutlookWindow&)> requiredText; // empty for "Extract All Email Data"
    bool showsProgressText;
    // Builds the rule once the list is prepared; may report through the trap (the number list).
    std::function<std::unique_ptr<LineRule>(OutlookWindow&, app::Trap&)> makeRule;
};

bool inputsReady(OutlookWindow& window, const Command& command, app::Trap& trap)
{
    bool ready = true;
    trap(1, [&] {
        if (!window.fromFieldChecked() && !window.bodyFieldChecked()) {
            window.dialogs().message(QStringLiteral("You must check at least one Field option"));
            ready = false;
        }
    });
    if (!ready || !command.requiredText)
        return ready;
    trap(2, [&] {
        if (command.requiredText(window).isEmpty()) {
            window.dialogs().message(QStringLiteral("Fill out text to use to extract lines."));
            ready = false;
        }
    });
    return ready;
}

void run(OutlookWindow& window, const Command& command)
{
    app::Trap trap(window.dialogs(), QStringLiteral("Form1"), command.procedure);
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
    trap(11, [&] { window.progress().setText(kRestingText); });
}

std::unique_ptr<LineRule> containing(OutlookWindow& window, ContainingRule::Want want)
{
    auto text =
        want == ContainingRule::Want::Containing ? &OutlookWindow::containingText : &OutlookWindow::notContainingText;
    return std::make_unique<ContainingRule>(
        SearchInput{[&window, text] { return (window.*text)(); }, [&window] { return window.ignoreCase(); }}, want);
}

} // namespace

void PushButton13_ExtractAllEmailData(OutlookWindow& window)
{
    run(window, {QStringLiteral("PushButton13_Click"), nullptr, true,
                 [](OutlookWindow&, app::Trap&) { return std::make_unique<AllLinesRule>(); }});
}

void PushButton2_ExtractContaining(OutlookWindow& window)
{
    run(window, {QStringLiteral("PushButton2_Click"), &OutlookWindow::containingText, true,
                 [](OutlookWindow& w, app::Trap&) { return containing(w, ContainingRule::Want::Containing); }});
}

void PushButton8_ExtractNotContaining(OutlookWindow& window)
{
    run(window, {QStringLiteral("PushButton8_Click"), &OutlookWindow::notContainingText, false,
                 [](OutlookWindow& w, app::Trap&) { return containing(w, ContainingRule::Want::NotContaining); }});
}

void PushButton7_ExtractByNumber(OutlookWindow& window)
{
    run(window, {QStringLiteral("PushButton7_Click"), &OutlookWindow::lineNumbers, false,
                 [](OutlookWindow& w, app::Trap& trap) {
                     return std::make_unique<LineNumberRule>(parseNumberList(w.lineNumbers(), trap, 7));
                 }});
}

} // namespace extract

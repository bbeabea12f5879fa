#include "rules/LineCommands.h"

#include "rules/NumberList.h"
#include "rules/TextRules.h"
#include "platform/Dialogs.h"

namespace rules {

namespace {

std::unique_ptr<LineRule> searchRule(LineWindow& window, ContainingRule::Want want)
{
    auto text = want == ContainingRule::Want::Containing ? &LineWindow::containingText : &LineWindow::notContainingText;
    return std::make_unique<ContainingRule>(
        SearchInput{[&window, text] { return (window.*text)(); }, [&window] { return window.ignoreCase(); }}, want);
}

} // namespace

LineCommand allEmailDataCommand()
{
    return {QStringLiteral("PushButton13_Click"), nullptr, true,
            [](LineWindow&, core::Trap&) { return std::make_unique<AllLinesRule>(); }};
}

LineCommand containingCommand()
{
    return {QStringLiteral("PushButton2_Click"), &LineWindow::containingText, true,
            [](LineWindow& w, core::Trap&) { return searchRule(w, ContainingRule::Want::Containing); }};
}

LineCommand notContainingCommand()
{
    return {QStringLiteral("PushButton8_Click"), &LineWindow::notContainingText, false,
            [](LineWindow& w, core::Trap&) { return searchRule(w, ContainingRule::Want::NotContaining); }};
}

LineCommand lineNumbersCommand()
{
    return {QStringLiteral("PushButton7_Click"), &LineWindow::lineNumbers, false, [](LineWindow& w, core::Trap& trap) {
                return std::make_unique<LineNumberRule>(parseNumberList(w.lineNumbers(), trap, 7));
            }};
}

bool requiredTextGiven(LineWindow& window, const LineCommand& command)
{
    if (!command.requiredText || !command.requiredText(window).isEmpty())
        return true;
    window.dialogs().message(QStringLiteral("Fill out text to use to extract lines."));
    return false;
}

} // namespace rules

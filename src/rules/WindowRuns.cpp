#include "rules/WindowRuns.h"

#include "core/ErrorReport.h"
#include "results/ResultsCommands.h"

#include <cmath>

namespace rules {

namespace {

RunRequest requestOf(ResultsWindow& window, RuleKind rule, const QString& module)
{
    RunRequest request;
    request.rule = rule;
    request.ignoreCase = window.ignoreCase();
    request.removeDuplicates = window.listOptions().removeDuplicates();
    request.showSource = window.listOptions().showSource();
    request.module = module;
    return request;
}

RunRequest lineRequest(LineWindow& window, const LineCommand& command, const QString& module)
{
    RunRequest request = requestOf(window, command.rule, module);
    request.searchText = command.rule == RuleKind::NotContaining ? window.notContainingText() : window.containingText();
    request.lineNumbers = window.lineNumbers();
    return request;
}

} // namespace

StagedFileSource::StagedFileSource(MailStager& stager)
    : StagingSource([&stager] { return stager.stagingPath(); },
                    [&stager](const QString& path) { return stager.stageMail(path); })
{
}

void TickedMessagesSource::forEachUnit(platform::ProgressControl& progress,
                                       const std::function<void(const TextUnit&)>& read)
{
    QList<MessageFile> ticked;
    const int rows = m_window.messageCount();
    for (int row = 1; row <= rows; ++row) {
        if (m_window.messageTicked(row))
            ticked.append({m_window.messagePath(row), int(std::nearbyint(double(row) / rows * 100))});
    }
    MessagesSource messages(ticked, [this](const QString& path) { return m_window.loadMessageBody(path); });
    messages.forEachUnit(progress, read);
}

void runOutlookCommand(StagingWindow& window, const LineCommand& command)
{
    RunRequest request = lineRequest(window, command, QStringLiteral("Form1"));
    request.fieldChosen = window.fromFieldChecked() || window.bodyFieldChecked();
    StagedFileSource units(window);
    run(request, units, window.hits(), {window.dialogs(), window.pointer(), window.progress(), window.loop()});
}

void runExpressCommand(MessagesWindow& window, const LineCommand& command)
{
    TickedMessagesSource units(window);
    run(lineRequest(window, command, QStringLiteral("Form11")), units, window.hits(),
        {window.dialogs(), window.pointer(), window.progress(), window.loop()});
}

void StartBetween(const QString& module, BetweenInputs& dialog, ServedWindow& window, UnitSource& units)
{
    RunRequest request = requestOf(window, RuleKind::Between, module);
    request.startText = dialog.startText();
    request.endText = dialog.endText();
    request.includeStart = dialog.includeStart();
    request.includeEnd = dialog.includeEnd();
    run(request, units, window.hits(), {window.dialogs(), dialog.pointer(), window.progress(), window.loop()});
}

void StartTextSets(const QString& module, TextSetInputs& dialog, ServedWindow& window, UnitSource& units)
{
    RunRequest request = requestOf(window, RuleKind::TextSets, module);
    request.textSets = dialog.items();
    run(request, units, window.hits(), {window.dialogs(), dialog.pointer(), window.progress(), window.loop()});
    // The last statement of the same handler: the dialog closes on every path.
    core::Trap(window.dialogs(), module, QStringLiteral("PushButton4_Click"))(9, [&] { dialog.requestClose(); });
}

} // namespace rules

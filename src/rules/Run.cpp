#include "rules/Run.h"

#include "core/ErrorReport.h"
#include "core/TimeSlice.h"
#include "rules/AddressRule.h"
#include "rules/Between.h"
#include "rules/LineRule.h"
#include "rules/NumberList.h"
#include "rules/PatternRule.h"
#include "rules/StagedText.h"
#include "rules/TextRules.h"
#include "rules/TextSetRule.h"
#include "rules/UnitSource.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"

#include <QStringTokenizer>
#include <optional>

namespace rules {

namespace {

// The check every line rule but "Extract All Email Data" and "Extract E-mail Addresses" makes before anything
// else happens.
bool requiredTextGiven(const RunRequest& request, platform::Dialogs& dialogs)
{
    const bool given = request.rule == RuleKind::AllEmailData || request.rule == RuleKind::Addresses ||
                       !(request.rule == RuleKind::LineNumbers ? request.lineNumbers : request.searchText).isEmpty();
    if (!given)
        dialogs.message(QStringLiteral("Fill out text to use to extract lines."));
    return given;
}

// A pattern that does not compile is reported before anything runs.
bool patternCompiles(const RunRequest& request, platform::Dialogs& dialogs)
{
    if (request.rule != RuleKind::Pattern)
        return true;
    const QString problem = PatternRule(request.searchText, request.ignoreCase).problem();
    if (!problem.isEmpty())
        dialogs.message(problem);
    return problem.isEmpty();
}

// The rule of a line command; the number list reports its bad entries through the command's trap.
std::unique_ptr<LineRule> makeLineRule(const RunRequest& request, core::Trap& trap)
{
    switch (request.rule) {
    case RuleKind::Containing:
        return std::make_unique<ContainingRule>(request.searchText, request.ignoreCase,
                                                ContainingRule::Want::Containing);
    case RuleKind::NotContaining:
        return std::make_unique<ContainingRule>(request.searchText, request.ignoreCase,
                                                ContainingRule::Want::NotContaining);
    case RuleKind::LineNumbers:
        return std::make_unique<LineNumberRule>(parseNumberList(request.lineNumbers, trap, 7));
    case RuleKind::Addresses:
        return std::make_unique<AddressRule>();
    case RuleKind::Pattern:
        return std::make_unique<PatternRule>(request.searchText, request.ignoreCase);
    default:
        return std::make_unique<AllLinesRule>();
    }
}

// Runs a line rule over units: the staging file in blocks, a message body line by line (numbered from 1 in
// every message), yielding once a time slice has passed.
class LineScan
{
public:
    LineScan(LineRule& rule, HitSink& sink, platform::EventLoop& loop)
        : m_rule(rule), m_sink(sink), m_loop(loop), m_slice(loop)
    {
    }

    void operator()(const TextUnit& unit)
    {
        if (!unit.loadBody) {
            scanStagedText(unit.path, m_rule, m_sink, unit.path, m_loop);
            return;
        }
        // A message without a body has no line, not one empty line.
        const QString body = unit.loadBody();
        if (body.isEmpty())
            return;
        LineHits hits(m_sink, unit.path);
        qint64 number = 1;
        for (const QStringView line : QStringTokenizer(body, u"\r\n")) {
            m_slice.step();
            m_rule.scanLine(line, number++, hits);
        }
    }

private:
    LineRule& m_rule;
    HitSink& m_sink;
    platform::EventLoop& m_loop;
    core::TimeSlice m_slice;
};

void restProgress(core::Trap& trap, const RunFeedback& feedback, int firstLine)
{
    trap(firstLine, [&] { feedback.progress.setValue(0); });
    trap(firstLine + 1, [&] { feedback.progress.setText(kRestingProgressText); });
}

// A line command of the Outlook window: check the inputs, stage the mail, prepare the results, run the rule
// over the staged lines, put the window back to rest.
void runOverStagingFile(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback)
{
    core::Trap trap(feedback.dialogs, request.module, procedureOf(request.rule));
    bool ready = true;
    trap(1, [&] {
        if (!request.fieldChosen) {
            feedback.dialogs.message(QStringLiteral("You must check at least one Field option"));
            ready = false;
        }
    });
    if (ready)
        trap(2, [&] {
            ready = requiredTextGiven(request, feedback.dialogs) && patternCompiles(request, feedback.dialogs);
        });
    if (ready)
        trap(3, [&] { ready = units.stage(); });
    if (!ready)
        return;
    trap(4, [&] { sink.prepare(); });
    trap(5, [&] {
        // Only these tell which file they read.
        if (request.rule == RuleKind::AllEmailData || request.rule == RuleKind::Containing ||
            request.rule == RuleKind::Addresses || request.rule == RuleKind::Pattern)
            feedback.progress.setText(kLookingAtText + units.stagingFile());
    });
    trap(6, [&] { feedback.pointer.setPointer(platform::Pointer::Hourglass); });
    std::unique_ptr<LineRule> rule;
    trap(7, [&] { rule = makeLineRule(request, trap); });
    trap(8, [&] {
        if (rule) {
            LineScan scan(*rule, sink, feedback.loop);
            units.forEachUnit(feedback.progress, std::ref(scan));
        }
    });
    trap(9, [&] { feedback.pointer.setPointer(platform::Pointer::Default); });
    restProgress(trap, feedback, 10);
}

// A line command of the Outlook Express window: the rule over the body of each message; a failure in one
// message is reported and the run goes on with the next.
void runOverMessages(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback)
{
    core::Trap trap(feedback.dialogs, request.module, procedureOf(request.rule));
    bool ready = true;
    trap(2,
         [&] { ready = requiredTextGiven(request, feedback.dialogs) && patternCompiles(request, feedback.dialogs); });
    if (!ready)
        return;
    trap(3, [&] { sink.prepare(); });
    std::unique_ptr<LineRule> rule;
    trap(4, [&] { rule = makeLineRule(request, trap); });
    std::optional<LineScan> scan;
    if (rule)
        scan.emplace(*rule, sink, feedback.loop);
    trap(5, [&] {
        if (!scan)
            return;
        units.forEachUnit(feedback.progress, [&](const TextUnit& unit) {
            feedback.pointer.setPointer(platform::Pointer::Hourglass);
            trap(7, [&] { (*scan)(unit); });
        });
    });
    trap(9, [&] { feedback.pointer.setPointer(platform::Pointer::Default); });
    restProgress(trap, feedback, 10);
}

// "Start Extracting" of the between-X-and-Y dialog: check X and Y, get the units ready, prepare the results,
// extract between X and Y from each unit's whole text, rest.
void runBetween(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback)
{
    core::Trap trap(feedback.dialogs, request.module, procedureOf(request.rule));
    bool ready = false;
    trap(1, [&] {
        ready = !request.startText.isEmpty() && !request.endText.isEmpty();
        if (!ready)
            feedback.dialogs.message(
                QStringLiteral("Fill out starting text (or character) and fill out ending text (or character)."));
    });
    if (ready)
        trap(2, [&] { ready = units.stage(); });
    if (!ready)
        return;
    trap(3, [&] { sink.prepare(); });
    trap(4, [&] { feedback.pointer.setPointer(platform::Pointer::Hourglass); });
    trap(5, [&] {
        const BetweenOptions options{request.startText, request.endText, request.ignoreCase, request.includeStart,
                                     request.includeEnd};
        // A message that cannot be read is reported, and the run goes on with the next.
        units.forEachUnit(feedback.progress, [&](const TextUnit& unit) {
            trap(5, [&] {
                if (unit.loadBody)
                    runBetweenOverText(unit.loadBody(), options, sink, unit.path);
                else
                    runBetweenOverFile(unit.path, options, sink, unit.path);
            });
        });
    });
    trap(6, [&] { feedback.pointer.setPointer(platform::Pointer::Default); });
    restProgress(trap, feedback, 7);
}

// "Start Extracting" of the text-set dialog: get the units ready, check the list, prepare the results, offer
// each line once per item it contains; on every path the first column is relabelled.
void runTextSets(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback)
{
    core::Trap trap(feedback.dialogs, request.module, procedureOf(request.rule));
    bool ready = false;
    trap(1, [&] { ready = units.stage(); });
    if (ready) {
        trap(2, [&] { feedback.pointer.setPointer(platform::Pointer::Hourglass); });
        trap(3, [&] {
            if (request.textSets.isEmpty()) {
                ready = false;
                feedback.pointer.setPointer(platform::Pointer::Default);
                feedback.dialogs.message(QStringLiteral("Fill out combobox text to use to extract lines."));
            }
        });
    }
    if (ready) {
        trap(4, [&] { sink.prepare(); });
        trap(5, [&] {
            TextSetRule rule(request.textSets, request.ignoreCase);
            LineScan scan(rule, sink, feedback.loop);
            units.forEachUnit(feedback.progress, [&](const TextUnit& unit) { trap(5, [&] { scan(unit); }); });
        });
    }
    trap(6, [&] { feedback.pointer.setPointer(platform::Pointer::Default); });
    trap(7, [&] { sink.relabelFirstColumn(); });
    trap(8, [&] {
        if (units.readsMessages()) {
            feedback.progress.setValue(0);
            feedback.progress.setText(kRestingProgressText);
        }
    });
}

} // namespace

QString procedureOf(RuleKind rule)
{
    switch (rule) {
    case RuleKind::AllEmailData:
        return QStringLiteral("PushButton13_Click");
    case RuleKind::Containing:
        return QStringLiteral("PushButton2_Click");
    case RuleKind::NotContaining:
        return QStringLiteral("PushButton8_Click");
    case RuleKind::LineNumbers:
        return QStringLiteral("PushButton7_Click");
    case RuleKind::Addresses:
        return QStringLiteral("PushButton24_Click");
    case RuleKind::Pattern:
        return QStringLiteral("PushButton26_Click");
    default:
        return QStringLiteral("PushButton4_Click"); // "Start Extracting" of both dialogs
    }
}

void run(const RunRequest& request, UnitSource& units, HitSink& sink, const RunFeedback& feedback)
{
    switch (request.rule) {
    case RuleKind::Between:
        runBetween(request, units, sink, feedback);
        break;
    case RuleKind::TextSets:
        runTextSets(request, units, sink, feedback);
        break;
    default:
        if (units.readsMessages())
            runOverMessages(request, units, sink, feedback);
        else
            runOverStagingFile(request, units, sink, feedback);
    }
}

} // namespace rules

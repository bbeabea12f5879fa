#include "rules/ExpressExtraction.h"

#include "core/ErrorReport.h"
#include "rules/LineRule.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "core/TimeSlice.h"
#include "results/ResultsCommands.h"

#include <QStringTokenizer>
#include <cmath>

namespace rules {

namespace {

void runOverBody(const QString& body, LineRule& rule, LineHits& hits, core::TimeSlice& slice)
{
    qint64 number = 1;
    for (const QStringView line : QStringTokenizer(body, u"\r\n")) {
        if (slice.step())
            rule.refresh();
        if (const int times = rule.hitsInLine(line, number++))
            hits.add(line.toString(), times);
    }
}

} // namespace

void forEachTickedMessage(MessagesWindow& window, const std::function<void(const QString&, const QString&)>& use)
{
    const int rows = window.messageCount();
    for (int row = 1; row <= rows; ++row) {
        if (!window.messageTicked(row))
            continue;
        const QString path = window.messagePath(row);
        window.progress().setText(QStringLiteral("Please wait.. Looking at.. ") + path);
        window.progress().setValue(int(std::nearbyint(double(row) / rows * 100)));
        use(path, window.loadMessageBody(path));
    }
}

void TickedMessagesSource::scanLines(LineRule& rule, HitSink& sink, platform::EventLoop& loop)
{
    core::TimeSlice slice(loop);
    rule.refresh();
    forEachTickedMessage(m_window, [&](const QString& path, const QString& body) {
        LineHits hits(sink, path);
        runOverBody(body, rule, hits, slice);
    });
}

void TickedMessagesSource::readTexts(TextUnits& units)
{
    forEachTickedMessage(m_window, [&](const QString& path, const QString& body) {
        units.beginUnit(path);
        units.text(body);
        units.endUnit();
    });
}

void runExpressCommand(MessagesWindow& window, const LineCommand& command)
{
    core::Trap trap(window.dialogs(), QStringLiteral("Form11"), command.procedure);
    bool ready = true;
    trap(2, [&] { ready = requiredTextGiven(window, command); });
    if (!ready)
        return;
    trap(3, [&] { results::PrepareResultsList(window.resultsList(), window.listOptions()); });
    std::unique_ptr<LineRule> rule;
    trap(4, [&] {
        rule = command.makeRule(window, trap);
        rule->refresh();
    });
    core::TimeSlice slice(window.loop());
    trap(5, [&] {
        if (!rule)
            return;
        forEachTickedMessage(window, [&](const QString& path, const QString& body) {
            window.pointer().setPointer(platform::Pointer::Hourglass);
            LineHits hits(window.hits(), path);
            trap(7, [&] { runOverBody(body, *rule, hits, slice); });
        });
    });
    trap(9, [&] { window.pointer().setPointer(platform::Pointer::Default); });
    trap(10, [&] { window.progress().setValue(0); });
    trap(11, [&] { window.progress().setText(kRestingProgressText); });
}

} // namespace rules

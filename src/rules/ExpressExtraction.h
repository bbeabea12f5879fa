#pragma once

#include "rules/LineCommands.h"
#include "rules/ServedWindow.h"

#include <functional>

namespace rules {

// The Outlook Express window: its message list, whose ticked rows are the messages a command reads.
class MessagesWindow : public LineWindow
{
public:
    virtual int messageCount() const = 0;
    // Rows count from 1.
    virtual bool messageTicked(int row) const = 0;
    // The message file of a row, in the private temporary folder.
    virtual QString messagePath(int row) const = 0;
    // The message's plain-text body, lines ended by CR LF.
    virtual QString loadMessageBody(const QString& path) = 0;
};

// Reads each ticked message in list order, shows it on the progress bar (its path; its row's share of the
// list) and hands its path and body on.
void forEachTickedMessage(MessagesWindow& window, const std::function<void(const QString&, const QString&)>& use);

// The units of the Outlook Express side for the rule dialogs: the bodies of the ticked messages.
class TickedMessagesSource : public UnitSource
{
public:
    explicit TickedMessagesSource(MessagesWindow& window) : m_window(window) {}
    bool stage() override { return true; }
    void scanLines(LineRule& rule, HitSink& sink, platform::EventLoop& loop) override;
    void readTexts(TextUnits& units) override;
    bool showsProgress() const override { return true; }

private:
    MessagesWindow& m_window;
};

// A line command of the Outlook Express window: the rule runs over the body of each ticked message, whose
// lines are numbered from 1 again in every message; each hit carries its message's path.
void runExpressCommand(MessagesWindow& window, const LineCommand& command);

} // namespace rules

#pragma once

#include "extract/LineCommands.h"

namespace extract {

// The Outlook Express window: its message list, whose ticked rows are the messages a command reads.
class ExpressWindow : public LineWindow
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

// A line command of the Outlook Express window: the rule runs over the body of each ticked message, whose
// lines are numbered from 1 again in every message; each hit carries its message's path.
void runExpressCommand(ExpressWindow& window, const LineCommand& command);

} // namespace extract

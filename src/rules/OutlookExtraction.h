#pragma once

#include "rules/LineCommands.h"
#include "rules/ServedWindow.h"

namespace rules {

// The Outlook window: its field boxes and the staging of the selected mail.
class StagingWindow : public LineWindow, public MailStager
{
public:
    virtual bool fromFieldChecked() const = 0; // "Extract emails from 'From' field"
    virtual bool bodyFieldChecked() const = 0; // "Extract emails from 'Body' field"
};

// A line command of the Outlook window in its run frame: check the inputs, stage the mail, reset the results
// list, run the rule over the staged lines, put the window back to rest.
void runOutlookCommand(StagingWindow& window, const LineCommand& command);

} // namespace rules

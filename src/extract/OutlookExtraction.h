#pragma once

#include "extract/LineCommands.h"

namespace extract {

// The Outlook window: its field boxes and the staging of the selected mail.
class OutlookWindow : public LineWindow
{
public:
    virtual bool fromFieldChecked() const = 0; // "Extract emails from 'From' field"
    virtual bool bodyFieldChecked() const = 0; // "Extract emails from 'Body' field"
    // Where the mail text is staged (the window: the staging file in the private temporary folder).
    virtual QString stagingPath() const = 0;
    // Rebuilds the staging file from the selected folders and fields; false when it could not.
    virtual bool stageMail(const QString& stagingPath) = 0;
};

// A line command of the Outlook window in its run frame: check the inputs, stage the mail, reset the results
// list, run the rule over the staged lines, put the window back to rest.
void runOutlookCommand(OutlookWindow& window, const LineCommand& command);

} // namespace extract

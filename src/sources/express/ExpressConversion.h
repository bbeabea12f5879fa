#pragma once

#include <QString>

#include "sources/express/MessageList.h"

namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
class ProgressControl;
} // namespace platform

namespace sources::express {

class ProcessRunner;

// The converter's name in the program folder.
inline constexpr char kConverterName[] = "DBXToEML";

// What "Extract Emails From Outlook Express" reads from the Outlook Express window and writes to it; the
// window implements it. Rows are counted from 0 and read at the moment they are used.
class ExpressConversionWindow
{
public:
    virtual ~ExpressConversionWindow() = default;
    // The DBX list: how many rows, each row's path and tick.
    virtual int dbxRowCount() const = 0;
    virtual QString dbxPath(int row) const = 0;
    virtual bool dbxTicked(int row) const = 0;
    // The message list and its file names, kept in step: emptied, then appended to in listing order.
    virtual void clearMessages() = 0;
    virtual void appendMessages(const MessageListing& messages) = 0;
    // The folder that holds this program and its converter.
    virtual QString programFolder() const = 0;
    // Where the converted messages are staged: the program's private temporary folder.
    virtual QString stagingFolder() const = 0;
    virtual platform::PointerControl& pointer() = 0;
    virtual platform::ProgressControl& progress() = 0;
    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::EventLoop& loop() = 0;
    // How many converters run at once; with one, each store is converted and waited for in turn, the bar
    // counting the wait.
    virtual int conversionWorkers() const { return 1; }
};

// "Extract Emails From Outlook Express": deletes the staged messages, converts every ticked DBX file with
// the converter (waiting for it while the bar moves), lists the messages after each conversion and ends
// with "Done.". With several workers the stores convert side by side and each store's messages are listed,
// in store order, once it and the stores before it have ended: the list is the one of one store at a time. Failures go
// to the error report at "Form11", "PushButton11_Click". The runner is for tests; by default each conversion runs
// through QProcess.
void convertTickedStores(ExpressConversionWindow& window, ProcessRunner* runner = nullptr);

} // namespace sources::express

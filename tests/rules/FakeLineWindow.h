#pragma once

#include "rules/LineCommands.h"
#include "rules/ResultsSink.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

// What both main windows give the line commands, scripted: the boxes as plain members, a results list, and
// a scripted desktop. Window is StagingWindow or MessagesWindow; the tests add what differs.
template <class Window>
class FakeLineWindow : public Window, public results::ListOptions
{
public:
    bool caseOff = true, dedupe = false, source = false;
    QString text1, text2, text5;
    results::ResultsList list;
    rules::ResultsSink sink{list, *this};
    platform::ScriptedDialogs dialogsScript;
    platform::ScriptedEventLoop loopScript;
    platform::ScriptedPointer pointerScript;
    platform::ScriptedProgress progressScript;

    bool ignoreCase() const override { return caseOff; }
    QString containingText() const override { return text1; }
    QString notContainingText() const override { return text2; }
    QString lineNumbers() const override { return text5; }
    results::ResultsList& resultsList() override { return list; }
    const results::ListOptions& listOptions() const override { return *this; }
    rules::HitSink& hits() override { return sink; }
    platform::PointerControl& pointer() override { return pointerScript; }
    platform::ProgressControl& progress() override { return progressScript; }
    platform::Dialogs& dialogs() override { return dialogsScript; }
    platform::EventLoop& loop() override { return loopScript; }
    bool removeDuplicates() const override { return dedupe; }
    bool showSource() const override { return source; }

    QStringList rows() const
    {
        QStringList texts;
        for (qsizetype i = 0; i < list.count(); ++i)
            texts << list.row(i).extracted();
        return texts;
    }
};

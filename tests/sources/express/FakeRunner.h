#pragma once

#include "platform/Desktop.h"
#include "sources/express/ShellAndWait.h"

#include <QList>
#include <QStringList>
#include <functional>

// A program that runs for a given number of polls without taking any time, recording what the bar showed
// at the start of each poll (so entry k shows the bar after poll k).
class FakeRunner : public sources::express::ProcessRunner
{
public:
    struct Shown
    {
        QString text;
        int value;
    };

    FakeRunner(int polls, int exitCode, const platform::ProgressControl* progress = nullptr)
        : m_polls(polls), m_exitCode(exitCode), m_progress(progress)
    {
    }

    int start(const QString& program, const QStringList& arguments, int windowStyle) override
    {
        starts << (QStringList{program} + arguments);
        styles << windowStyle;
        m_polled = 0;
        if (onStart)
            onStart(arguments);
        return 0;
    }
    int exitCode() override
    {
        if (m_progress)
            shown << Shown{m_progress->text(), m_progress->value()};
        return m_polled++ < m_polls ? sources::express::kStillActive : m_exitCode;
    }
    void pause() override {}

    QList<QStringList> starts;
    QList<int> styles;
    QList<Shown> shown;
    std::function<void(const QStringList&)> onStart;

private:
    int m_polls;
    int m_exitCode;
    const platform::ProgressControl* m_progress;
    int m_polled = 0;
};

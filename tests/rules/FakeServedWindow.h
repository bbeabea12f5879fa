#pragma once

#include "core/TextFiles.h"
#include "rules/ResultsSink.h"
#include "rules/ServedWindow.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"

// A served window over a scripted desktop, whose staging writes a given text to the staging file.
class FakeServedWindow : public rules::ServedWindow, public rules::MailStager, public results::ListOptions
{
public:
    explicit FakeServedWindow(QString stagingPath) : m_path(std::move(stagingPath)) {}

    bool ignoreCase() const override { return caseOff; }
    results::ResultsList& resultsList() override { return list; }
    const results::ListOptions& listOptions() const override { return *this; }
    rules::HitSink& hits() override { return sink; }
    platform::ProgressControl& progress() override { return bar; }
    platform::Dialogs& dialogs() override { return desktop.dialogs; }
    platform::EventLoop& loop() override { return desktop.loop; }
    bool AppClosing() const override { return closing; }
    bool removeDuplicates() const override { return dedupe; }
    bool showSource() const override { return withSource; }
    QString stagingPath() const override { return m_path; }
    bool stageMail(const QString& path) override
    {
        ++stagings;
        if (!stagingWorks)
            return false;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(staged);
        return true;
    }

    QStringList rows() const
    {
        QStringList out;
        for (qsizetype i = 0; i < list.count(); ++i)
            out.append(list.row(i).extracted());
        return out;
    }

    platform::ScriptedPlatform desktop;
    platform::ScriptedProgress bar;
    results::ResultsList list;
    rules::ResultsSink sink{list, *this};
    QByteArray staged;
    bool stagingWorks = true;
    int stagings = 0;
    bool caseOff = false;
    bool dedupe = false;
    bool withSource = false;
    bool closing = false;

private:
    QString m_path;
};

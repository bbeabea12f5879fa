#pragma once

#include "rules/ResultsWindow.h"

#include <QString>

namespace rules {

class HitSink;
class LineRule;

// The main window a rule dialog serves (the Outlook or the Outlook Express window): the dialog's hits go
// into its results list with its options.
class ServedWindow : public ResultsWindow
{
public:
    // True once the window has been asked to close; the dialogs then really close.
    virtual bool AppClosing() const = 0;
};

// Receives the text of each unit (a staged file, a message body) in consecutive pieces.
class TextUnits
{
public:
    virtual ~TextUnits() = default;
    virtual void beginUnit(const QString& sourcePath) = 0;
    virtual void text(QStringView piece) = 0;
    virtual void endUnit() = 0;
};

// Where a dialog's run reads its text from. The twins of a dialog differ in this and in the window served.
class UnitSource
{
public:
    virtual ~UnitSource() = default;
    // Gets the text ready before the run (the Outlook side stages the mail); false ends the run before the
    // results list is touched.
    virtual bool stage() = 0;
    // Runs a rule over every line of every unit; hits carry the unit's path.
    virtual void scanLines(LineRule& rule, HitSink& sink, platform::EventLoop& loop) = 0;
    virtual void readTexts(TextUnits& units) = 0;
    // Whether the run shows its progress on the window's bar, which is then put back to rest at the end.
    virtual bool showsProgress() const = 0;
};

// The Outlook side's staging: rebuilding the staging file from the selected folders and fields.
class MailStager
{
public:
    virtual ~MailStager() = default;
    virtual QString stagingPath() const = 0;
    // getAllEmailOutlook; false when the staging file could not be made (the reader has said why).
    virtual bool stageMail(const QString& stagingPath) = 0;
};

// The Outlook side's units: the one staging file, staged anew for every run.
class StagedFileSource : public UnitSource
{
public:
    explicit StagedFileSource(MailStager& stager) : m_stager(stager) {}
    bool stage() override;
    void scanLines(LineRule& rule, HitSink& sink, platform::EventLoop& loop) override;
    // The file in blocks of 65,536 characters.
    void readTexts(TextUnits& units) override;
    bool showsProgress() const override { return false; }

private:
    MailStager& m_stager;
    QString m_path;
};

} // namespace rules

#pragma once

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/XdgFileAssociations.h"

#include <random>

class QProgressBar;
class QWidget;

namespace platform {

// Dialogs as Qt widgets, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    FileDialogAnswer openFile(const FileDialogRequest& request) override;
    FileDialogAnswer saveFile(const FileDialogRequest& request) override;
};

class QtEventLoop : public EventLoop
{
public:
    void yieldOnce() override;
    void endProgram() override;
    // True once the program was asked to end, also before the event loop ran.
    bool ended() const { return m_ended; }

private:
    bool m_ended = false;
};

class QtClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString& text) override;
};

class QtOpener : public Opener
{
public:
    bool open(const QString& address) override;
};

class QtProgressBar : public ProgressControl
{
public:
    explicit QtProgressBar(QProgressBar& bar);
    QString text() const override { return m_text; }
    void setText(const QString& text) override;
    int value() const override;
    void setValue(int value) override;

private:
    QProgressBar& m_bar;
    QString m_text;
};

// Seeded from the clock, as the home-page draw wants a different number on every start.
class ClockRandom : public RandomSource
{
public:
    ClockRandom();
    int between(int low, int high) override;

private:
    std::mt19937 m_engine;
};

struct QtPlatform
{
    QtDialogs dialogs;
    QtEventLoop loop;
    QtClipboard clipboard;
    QtOpener opener;
    ClockRandom random;
    XdgFileAssociations associations;
    Platform platform() { return {dialogs, loop, clipboard, opener, random, associations}; }
};

// Turns a common-dialog filter string into Qt's name filters ("Text Files (*.txt)").
QStringList qtNameFilters(const QString& filter);

// Builds the common dialog's answer from the chosen paths: one path whole, several as folder NUL name NUL ...
QString joinSelection(const QStringList& paths);

} // namespace platform

#pragma once

#include "platform/Desktop.h"
#include "platform/Dialogs.h"

#include <functional>

namespace cli {

// Message boxes become lines on standard error; questions get no answer. Every message counts as a
// failure of the run: on this path the program shows only its error messages.
class ConsoleDialogs : public platform::Dialogs
{
public:
    platform::Answer messageBox(const QString& text, platform::Buttons buttons, platform::Icon icon,
                                const QString& title) override;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    platform::FileDialogAnswer openFile(const platform::FileDialogRequest&) override { return {}; }
    platform::FileDialogAnswer saveFile(const platform::FileDialogRequest&) override { return {}; }
    int shown() const { return m_shown; }

private:
    int m_shown = 0;
};

// Yields show how far the run has got, on a terminal only.
class ConsoleLoop : public platform::EventLoop
{
public:
    explicit ConsoleLoop(std::function<QString()> status);
    ~ConsoleLoop() override;
    void yieldOnce() override;
    void endProgram() override {}
    // Takes the status line off the terminal, if one is shown.
    void clearStatus();

private:
    std::function<QString()> m_status;
    bool m_terminal;
    bool m_shownStatus = false;
};

class ConsolePointer : public platform::PointerControl
{
public:
    platform::Pointer pointer() const override { return m_pointer; }
    void setPointer(platform::Pointer pointer) override { m_pointer = pointer; }

private:
    platform::Pointer m_pointer = platform::Pointer::Default;
};

class ConsoleProgress : public platform::ProgressControl
{
public:
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }
    int value() const override { return m_value; }
    void setValue(int value) override { m_value = value; }

private:
    QString m_text;
    int m_value = 0;
};

} // namespace cli

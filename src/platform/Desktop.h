#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>

namespace platform {

// Thrown at a yield of long work once the user asked to cancel it; the command that started the work
// catches it, keeps what was done so far and says so.
struct RunCancelled
{
};

// What the desktop session offers besides dialogs: the event loop, the clipboard, opening addresses.
class EventLoop
{
public:
    virtual ~EventLoop() = default;
    // Lets windows repaint and handle pending input once; returns at once when nothing is pending.
    virtual void yieldOnce() = 0;
    // The yield of long work: yields once, then throws RunCancelled when the user asked meanwhile to cancel
    // the run. Handlers of window events yield with yieldOnce, which never throws.
    void yieldWithinRun()
    {
        yieldOnce();
        if (m_cancelRequested)
            throw RunCancelled{};
    }
    // Asks the run going on, if any, to stop at its next yield.
    void requestCancel() { m_cancelRequested = m_runs > 0; }
    bool runGoing() const { return m_runs > 0; }
    // Ends the program at once, closing every window without further questions.
    virtual void endProgram() = 0;
    // A monotonic clock in milliseconds, by which long work decides when to yield next.
    virtual qint64 clockMs() const
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

private:
    friend class RunScope;
    int m_runs = 0;
    bool m_cancelRequested = false;
};

// Marks long work as the run going on while it lives; a cancel request ends with the last run.
class RunScope
{
public:
    explicit RunScope(EventLoop& loop) : m_loop(loop) { ++m_loop.m_runs; }
    ~RunScope()
    {
        if (--m_loop.m_runs == 0)
            m_loop.m_cancelRequested = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    EventLoop& m_loop;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Both answer false when the clipboard refused the attempt.
    virtual bool clear() = 0;
    virtual bool setText(const QString& text) = 0;
};

class Opener
{
public:
    virtual ~Opener() = default;
    // Opens a web address or a file in the program the desktop chooses; false when none could be started.
    virtual bool open(const QString& address) = 0;
};

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A whole number from low to high, both included.
    virtual int between(int low, int high) = 0;
};

// The mouse-pointer values the windows use.
enum class Pointer { Default = 0, Hourglass = 11, Custom = 99 };

// One window's mouse pointer.
class PointerControl
{
public:
    virtual ~PointerControl() = default;
    virtual Pointer pointer() const = 0;
    virtual void setPointer(Pointer pointer) = 0;
    bool isBusy() const { return pointer() == Pointer::Hourglass; }
};

// A progress bar: a shown text and a value from 0 to 100.
class ProgressControl
{
public:
    virtual ~ProgressControl() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual int value() const = 0;
    virtual void setValue(int value) = 0;
};

// Everything a window needs from the desktop, chosen once by main() or by a test.
struct Platform
{
    class Dialogs& dialogs;
    EventLoop& loop;
    Clipboard& clipboard;
    Opener& opener;
    RandomSource& random;
    class FileAssociations& associations;
};

} // namespace platform

#pragma once

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ScriptedFileAssociations.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

namespace platform {

struct ShownMessage
{
    QString text;
    QString title;
    Buttons buttons;
    Icon icon;
};

// Dialogs answered from a script. A message box without a scripted answer is answered OK (or No for a
// Yes/No question); an input box or file dialog without one is cancelled. Everything shown is recorded.
class ScriptedDialogs : public Dialogs
{
public:
    void answerMessage(Answer answer) { m_answers.push_back(answer); }
    void answerInput(const QString& text) { m_inputs.push_back(text); }
    void answerFile(const FileDialogAnswer& answer) { m_files.push_back(answer); }

    const QList<ShownMessage>& messages() const { return m_messages; }
    QStringList messageTexts() const;
    const QStringList& inputPrompts() const { return m_prompts; }
    const QList<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    bool lastFileDialogWasSave() const { return m_lastWasSave; }
    void clearRecord();

    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    FileDialogAnswer openFile(const FileDialogRequest& request) override;
    FileDialogAnswer saveFile(const FileDialogRequest& request) override;

private:
    FileDialogAnswer nextFile(const FileDialogRequest& request);

    std::deque<Answer> m_answers;
    std::deque<QString> m_inputs;
    std::deque<FileDialogAnswer> m_files;
    QList<ShownMessage> m_messages;
    QStringList m_prompts;
    QList<FileDialogRequest> m_fileRequests;
    bool m_lastWasSave = false;
};

class ScriptedEventLoop : public EventLoop
{
public:
    void yieldOnce() override;
    void endProgram() override { m_ended = true; }
    // A clock the test drives, so that where a time slice ends does not depend on the machine's speed: it
    // advances by msPerRead at every reading and stands still otherwise.
    qint64 clockMs() const override { return m_clockMs += msPerRead; }
    qint64 msPerRead = 0;
    int yields() const { return m_yields; }
    bool ended() const { return m_ended; }
    // Runs on every yield, to act while a command is in progress.
    std::function<void()> onYield;

private:
    mutable qint64 m_clockMs = 0;
    int m_yields = 0;
    bool m_ended = false;
};

class ScriptedClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString& text) override;
    QString text;
    int failuresLeft = 0; // attempts that fail before the clipboard accepts one
};

class ScriptedOpener : public Opener
{
public:
    bool open(const QString& address) override;
    QStringList opened;
    bool succeeds = true;
};

class ScriptedRandom : public RandomSource
{
public:
    explicit ScriptedRandom(int value = 1) : value(value) {}
    int between(int low, int high) override;
    int value;
};

class ScriptedPointer : public PointerControl
{
public:
    Pointer pointer() const override { return m_pointer; }
    void setPointer(Pointer pointer) override;
    const QList<Pointer>& history() const { return m_history; }

private:
    Pointer m_pointer = Pointer::Default;
    QList<Pointer> m_history;
};

class ScriptedProgress : public ProgressControl
{
public:
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }
    int value() const override { return m_value; }
    void setValue(int value) override { m_value = value; }

private:
    QString m_text = QStringLiteral("Progress Bar");
    int m_value = 0;
};

// One scripted desktop for a test.
struct ScriptedPlatform
{
    ScriptedDialogs dialogs;
    ScriptedEventLoop loop;
    ScriptedClipboard clipboard;
    ScriptedOpener opener;
    ScriptedRandom random;
    ScriptedFileAssociations associations;
    Platform platform() { return {dialogs, loop, clipboard, opener, random, associations}; }
};

} // namespace platform

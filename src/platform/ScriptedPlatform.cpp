#include "platform/ScriptedPlatform.h"

#include <algorithm>

namespace platform {

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const ShownMessage& m : m_messages)
        texts.append(m.text);
    return texts;
}

void ScriptedDialogs::clearRecord()
{
    m_messages.clear();
    m_prompts.clear();
    m_fileRequests.clear();
}

Answer ScriptedDialogs::messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    m_messages.append({text, title, buttons, icon});
    if (!m_answers.empty()) {
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString&, const QString&)
{
    m_prompts.append(prompt);
    if (m_inputs.empty())
        return {};
    QString text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

FileDialogAnswer ScriptedDialogs::openFile(const FileDialogRequest& request)
{
    m_lastWasSave = false;
    return nextFile(request);
}

FileDialogAnswer ScriptedDialogs::saveFile(const FileDialogRequest& request)
{
    m_lastWasSave = true;
    return nextFile(request);
}

FileDialogAnswer ScriptedDialogs::nextFile(const FileDialogRequest& request)
{
    m_fileRequests.append(request);
    if (m_files.empty())
        return {};
    FileDialogAnswer answer = m_files.front();
    m_files.pop_front();
    return answer;
}

void ScriptedEventLoop::yieldOnce()
{
    ++m_yields;
    if (onYield)
        onYield();
}

bool ScriptedClipboard::clear()
{
    if (failuresLeft > 0) {
        --failuresLeft;
        return false;
    }
    text.clear();
    return true;
}

bool ScriptedClipboard::setText(const QString& newText)
{
    if (failuresLeft > 0) {
        --failuresLeft;
        return false;
    }
    text = newText;
    return true;
}

bool ScriptedOpener::open(const QString& address)
{
    opened.append(address);
    return succeeds;
}

int ScriptedRandom::between(int low, int high)
{
    return std::clamp(value, low, high);
}

void ScriptedPointer::setPointer(Pointer pointer)
{
    m_pointer = pointer;
    m_history.append(pointer);
}

} // namespace platform

#include "ConsoleDesktop.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

platform::Answer ConsoleDialogs::messageBox(const QString& text, platform::Buttons buttons, platform::Icon,
                                            const QString&)
{
    ++m_shown;
    // An error report's last paragraph asks for a screenshot; on a console the description and place suffice.
    QString line = text.section(QStringLiteral("\r\r"), 0, 0);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    std::fprintf(stderr, "quillmere-cli: %s\n", line.toUtf8().constData());
    return buttons == platform::Buttons::YesNo ? platform::Answer::No : platform::Answer::Ok;
}

ConsoleLoop::ConsoleLoop(std::function<QString()> status) : m_status(std::move(status)), m_terminal(isatty(2) == 1) {}

ConsoleLoop::~ConsoleLoop()
{
    clearStatus();
}

void ConsoleLoop::clearStatus()
{
    if (m_shownStatus)
        std::fputs("\r\033[K", stderr);
    m_shownStatus = false;
}

void ConsoleLoop::yieldOnce()
{
    if (!m_terminal)
        return;
    std::fprintf(stderr, "\r\033[K%s", m_status().toUtf8().constData());
    std::fflush(stderr);
    m_shownStatus = true;
}

} // namespace cli

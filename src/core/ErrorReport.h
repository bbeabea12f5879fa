#pragma once

#include "platform/Desktop.h"

#include <QString>

namespace platform {
class Dialogs;
}

namespace core {

// The mail address error reports ask users to write to; empty unless the build names one.
QString supportAddress();

// "in Quillmere2021/08/31.<module>.<procedure> "
QString errorLocation(const QString& module, const QString& procedure);

// The description, where it happened and, when there is a support address, whom to tell.
QString errorReportText(const QString& module, const QString& procedure, int line, const QString& description,
                        const QString& address = supportAddress());

// Shows the "Application Error" box for a failure at a numbered statement of a procedure.
void ShowErrorReport(platform::Dialogs& dialogs, const QString& module, const QString& procedure, int line,
                     const QString& description);

// The error trap of a command handler. Each statement runs under its number; a failure shows the error
// report with that number and the handler goes on with its next statement, as it would after OK. A cancelled
// run is no failure: it passes on to the command that started the run.
class Trap
{
public:
    Trap(platform::Dialogs& dialogs, QString module, QString procedure)
        : m_dialogs(dialogs), m_module(std::move(module)), m_procedure(std::move(procedure))
    {
    }

    // Runs one statement; answers false when it failed (and was reported).
    template <class Statement>
    bool operator()(int line, Statement&& statement)
    {
        try {
            statement();
            return true;
        } catch (const platform::RunCancelled&) {
            throw;
        } catch (...) {
            report(line);
            return false;
        }
    }

private:
    void report(int line);

    platform::Dialogs& m_dialogs;
    QString m_module;
    QString m_procedure;
};

} // namespace core

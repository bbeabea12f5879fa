#include "core/ErrorReport.h"

#include "core/AppError.h"
#include "platform/Dialogs.h"

#include <new>
#include <stdexcept>

namespace core {

namespace {

// Describes the exception in flight the way the error report words it.
QString currentFailure()
{
    try {
        throw;
    } catch (const AppError& e) {
        return e.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected failure");
    }
}

} // namespace

QString errorLocation(const QString& module, const QString& procedure)
{
    return QStringLiteral("in Quillmere2021/08/31.%1.%2 ").arg(module, procedure);
}

QString supportAddress()
{
    return QStringLiteral(QUILLMERE_SUPPORT_ADDRESS);
}

QString errorReportText(const QString& module, const QString& procedure, int line, const QString& description,
                        const QString& address)
{
    QString text = description + QStringLiteral("\r\n") + errorLocation(module, procedure) +
                   QStringLiteral("at line ") + QString::number(line);
    if (!address.isEmpty())
        text += QStringLiteral("\r\rPlease email screenshot of this message to ") + address;
    return text;
}

void ShowErrorReport(platform::Dialogs& dialogs, const QString& module, const QString& procedure, int line,
                     const QString& description)
{
    dialogs.messageBox(errorReportText(module, procedure, line, description), platform::Buttons::Ok,
                       platform::Icon::Exclamation, QStringLiteral("Application Error"));
}

void Trap::report(int line)
{
    ShowErrorReport(m_dialogs, m_module, m_procedure, line, currentFailure());
}

} // namespace core

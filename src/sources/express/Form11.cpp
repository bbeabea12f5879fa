#include "sources/express/Form11.h"

#include "app/ErrorReport.h"
#include "app/Form1.h"
#include "app/TempFolder.h"
#include "app/TextFiles.h"
#include "sources/outlook/OutlookModel.h"

#include <QDir>

namespace sources::express {

Form11::Form11(app::WindowContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Quillmere"));
    resize(900, 640);
}

void Form11::Form_QueryUnload()
{
    app::Trap trap(m_context.platform.dialogs, QStringLiteral("Form11"), QStringLiteral("Form_QueryUnload"));
    trap(1, [&] { m_context.platform.loop.yieldOnce(); });
    trap(2, [&] { m_context.platform.loop.yieldOnce(); });
    trap(3, [&] { app::DeleteFiles(QDir(app::privateTempFolder()).filePath(QStringLiteral("*.eml"))); });
    trap(4, [&] { m_context.platform.loop.yieldOnce(); });
    trap(5, [&] { m_context.platform.loop.yieldOnce(); });
}

void Form11::Form_Unload()
{
    // Without Outlook this window is the program.
    if (!outlook::IsOutlookAvailable(m_context.outlook))
        m_context.platform.loop.endProgram();
}

void Form11::done(int result)
{
    // Every way of closing (title bar, Escape) passes here once.
    Form_QueryUnload();
    QDialog::done(result);
    Form_Unload();
}

} // namespace sources::express

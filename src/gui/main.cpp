#include "gui/MainWindow.h"
#include "core/Settings.h"
#include "platform/QtPlatform.h"
#include "sources/outlook/ProfileStores.h"
#include "sources/outlook/PstApplication.h"

#include <QApplication>
#include <QIcon>

namespace {

// The theme's icon when the package installed it, else the one built into the program.
QIcon windowIcon()
{
    QIcon builtIn;
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
        builtIn.addFile(QStringLiteral(":/icons/%1/apps/" QUILLMERE_APP_ID ".png").arg(QLatin1String(size)));
    return QIcon::fromTheme(QStringLiteral(QUILLMERE_APP_ID), builtIn);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop file name lets docks and Wayland match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMERE_APP_ID));
    QApplication::setWindowIcon(windowIcon());
    platform::QtPlatform desktop;
    core::Settings settings(core::defaultSettingsPath());
    // Outlook's part is played by the PST/OST files of the profile, read directly.
    auto stores = [&settings] { return sources::outlook::profileStores(settings); };
    sources::outlook::PstApplicationFactory outlook(stores);

    gui::MainWindow form({desktop.platform(), settings, outlook, QCoreApplication::applicationDirPath(), stores});
    form.loadWindow();
    // Without Outlook the start-up showed the Outlook Express window instead, and closing it ended the program.
    if (desktop.loop.ended())
        return 0;
    form.show();
    return application.exec();
}

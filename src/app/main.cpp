#include "app/Form1.h"
#include "app/Settings.h"
#include "platform/QtPlatform.h"
#include "sources/outlook/ProfileStores.h"
#include "sources/outlook/PstApplication.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::QtPlatform desktop;
    app::Settings settings(app::defaultSettingsPath());
    // Outlook's part is played by the PST/OST files of the profile, read directly.
    auto stores = [&settings] { return sources::outlook::profileStores(settings); };
    sources::outlook::PstApplicationFactory outlook(stores);

    app::Form1 form({desktop.platform(), settings, outlook, QCoreApplication::applicationDirPath(), stores});
    form.Form_Load();
    // Without Outlook the start-up showed the Outlook Express window instead, and closing it ended the program.
    if (desktop.loop.ended())
        return 0;
    form.show();
    return application.exec();
}

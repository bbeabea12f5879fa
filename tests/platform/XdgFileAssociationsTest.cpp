#include "platform/XdgFileAssociations.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

// The desktop's answer, from a test folder laid out as the XDG folders: config/ for the user's settings, home/
// and system/ for the data folders.
TEST(XdgAssociations, InstalledProgramsListingTheTypeCountUnlessHiddenOrRemoved)
{
    const testsupport::TempDir dir;
    const QByteArray xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    const auto desktopFile = [&](const QString& relative, const QByteArray& body) {
        dir.write(relative, "[Desktop Entry]\nType=Application\nName=Calc\nExec=calc %U\n" + body);
    };
    const auto answer = [&] {
        return platform::XdgFileAssociations({dir.file(u"config"_qs)}, {dir.file(u"home"_qs), dir.file(u"system"_qs)})
            .hasProgramFor(QString::fromLatin1(xlsx));
    };
    EXPECT_FALSE(answer());
    desktopFile(u"system/applications/viewer.desktop"_qs, "MimeType=text/plain;\n");
    dir.write(u"config/mimeapps.list"_qs, "[Default Applications]\n" + xlsx + "=gone.desktop\n");
    EXPECT_FALSE(answer()); // another type, and a default that is not installed
    desktopFile(u"system/applications/office/calc.desktop"_qs, "MimeType=" + xlsx + ";\n");
    EXPECT_TRUE(answer());
    // The user's own copy of the same ID hides the program.
    desktopFile(u"home/applications/office-calc.desktop"_qs, "Hidden=true\n");
    EXPECT_FALSE(answer());
    desktopFile(u"system/applications/sheets.desktop"_qs, "");
    dir.write(u"system/applications/mimeinfo.cache"_qs, "[MIME Cache]\n" + xlsx + "=sheets.desktop;\n");
    EXPECT_TRUE(answer());
    dir.write(u"config/mimeapps.list"_qs, "[Removed Associations]\n" + xlsx + "=sheets.desktop;\n");
    EXPECT_FALSE(answer());
}

#include "sources/outlook/ProfileStores.h"

#include "app/Settings.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using namespace sources::outlook;
using testsupport::TempDir;

QString touch(const TempDir& dir, const QString& relative)
{
    const QString path = dir.file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return dir.write(relative, "x");
}

TEST(ProfileStoresTest, DefaultFindsStoresInOutlooksPlaces)
{
    TempDir home;
    TempDir wine;
    const QString own = touch(home, QStringLiteral("Documents/Outlook Files/Outlook.PST"));
    const QString ownOst = touch(home, QStringLiteral("Documents/Outlook Files/archive.ost"));
    touch(home, QStringLiteral("Documents/Outlook Files/notes.txt"));
    touch(home, QStringLiteral("Documents/elsewhere.pst"));
    const QString bob = touch(wine, QStringLiteral("drive_c/users/bob/Documents/Outlook Files/bob.pst"));
    const QString annLocal = touch(wine, QStringLiteral("drive_c/users/ann/AppData/Local/Microsoft/Outlook/ann.ost"));
    const QString ann = touch(wine, QStringLiteral("drive_c/users/ann/Documents/Outlook Files/ann.pst"));

    EXPECT_EQ(defaultProfileStores(home.path(), wine.path()), QStringList({ownOst, own, ann, bob, annLocal}));
    EXPECT_EQ(defaultProfileStores(home.path(), QString()), QStringList({ownOst, own}));
}

TEST(ProfileStoresTest, StoredListWinsAndAnEmptyOneIsAnEmptyProfile)
{
    TempDir dir;
    app::Settings settings(dir.file(QStringLiteral("settings.ini")));
    const QStringList stores = {QStringLiteral("/mail/a b.pst"), QStringLiteral("/mail/c.ost")};

    storeProfileStores(settings, stores);
    EXPECT_EQ(settings.value(QString::fromLatin1(kProfileStoresKey)),
              std::optional<QString>(QStringLiteral("/mail/a b.pst!!!QUIBB!!!/mail/c.ost")));
    EXPECT_EQ(profileStores(settings), stores);

    storeProfileStores(settings, {});
    EXPECT_EQ(profileStores(settings), QStringList());
}

} // namespace

#include "sources/outlook/ProfileStores.h"

#include "core/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace sources::outlook;
using testsupport::TempDir;

TEST(ProfileStoresTest, DefaultFindsStoresInOutlooksPlaces)
{
    TempDir home, wine;
    const QString own = home.write(u"Documents/Outlook Files/Outlook.PST"_qs, "x");
    const QString ownOst = home.write(u"Documents/Outlook Files/archive.ost"_qs, "x");
    home.write(u"Documents/Outlook Files/notes.txt"_qs, "x");
    home.write(u"Documents/elsewhere.pst"_qs, "x");
    const QString bob = wine.write(u"drive_c/users/bob/Documents/Outlook Files/bob.pst"_qs, "x");
    const QString annLocal = wine.write(u"drive_c/users/ann/AppData/Local/Microsoft/Outlook/ann.ost"_qs, "x");
    const QString ann = wine.write(u"drive_c/users/ann/Documents/Outlook Files/ann.pst"_qs, "x");

    EXPECT_EQ(defaultProfileStores(home.path(), wine.path()), QStringList({ownOst, own, ann, bob, annLocal}));
    EXPECT_EQ(defaultProfileStores(home.path(), QString()), QStringList({ownOst, own}));
}

TEST(ProfileStoresTest, StoredListWinsAndAnEmptyOneIsAnEmptyProfile)
{
    TempDir dir;
    core::Settings settings(dir.file(u"settings.ini"_qs));
    const QStringList stores = {u"/mail/a b.pst"_qs, u"/mail/c.ost"_qs};

    storeProfileStores(settings, stores);
    EXPECT_EQ(settings.value(QString::fromLatin1(kProfileStoresKey)),
              std::optional<QString>(u"/mail/a b.pst!!!QUIBB!!!/mail/c.ost"_qs));
    EXPECT_EQ(profileStores(settings), stores);

    storeProfileStores(settings, {});
    EXPECT_EQ(profileStores(settings), QStringList());
}

} // namespace

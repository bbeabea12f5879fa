#include "ExpressFixtures.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/Express1.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/MemoryRegistry.h"
#include "sources/express/RegistrySource.h"
#include "sources/express/WindowsPaths.h"
#include "sources/express/WineRegistry.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace sources::express;
using expresstest::listedStoreFiles;
using expresstest::text;

namespace {

const QString kFailure =
    core::errorReportText(u"Express1"_qs, u"SearchIdentities"_qs, 1, u"DBXFiles component failure"_qs);

// Nothing found in a run without an earlier discovery: the two reports, nothing else.
void expectNothingFound(const RegistryBackend& registry)
{
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_TRUE(discovery.DBXFileList.isEmpty());
    EXPECT_FALSE(discovery.StoreFolders.has_value());
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({kFailure, core::errorReportText(u"Express1"_qs, u"SearchIdentities"_qs, 2,
                                                           u"Subscript out of range"_qs)}));
    EXPECT_EQ(dialogs.messages().value(1).title, u"Application Error"_qs);
}

} // namespace

// Both hold three identities, the second without an Outlook Express key. A store folder holds besides its
// two stores files that are skipped (Folders, Pop3uidl, hidden, not .dbx) and a folder with a store inside.
TEST(SearchIdentities, ListsTheStoresOfTheFirstAndThirdIdentitiesFromWineAndHive)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture wine(dir.path());
    const expresstest::HiveFixture hive(dir.path());
    const WineRegistry fromWine(wine.prefix);
    const HiveRegistry fromHive(hive.hive);
    const std::tuple<const RegistryBackend*, QString, QString> sources[] = {{&fromWine, wine.store1, wine.store3},
                                                                            {&fromHive, hive.store1, hive.store3}};
    for (const auto& [registry, store1, store3] : sources) {
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, *registry, dialogs);
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
        EXPECT_EQ(discovery.StoreFolders, QStringList({store1, store3}));
        EXPECT_EQ(discovery.DBXFileList, listedStoreFiles(store1) + listedStoreFiles(store3));
        // A failing search afterwards reports once and searches the last folders again.
        discovery.DBXFileList.clear();
        SearchIdentities(discovery, MemoryRegistry(), dialogs);
        EXPECT_EQ(dialogs.messageTexts(), QStringList({kFailure}));
        EXPECT_EQ(discovery.DBXFileList, listedStoreFiles(store1) + listedStoreFiles(store3));
    }
}

TEST(SearchIdentities, TheHiveSettingWinsOverTheWinePrefix)
{
    testsupport::TempDir dir;
    core::Settings settings(dir.file(u"Brindlewick.ini"_qs));
    settings.store(QLatin1String(kRegistryHiveKey), u"  "_qs);
    EXPECT_TRUE(dynamic_cast<WineRegistry*>(registryFor(settings).get()));
    settings.store(QLatin1String(kRegistryHiveKey), u"/disk/NTUSER.DAT"_qs);
    EXPECT_TRUE(dynamic_cast<HiveRegistry*>(registryFor(settings).get()));
}

// No identities, an empty Identities key, real hives without a store, damaged, cut or missing sources.
TEST(SearchIdentities, NothingToFindReportsTwice)
{
    MemoryRegistry registry;
    expectNothingFound(registry);
    registry.addKey(kHkeyCurrentUser, u"Identities"_qs);
    expectNothingFound(registry);
    for (const QString& name : {u"hive/dfwinreg-NTUSER.DAT"_qs, u"hive/test_ntuser.dat"_qs}) {
        if (!testsupport::fixture(name).isEmpty())
            expectNothingFound(HiveRegistry(testsupport::fixture(name)));
    }

    testsupport::TempDir dir;
    const QByteArray reg = expresstest::WinePrefixFixture(dir.path()).userRegText;
    for (const QByteArray& text : {QByteArray(), QByteArray("\x00\x01\x02\xff\xfe garbage \x00", 16), reg.mid(1),
                                   reg.left(reg.indexOf("\"Store Root\"") + 20), // cut inside the first Store Root
                                   reg.left(reg.indexOf("[Identities\\\\{1111")), QByteArray(3 * 1024 * 1024, '[')}) {
        dir.write(u"prefix/user.reg"_qs, text);
        expectNothingFound(WineRegistry(dir.file(u"prefix"_qs)));
    }

    const QString hive = expresstest::HiveFixture(dir.path()).hive;
    const QByteArray whole = testsupport::TempDir::read(hive);
    ASSERT_GT(whole.size(), 4096);
    const QByteArray zeroedBins = whole.left(4096) + QByteArray(whole.size() - 4096, '\0');
    for (const QByteArray& bytes :
         {QByteArray(), whole.left(4096), whole.left(whole.size() - 1000), QByteArray(whole).replace(0, 1, "X"),
          zeroedBins, QByteArray(whole.size(), '\xff')}) {
        dir.write(u"disk/Users/alice/NTUSER.DAT"_qs, bytes);
        expectNothingFound(HiveRegistry(hive));
    }
    expectNothingFound(HiveRegistry(dir.file(u"missing/NTUSER.DAT"_qs)));
    expectNothingFound(HiveRegistry(dir.path()));
}

// 1: no Outlook Express key; 2: a key without subkeys; 3: a version key without values; 4: values but no
// "Store Root"; 5: a number as "Store Root"; 6: a blank one; 7 and 8: stores. A drive the source knows maps
// (the folder need not exist); one it does not know stays as written. Neither lists files (a Windows text is
// never taken for a relative local path).
TEST(SearchIdentities, SkipsIdentitiesWithoutAStoreFolderAndListsTheOthers)
{
    MemoryRegistry registry;
    registry.setEnvironmentVariable(u"USERPROFILE"_qs, u"C:\\Users\\u"_qs);
    registry.setDriveFolder(u'C', u"/nonexistent-drive"_qs);
    const auto key = [](int id) { return u"Identities\\{%1}\\Software\\Microsoft\\Outlook Express\\5.0"_qs.arg(id); };
    registry.addKey(kHkeyCurrentUser, u"Identities\\{1}\\Software"_qs);
    registry.addKey(kHkeyCurrentUser, u"Identities\\{2}\\Software\\Microsoft\\Outlook Express"_qs);
    registry.addKey(kHkeyCurrentUser, key(3));
    registry.addKey(kHkeyCurrentUser, u"Identities\\ "_qs);
    const std::pair<int, RegistryData> values[] = {
        {4, text(u"Other"_qs, u"x"_qs)},
        {5, expresstest::dword(u"Store Root"_qs, 1)},
        {6, text(u"Store Root"_qs, u"  "_qs)},
        {7, text(u"store root"_qs, u"%USERPROFILE%\\Seven"_qs, kRegExpandSz)},
        {8, text(u"Store Root"_qs, u"E:\\Eight"_qs)}};
    for (const auto& [id, value] : values)
        registry.setValue(kHkeyCurrentUser, key(id).split(u'\\'), value);

    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(discovery.StoreFolders, QStringList({u"/nonexistent-drive/Users/u/Seven"_qs, u"E:\\Eight"_qs}));
    EXPECT_TRUE(discovery.DBXFileList.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// Wine keeps [Volatile Environment] out of user.reg: the profile is then the user's folder below drive_c/users
// whatever its letter case, and with no dosdevices folder drive C: is drive_c.
TEST(WinePrefix, ProfileFromVolatileEnvironmentElseTheUsersFolder)
{
    testsupport::TempDir dir;
    dir.write(u"user.reg"_qs, "WINE REGISTRY Version 2\n");
    ASSERT_TRUE(QDir().mkpath(dir.file(u"drive_c/users/Public"_qs)) &&
                QDir().mkpath(dir.file(u"drive_c/users/Bob"_qs)));
    const WineRegistry byUser(dir.path(), u"bob"_qs);
    EXPECT_EQ(expandWindowsVariables(byUser, u"%USERPROFILE%|%USERNAME%"_qs), u"C:\\users\\Bob|Bob"_qs);
    EXPECT_EQ(byUser.driveFolder(u'C'), QFileInfo(dir.file(u"drive_c"_qs)).canonicalFilePath());
    EXPECT_TRUE(byUser.driveFolder(u'd').isEmpty());

    dir.write(u"user.reg"_qs,
              "WINE REGISTRY Version 2\n[Volatile Environment]\n\"USERPROFILE\"=\"C:\\\\users\\\\Public\"\n");
    EXPECT_EQ(expandWindowsVariables(WineRegistry(dir.path(), u"bob"_qs), u"%UserProfile%"_qs),
              u"C:\\users\\Public"_qs);
}

TEST(WinePrefix, VariablesExpandAndPathsMapWhateverTheirCase)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    dir.write(u"prefix/user.reg"_qs, fixture.userRegText + QByteArray(R"(
[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders] 1600000000
"AppData"=str(2):"%USERPROFILE%\\AppData\\Roaming"
[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1600000000
"Local AppData"="C:\\users\\winuser\\AppData\\Local"
[Environment] 1600000000
"TEMP"=str(2):"%USERPROFILE%\\Temp"
"LOOP"=str(2):"%LOOP%"
)"));
    const WineRegistry registry(fixture.prefix, u"someone"_qs);
    const std::pair<QString, QString> variables[] = {
        {u"%userprofile%\\a"_qs, u"C:\\users\\winuser\\a"_qs},
        {u"%appdata%\\x"_qs, u"C:\\users\\winuser\\AppData\\Roaming\\x"_qs},
        {u"%LocalAppData%"_qs, u"C:\\users\\winuser\\AppData\\Local"_qs},
        {u"%temp%"_qs, u"C:\\users\\winuser\\Temp"_qs},
        {u"%NOPE%\\%USERNAME%"_qs, u"%NOPE%\\winuser"_qs},
        {u"%NOPE%USERNAME%"_qs, u"%NOPEwinuser"_qs},
        {u"100% sure"_qs, u"100% sure"_qs},
        {u"%LOOP%"_qs, u"%LOOP%"_qs},
    };
    for (const auto& [text, expanded] : variables)
        EXPECT_EQ(expandWindowsVariables(registry, text), expanded) << text.toStdString();

    const QString driveC = QFileInfo(fixture.prefix + u"/drive_c"_qs).canonicalFilePath();
    EXPECT_TRUE(registry.driveFolder(u'e').isEmpty());
    const std::pair<QString, QString> paths[] = {
        {u"C:\\Users\\WinUser\\Local Settings\\Application Data\\Identities\\"_qs + expresstest::kId1 +
             u"\\Microsoft\\Outlook Express\\INBOX.DBX"_qs,
         fixture.store1 + u"/inbox.dbx"_qs},
        {u"c:/users/winuser/./second/../Second"_qs, driveC + u"/users/winuser/Second"_qs},
        {u"C:\\users\\winuser\\No Such\\Folder"_qs, driveC + u"/users/winuser/No Such/Folder"_qs}, // kept as written
        {u"C:"_qs, driveC},
        {u"E:\\Mail"_qs, QString()},
        {u"\\\\server\\share"_qs, QString()},
        {u"Mail\\Inbox"_qs, QString()},
        {u"%UserProfile%"_qs, QString()},
    };
    for (const auto& [windowsPath, local] : paths)
        EXPECT_EQ(localPathFor(registry, windowsPath), local) << windowsPath.toStdString();
}

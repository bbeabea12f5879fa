#include "ExpressFixtures.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/DBXFiles.h"
#include "sources/express/Express1.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/MemoryRegistry.h"
#include "sources/express/RegistrySource.h"
#include "sources/express/WineRegistry.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace sources::express;
using expresstest::listedStoreFiles;

namespace {

QString failureReport()
{
    return core::errorReportText(u"Express1"_qs, u"SearchIdentities"_qs, 1, u"DBXFiles component failure"_qs);
}

// Nothing found in a run without an earlier discovery: the Part's two reports, nothing else.
void expectNothingFound(const RegistryBackend& registry)
{
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_TRUE(discovery.DBXFileList.isEmpty());
    EXPECT_FALSE(discovery.StoreFolders.has_value());
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({failureReport(), core::errorReportText(u"Express1"_qs, u"SearchIdentities"_qs, 2,
                                                                  u"Subscript out of range"_qs)}));
    for (const platform::ShownMessage& m : dialogs.messages())
        EXPECT_EQ(m.title, u"Application Error"_qs);
}

} // namespace

// The Wine prefix and the hive hold three identities, the second without an Outlook Express key.
TEST(SearchIdentities, ListsTheFirstAndThirdIdentitiesStoresFromWineAndHive)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture wine(dir.path());
    const expresstest::HiveFixture hive(dir.path());
    const WineRegistry fromWine(wine.prefix);
    const HiveRegistry fromHive(hive.hive);
    ASSERT_TRUE(fromHive.isOpen());
    const std::tuple<const RegistryBackend*, QString, QString> sources[] = {{&fromWine, wine.store1, wine.store3},
                                                                            {&fromHive, hive.store1, hive.store3}};
    for (const auto& [registry, store1, store3] : sources) {
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, *registry, dialogs);
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
        ASSERT_TRUE(discovery.StoreFolders.has_value());
        EXPECT_EQ(*discovery.StoreFolders, QStringList({store1, store3}));
        EXPECT_EQ(discovery.DBXFileList, listedStoreFiles(store1) + listedStoreFiles(store3));
    }
}

TEST(SearchIdentities, TheHiveSettingWinsOverTheWinePrefix)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture wine(dir.path());
    core::Settings settings(dir.file(u"Brindlewick.ini"_qs));
    const testsupport::EnvGuard prefix("WINEPREFIX", wine.prefix);
    EXPECT_EQ(registryFor(settings)->description(), u"Wine prefix "_qs + wine.prefix);
    settings.store(QLatin1String(kRegistryHiveKey), u"  "_qs);
    EXPECT_EQ(registryFor(settings)->description(), u"Wine prefix "_qs + wine.prefix);
    settings.store(QLatin1String(kRegistryHiveKey), u"/disk/NTUSER.DAT"_qs);
    EXPECT_EQ(registryFor(settings)->description(), u"registry hive /disk/NTUSER.DAT"_qs);
}

TEST(GetStoreFolder, NoIdentityFailsAsAWholeWithNumberSourceAndDescription)
{
    MemoryRegistry registry;
    platform::ScriptedDialogs dialogs;
    try {
        DBXFiles(registry, dialogs).GetStoreFolder();
        FAIL() << "no failure";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), -2147221504 + 100);
        EXPECT_EQ(e.source(), u"Quillmere.DBXFiles.GetStoreFolder"_qs);
        EXPECT_EQ(e.description(), u"DBXFiles component failure"_qs);
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
    expectNothingFound(registry);
    registry.addKey(kHkeyCurrentUser, u"Identities"_qs); // the key without an identity: the same
    expectNothingFound(registry);
}

TEST(GetStoreFolder, SkipsIdentitiesWithoutAStoreFolderAndListsTheOthers)
{
    MemoryRegistry registry;
    registry.setEnvironmentVariable(u"USERPROFILE"_qs, u"C:\\Users\\u"_qs);
    registry.setDriveFolder(u'C', u"/nonexistent-drive"_qs);
    const auto key = [](int id) { return u"Identities\\{%1}\\Software\\Microsoft\\Outlook Express\\5.0"_qs.arg(id); };
    // 1: no Outlook Express key; 2: a key without subkeys; 3: a version key without values; 4: values but no
    // "Store Root"; 5: a number as "Store Root"; 6: a blank one; 7 and 8: stores.
    registry.addKey(kHkeyCurrentUser, u"Identities\\{1}\\Software"_qs);
    registry.addKey(kHkeyCurrentUser, u"Identities\\{2}\\Software\\Microsoft\\Outlook Express"_qs);
    registry.addKey(kHkeyCurrentUser, key(3));
    registry.setString(kHkeyCurrentUser, key(4), u"Other"_qs, u"x"_qs);
    registry.setDword(kHkeyCurrentUser, key(5), u"Store Root"_qs, 1);
    registry.setString(kHkeyCurrentUser, key(6), u"Store Root"_qs, u"  "_qs);
    registry.setString(kHkeyCurrentUser, key(7), u"store root"_qs, u"%USERPROFILE%\\Seven"_qs, kRegExpandSz);
    registry.setString(kHkeyCurrentUser, key(8), u"Store Root"_qs, u"E:\\Eight"_qs);
    registry.addKey(kHkeyCurrentUser, u"Identities\\ "_qs);

    platform::ScriptedDialogs dialogs;
    // A drive the source knows maps (the folder need not exist); one it does not know stays as written.
    EXPECT_EQ(DBXFiles(registry, dialogs).GetStoreFolder(),
              QStringList({u"/nonexistent-drive/Users/u/Seven"_qs, u"E:\\Eight"_qs}));
    // Searching them lists nothing (and a Windows text is never taken for a relative local path).
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(discovery.StoreFolders->size(), 2);
    EXPECT_TRUE(discovery.DBXFileList.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SearchIdentities, AFailureAfterASuccessSearchesTheLastFoldersAgain)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, WineRegistry(fixture.prefix), dialogs);
    discovery.DBXFileList.clear();
    SearchIdentities(discovery, MemoryRegistry(), dialogs);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({failureReport()}));
    EXPECT_EQ(*discovery.StoreFolders, QStringList({fixture.store1, fixture.store3}));
    EXPECT_EQ(discovery.DBXFileList, listedStoreFiles(fixture.store1) + listedStoreFiles(fixture.store3));
}

TEST(SearchIdentities, CorruptOrTruncatedUserRegOrHiveFindsNothing)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture wine(dir.path());
    const QByteArray& reg = wine.userRegText;
    for (const QByteArray& text : {QByteArray(), QByteArray("\x00\x01\x02\xff\xfe garbage \x00", 16), reg.mid(1),
                                   reg.left(reg.indexOf("\"Store Root\"") + 20), // cut inside the first Store Root
                                   reg.left(reg.indexOf("[Identities\\\\{1111")), QByteArray(3 * 1024 * 1024, '[')}) {
        expresstest::writeFile(wine.userReg, text);
        expectNothingFound(WineRegistry(wine.prefix));
    }

    const expresstest::HiveFixture hive(dir.path());
    const QByteArray whole = testsupport::TempDir::read(hive.hive);
    ASSERT_GT(whole.size(), 4096);
    QByteArray badSignature = whole;
    badSignature[0] = 'X';
    QByteArray zeroedBins = whole;
    zeroedBins.replace(4096, whole.size() - 4096, QByteArray(whole.size() - 4096, '\0'));
    for (const QByteArray& bytes : {QByteArray(), whole.left(4096), whole.left(whole.size() - 1000), badSignature,
                                    zeroedBins, QByteArray(whole.size(), '\xff')}) {
        expresstest::writeFile(hive.hive, bytes);
        expectNothingFound(HiveRegistry(hive.hive));
    }
}

TEST(GetDBXFilesInPath, ListsDbxFilesOfTheFolderByNameSkippingFoldersAndPop3uidl)
{
    testsupport::TempDir dir;
    const QString folder = dir.file(u"store"_qs);
    expresstest::makeFiles(folder, {u"outbox.DBX"_qs, u"Inbox.dbx"_qs, u"Deleted Items.Dbx"_qs, u"FOLDERS.dbx"_qs,
                                    u"pop3uidl.DBX"_qs, u".hidden.dbx"_qs, u"inbox.dbx.bak"_qs, u"dbx"_qs});
    ASSERT_TRUE(QDir(folder).mkpath(u"Sub.dbx"_qs));
    expresstest::makeFiles(folder + u"/nested"_qs, {u"Nested.dbx"_qs});
    QStringList files{u"stale"_qs};
    DBXFiles::GetDBXFilesInPath(folder + u'/', files);
    EXPECT_EQ(files,
              QStringList({folder + u"/Deleted Items.Dbx"_qs, folder + u"/Inbox.dbx"_qs, folder + u"/outbox.DBX"_qs}));
    DBXFiles::GetDBXFilesInPath(dir.file(u"missing"_qs), files);
    EXPECT_TRUE(files.isEmpty());
    DBXFiles::GetDBXFilesInPath(u"store"_qs, files);
    EXPECT_TRUE(files.isEmpty());
}

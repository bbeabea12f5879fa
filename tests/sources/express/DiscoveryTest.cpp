#include "ExpressFixtures.h"
#include "app/ErrorReport.h"
#include "app/Settings.h"
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
    return app::errorReportText(QStringLiteral("Express1"), QStringLiteral("SearchIdentities"), 1,
                                QStringLiteral("DBXFiles component failure"));
}

QString subscriptReport()
{
    return app::errorReportText(QStringLiteral("Express1"), QStringLiteral("SearchIdentities"), 2,
                                QStringLiteral("Subscript out of range"));
}

// Nothing found in a run without an earlier discovery: the Part's two reports, nothing else.
void expectNothingFound(const StoreDiscovery& discovery, const platform::ScriptedDialogs& dialogs)
{
    EXPECT_TRUE(discovery.DBXFileList.isEmpty());
    EXPECT_FALSE(discovery.StoreFolders.has_value());
    EXPECT_EQ(dialogs.messageTexts(), QStringList({failureReport(), subscriptReport()}));
    for (const platform::ShownMessage& m : dialogs.messages())
        EXPECT_EQ(m.title, QStringLiteral("Application Error"));
}

QStringList expectedFiles(const QString& store1, const QString& store3)
{
    return listedStoreFiles(store1) + listedStoreFiles(store3);
}

} // namespace

TEST(SearchIdentities, WinePrefixListsTheFirstAndThirdIdentitiesStores)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry registry(fixture.prefix);
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;

    SearchIdentities(discovery, registry, dialogs);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
    ASSERT_TRUE(discovery.StoreFolders.has_value());
    EXPECT_EQ(*discovery.StoreFolders, QStringList({fixture.store1, fixture.store3}));
    EXPECT_EQ(discovery.DBXFileList, expectedFiles(fixture.store1, fixture.store3));

    // Pressed twice without emptying the list: listed twice.
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(discovery.DBXFileList,
              expectedFiles(fixture.store1, fixture.store3) + expectedFiles(fixture.store1, fixture.store3));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SearchIdentities, HiveListsTheFirstAndThirdIdentitiesStores)
{
    testsupport::TempDir dir;
    const expresstest::HiveFixture fixture(dir.path());
    const HiveRegistry registry(fixture.hive);
    ASSERT_TRUE(registry.isOpen());
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;

    SearchIdentities(discovery, registry, dialogs);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
    ASSERT_TRUE(discovery.StoreFolders.has_value());
    EXPECT_EQ(*discovery.StoreFolders, QStringList({fixture.store1, fixture.store3}));
    EXPECT_EQ(discovery.DBXFileList, expectedFiles(fixture.store1, fixture.store3));

    SearchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(discovery.DBXFileList.size(), 8);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SearchIdentities, TheSettingsChooseTheSource)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture wine(dir.path());
    const expresstest::HiveFixture hive(dir.path());
    app::Settings settings(dir.file(QStringLiteral("Brindlewick.ini")));

    const QByteArray savedPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(wine.prefix));
    const std::unique_ptr<RegistryBackend> fromWine = registryFor(settings);
    settings.store(QLatin1String(kRegistryHiveKey), QStringLiteral("  "));
    const std::unique_ptr<RegistryBackend> blankSetting = registryFor(settings);
    settings.store(QLatin1String(kRegistryHiveKey), hive.hive);
    const std::unique_ptr<RegistryBackend> fromHive = registryFor(settings);
    if (savedPrefix.isNull())
        qunsetenv("WINEPREFIX");
    else
        qputenv("WINEPREFIX", savedPrefix);

    EXPECT_EQ(fromWine->description(), QStringLiteral("Wine prefix ") + wine.prefix);
    EXPECT_EQ(blankSetting->description(), QStringLiteral("Wine prefix ") + wine.prefix);
    EXPECT_EQ(fromHive->description(), QStringLiteral("registry hive ") + hive.hive);

    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, *fromHive, dialogs);
    EXPECT_EQ(discovery.DBXFileList, expectedFiles(hive.store1, hive.store3));
    discovery.DBXFileList.clear();
    SearchIdentities(discovery, *fromWine, dialogs);
    EXPECT_EQ(discovery.DBXFileList, expectedFiles(wine.store1, wine.store3));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SearchIdentities, NoIdentitiesKeyFailsWithTheComponentFailure)
{
    MemoryRegistry registry;
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Software\\Microsoft"));
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    expectNothingFound(discovery, dialogs);

    // No identity under the key: the same.
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities"));
    platform::ScriptedDialogs again;
    StoreDiscovery discovery2;
    SearchIdentities(discovery2, registry, again);
    expectNothingFound(discovery2, again);
}

TEST(GetStoreFolder, FailsAsAWholeWithNumberSourceAndDescription)
{
    MemoryRegistry registry;
    platform::ScriptedDialogs dialogs;
    const DBXFiles dbx(registry, dialogs);
    try {
        dbx.GetStoreFolder();
        FAIL() << "no failure";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), -2147221404);
        EXPECT_EQ(e.number(), -2147221504 + 100);
        EXPECT_EQ(e.source(), QStringLiteral("Quillmere.DBXFiles.GetStoreFolder"));
        EXPECT_EQ(e.description(), QStringLiteral("DBXFiles component failure"));
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(GetStoreFolder, SkipsIdentitiesWithoutAStoreFolderAndListsTheOthers)
{
    MemoryRegistry registry;
    registry.setEnvironmentVariable(QStringLiteral("USERPROFILE"), QStringLiteral("C:\\Users\\u"));
    registry.setDriveFolder(u'C', QStringLiteral("/nonexistent-drive"));
    const QString oe = QStringLiteral("\\Software\\Microsoft\\Outlook Express");
    // 1: no Outlook Express key; 2: an Outlook Express key without subkeys; 3: a version key without
    // values; 4: values but no "Store Root"; 5: a number as "Store Root"; 6: a blank one; 7 and 8: stores.
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{1}\\Software"));
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{2}") + oe);
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{3}") + oe + QStringLiteral("\\5.0"));
    registry.setString(kHkeyCurrentUser, QStringLiteral("Identities\\{4}") + oe + QStringLiteral("\\5.0"),
                       QStringLiteral("Other"), QStringLiteral("x"));
    registry.setDword(kHkeyCurrentUser, QStringLiteral("Identities\\{5}") + oe + QStringLiteral("\\5.0"),
                      QStringLiteral("Store Root"), 1);
    registry.setString(kHkeyCurrentUser, QStringLiteral("Identities\\{6}") + oe + QStringLiteral("\\5.0"),
                       QStringLiteral("Store Root"), QStringLiteral("  "));
    registry.setString(kHkeyCurrentUser, QStringLiteral("Identities\\{7}") + oe + QStringLiteral("\\5.0"),
                       QStringLiteral("store root"), QStringLiteral("%USERPROFILE%\\Seven"), kRegExpandSz);
    registry.setString(kHkeyCurrentUser, QStringLiteral("Identities\\{8}") + oe + QStringLiteral("\\5.0"),
                       QStringLiteral("Store Root"), QStringLiteral("E:\\Eight"));
    registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\ "));

    platform::ScriptedDialogs dialogs;
    const DBXFiles dbx(registry, dialogs);
    // A drive the source knows maps (the folder need not exist); one it does not know stays as written.
    EXPECT_EQ(dbx.GetStoreFolder(),
              QStringList({QStringLiteral("/nonexistent-drive/Users/u/Seven"), QStringLiteral("E:\\Eight")}));
    EXPECT_TRUE(dialogs.messages().isEmpty());

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
    ASSERT_EQ(discovery.DBXFileList.size(), 4);

    discovery.DBXFileList.clear();
    MemoryRegistry empty;
    SearchIdentities(discovery, empty, dialogs);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({failureReport()}));
    EXPECT_EQ(*discovery.StoreFolders, QStringList({fixture.store1, fixture.store3}));
    EXPECT_EQ(discovery.DBXFileList, expectedFiles(fixture.store1, fixture.store3));
}

TEST(SearchIdentities, VariablesExpandWhateverTheirCase)
{
    testsupport::TempDir dir;
    const QString drive = dir.file(QStringLiteral("c"));
    MemoryRegistry registry;
    registry.setEnvironmentVariable(QStringLiteral("UserProfile"), QStringLiteral("C:\\Users\\Ann"));
    registry.setDriveFolder(u'c', drive);
    registry.setString(kHkeyCurrentUser,
                       QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"),
                       QStringLiteral("AppData"), QStringLiteral("%USERPROFILE%\\AppData\\Roaming"), kRegExpandSz);
    const QStringList roots{QStringLiteral("%UserProfile%\\A"), QStringLiteral("%USERPROFILE%\\B"),
                            QStringLiteral("%userprofile%\\C"), QStringLiteral("C:\\Users\\%username%\\D"),
                            QStringLiteral("%AppData%\\E")};
    QStringList expected;
    for (qsizetype i = 0; i < roots.size(); ++i) {
        const QString id = QStringLiteral("{%1}").arg(i);
        registry.setString(kHkeyCurrentUser,
                           QStringLiteral("Identities\\") + id +
                               QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0"),
                           QStringLiteral("Store Root"), roots[i], kRegExpandSz);
    }
    const QStringList folders{drive + QStringLiteral("/Users/Ann/A"), drive + QStringLiteral("/Users/Ann/B"),
                              drive + QStringLiteral("/Users/Ann/C"), drive + QStringLiteral("/Users/Ann/D"),
                              drive + QStringLiteral("/Users/Ann/AppData/Roaming/E")};
    for (const QString& folder : folders) {
        expresstest::makeFiles(folder, {QStringLiteral("Inbox.dbx")});
        expected.append(folder + QStringLiteral("/Inbox.dbx"));
    }
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    SearchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(*discovery.StoreFolders, folders);
    EXPECT_EQ(discovery.DBXFileList, expected);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SearchIdentities, RealHivesWithoutOutlookExpressFindNothing)
{
    for (const char* name : {"hive/dfwinreg-NTUSER.DAT", "hive/test_ntuser.dat"}) {
        const QString path = testsupport::fixture(QLatin1String(name));
        if (path.isEmpty())
            GTEST_SKIP() << "fixture " << name << " not found beside the repository (../shared/fixtures)";
        const HiveRegistry registry(path);
        ASSERT_TRUE(registry.isOpen()) << name;
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, registry, dialogs);
        expectNothingFound(discovery, dialogs);
    }
}

TEST(SearchIdentities, CorruptOrTruncatedUserRegFindsNothing)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const qsizetype firstStoreRoot = fixture.userRegText.indexOf("\"Store Root\"");
    ASSERT_GT(firstStoreRoot, 0);
    const QList<QByteArray> damaged{
        QByteArray(),
        QByteArray("\x00\x01\x02\xff\xfe garbage \x00", 16),
        fixture.userRegText.mid(1),                    // header damaged
        fixture.userRegText.left(firstStoreRoot + 20), // cut inside the first Store Root
        fixture.userRegText.left(fixture.userRegText.indexOf("[Identities\\\\{1111")),
        QByteArray(3 * 1024 * 1024, '['),
    };
    for (const QByteArray& text : damaged) {
        expresstest::writeFile(fixture.userReg, text);
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, WineRegistry(fixture.prefix), dialogs);
        expectNothingFound(discovery, dialogs);
    }
}

TEST(SearchIdentities, EveryTruncationOfUserRegListsAPrefixOfTheStores)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const QStringList all = expectedFiles(fixture.store1, fixture.store3);
    for (qsizetype size = 0; size < fixture.userRegText.size(); size += 7) {
        expresstest::writeFile(fixture.userReg, fixture.userRegText.left(size));
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, WineRegistry(fixture.prefix), dialogs);
        if (discovery.DBXFileList.isEmpty()) {
            expectNothingFound(discovery, dialogs);
        } else {
            EXPECT_TRUE(dialogs.messages().isEmpty()) << size;
            EXPECT_EQ(discovery.DBXFileList, all.mid(0, discovery.DBXFileList.size())) << size;
        }
    }
}

TEST(SearchIdentities, CorruptOrTruncatedHiveFindsNothing)
{
    testsupport::TempDir dir;
    const expresstest::HiveFixture fixture(dir.path());
    const QByteArray whole = testsupport::TempDir::read(fixture.hive);
    ASSERT_GT(whole.size(), 4096);
    QByteArray badSignature = whole;
    badSignature[0] = 'X';
    QByteArray zeroedBins = whole;
    zeroedBins.replace(4096, whole.size() - 4096, QByteArray(whole.size() - 4096, '\0'));
    for (const QByteArray& bytes : {QByteArray(), whole.left(4096), whole.left(whole.size() - 1000), badSignature,
                                    zeroedBins, QByteArray(whole.size(), '\xff')}) {
        expresstest::writeFile(fixture.hive, bytes);
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, HiveRegistry(fixture.hive), dialogs);
        expectNothingFound(discovery, dialogs);
    }
}

TEST(GetDBXFilesInPath, ListsDbxFilesOfTheFolderByName)
{
    testsupport::TempDir dir;
    const QString folder = dir.file(QStringLiteral("store"));
    expresstest::makeFiles(
        folder, {QStringLiteral("outbox.DBX"), QStringLiteral("Inbox.dbx"), QStringLiteral("Deleted Items.Dbx"),
                 QStringLiteral("FOLDERS.dbx"), QStringLiteral("pop3uidl.DBX"), QStringLiteral(".hidden.dbx"),
                 QStringLiteral("inbox.dbx.bak"), QStringLiteral("dbx"), QStringLiteral("Offline.dbx")});
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("Sub.dbx")));
    expresstest::makeFiles(folder + QStringLiteral("/nested"), {QStringLiteral("Nested.dbx")});
    QStringList files{QStringLiteral("stale")};
    DBXFiles::GetDBXFilesInPath(folder, files);
    EXPECT_EQ(files, QStringList({folder + QStringLiteral("/Deleted Items.Dbx"), folder + QStringLiteral("/Inbox.dbx"),
                                  folder + QStringLiteral("/Offline.dbx"), folder + QStringLiteral("/outbox.DBX")}));
    DBXFiles::GetDBXFilesInPath(folder + u'/', files);
    EXPECT_EQ(files.size(), 4);
    EXPECT_EQ(files.first(), folder + QStringLiteral("/Deleted Items.Dbx"));

    DBXFiles::GetDBXFilesInPath(dir.file(QStringLiteral("missing")), files);
    EXPECT_TRUE(files.isEmpty());
    DBXFiles::GetDBXFilesInPath(QStringLiteral("store"), files);
    EXPECT_TRUE(files.isEmpty());
    DBXFiles::GetDBXFilesInPath(QString(), files);
    EXPECT_TRUE(files.isEmpty());
}

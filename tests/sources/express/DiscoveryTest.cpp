#include "ExpressFixtures.h"
#include "core/ErrorReport.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/StoreDiscovery.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/MemoryRegistry.h"
#include "sources/express/WindowsPaths.h"
#include "sources/express/WineRegistry.h"
#include "support/TempDir.h"

#include <QBuffer>

using namespace sources::express;
using expresstest::dword;
using expresstest::listedStoreFiles;
using expresstest::text;

namespace {

// The subkeys and values of a key below HKEY_CURRENT_USER ("" for the root); malformed paths are tested apart.
platform::ScriptedDialogs silent;
const auto keysOf = [](const RegistryBackend& registry, const QString& key) {
    return EnumRegistryKeys(registry, silent, u"HKEY_CURRENT_USER"_qs + (key.isEmpty() ? QString() : u'\\' + key));
};
const auto valuesOf = [](const RegistryBackend& registry, const QString& key) {
    return EnumRegistryValues(registry, silent, u"HKEY_CURRENT_USER\\"_qs + key);
};

const QByteArray kBlob =
    QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f2021222324");

// What every backend is built from: keys made deepest first and out of name order, "Identities" named again
// in other letter case, a name outside ASCII, and every kind of value (a type word outside the known types
// too, as a damaged hive may carry; binary data long enough for user.reg to continue it over lines).
const QList<expresstest::RegistryKey> kKeys = {
    {u"Identities\\{b}\\Software"_qs, {}},
    {u"Identities\\{A}"_qs,
     {text(u"Username"_qs, u"Main \"Identity\" \\ caf\u00e9"_qs),
      text(u"Store Root"_qs, u"%UserProfile%\\x"_qs, kRegExpandSz), dword(u"Ordinal"_qs, 0xfffffffeu),
      RegistryData{u"Empty"_qs, kRegSz, {}}, RegistryData{u"Blob"_qs, kRegBinary, kBlob},
      RegistryData{u"Strange"_qs, 0x002e0003u, "xy"}, RegistryData{u"Nul"_qs, kRegSz, QByteArray("a\0b\0\0\0c\0", 8)},
      RegistryData{u"Odd"_qs, kRegExpandSz, QByteArray("a\0b", 3)}, text(QString(), u"default"_qs)}},
    {u"IDENTITIES\\{C}"_qs, {}},
    {u"Caf\u00e9\\Sub"_qs, {}},
};

struct UserReg
{
    static std::unique_ptr<RegistryBackend> make(const testsupport::TempDir& dir)
    {
        dir.write(u"prefix/user.reg"_qs, expresstest::wineUserReg(kKeys));
        return std::make_unique<WineRegistry>(dir.file(u"prefix"_qs));
    }
};

struct Hive
{
    static std::unique_ptr<RegistryBackend> make(const testsupport::TempDir& dir)
    {
        expresstest::buildHive(dir.file(u"NTUSER.DAT"_qs), kKeys);
        return std::make_unique<HiveRegistry>(dir.file(u"NTUSER.DAT"_qs));
    }
};

template <class Backend>
class RegistryContract : public ::testing::Test
{
protected:
    testsupport::TempDir dir;
    std::unique_ptr<RegistryBackend> registry = Backend::make(dir);
    platform::ScriptedDialogs dialogs;
};

// A Wine prefix answers from the in-memory tree it reads user.reg into.
using Backends = ::testing::Types<UserReg, Hive>;
TYPED_TEST_SUITE(RegistryContract, Backends);

std::unique_ptr<MemoryRegistry> parsed(const QByteArray& text)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    auto registry = std::make_unique<MemoryRegistry>();
    readWineRegistry(buffer, *registry, kHkeyCurrentUser);
    return registry;
}

void expectValues(const RegistryValues& values, const QList<std::pair<QString, QVariant>>& expected)
{
    EXPECT_EQ(values.count(), expected.size());
    for (const auto& [name, value] : expected)
        EXPECT_EQ(values.value(name), value) << name.toStdString();
}

// Nothing found, also after a search that found stores elsewhere: an empty result, and no error.
void expectNothingFound(const RegistryBackend& registry, StoreDiscovery discovery = {})
{
    platform::ScriptedDialogs dialogs;
    discovery.dbxFiles.clear();
    searchIdentities(discovery, registry, dialogs);
    EXPECT_TRUE(discovery.dbxFiles.isEmpty());
    EXPECT_TRUE(discovery.storeFolders.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
}

} // namespace

TYPED_TEST(RegistryContract, SubkeysEnumerateInNameOrderAndMatchWhateverTheLetterCase)
{
    const RegistryBackend& registry = *this->registry;
    EXPECT_EQ(keysOf(registry, QString()), QStringList({u"Caf\u00e9"_qs, u"Identities"_qs}));
    EXPECT_EQ(keysOf(registry, u"IDENTITIES"_qs), QStringList({u"{A}"_qs, u"{b}"_qs, u"{C}"_qs}));
    EXPECT_EQ(keysOf(registry, u"identities\\{B}"_qs), QStringList({u"Software"_qs}));
    EXPECT_EQ(keysOf(registry, u"CAF\u00c9"_qs), QStringList({u"Sub"_qs}));
    EXPECT_TRUE(keysOf(registry, u"Identities\\{A}"_qs).isEmpty());
}

// Text ends at its first NUL or odd last byte; a type word nobody knows keeps its bytes.
TYPED_TEST(RegistryContract, ValuesKeepTheirOrderTypeAndBytesAndConvertByType)
{
    const QList<RegistryData> values = this->registry->values(kHkeyCurrentUser, {u"IDENTITIES"_qs, u"{a}"_qs});
    const QList<RegistryData>& expected = kKeys[1].values;
    ASSERT_EQ(values.size(), expected.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_TRUE(values[i].name == expected[i].name && values[i].type == expected[i].type &&
                    values[i].data == expected[i].data)
            << expected[i].name.toStdString();
    const QVariantList converted = {u"Main \"Identity\" \\ caf\u00e9"_qs,
                                    u"%UserProfile%\\x"_qs,
                                    qint32(-2),
                                    u""_qs,
                                    kBlob,
                                    QByteArray("xy"),
                                    u"ab"_qs,
                                    u"a"_qs,
                                    u"default"_qs};
    const RegistryValues read = valuesOf(*this->registry, u"identities\\{A}"_qs);
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(read.value(expected[i].name.toUpper()), converted[i]) << expected[i].name.toStdString();
    EXPECT_FALSE(read.contains(u"Absent"_qs));
}

TYPED_TEST(RegistryContract, MissingKeysAndOtherRootsEnumerateNothingSilently)
{
    for (const QString& key :
         {u"HKEY_CURRENT_USER\\Nowhere"_qs, u"HKEY_CURRENT_USER\\Identities\\\\{C}"_qs,
          u"HKEY_CURRENT_USER\\Identities\\{A}\\Username"_qs, u"HKEY_LOCAL_MACHINE\\Identities"_qs, u"HKEY_USERS"_qs,
          u"HKEY_NOWHERE\\Identities"_qs, u"HKEY_current_user\\Identities"_qs, u"HKEY_CURRENT_USER \\Identities"_qs}) {
        EXPECT_TRUE(EnumRegistryKeys(*this->registry, this->dialogs, key).isEmpty()) << key.toStdString();
        EXPECT_TRUE(EnumRegistryValues(*this->registry, this->dialogs, key).isEmpty()) << key.toStdString();
    }
    EXPECT_TRUE(this->dialogs.messages().isEmpty());
}

TEST(KeyPath, AMalformedPathShowsIncorrectFormatAndEnumeratesNothing)
{
    MemoryRegistry registry;
    registry.addKey(kHkeyCurrentUser, u"Identities\\{A}"_qs);
    for (const QString& malformed :
         {u"HKEY_CURRENT_USER\\Identities\\"_qs, u"Identities"_qs, u"hkey_current_user\\Identities"_qs, u"HKEY"_qs,
          QString(), u"\\HKEY_CURRENT_USER"_qs, u"HKEY_CURRENT_USER\\"_qs}) {
        platform::ScriptedDialogs dialogs;
        EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, malformed).isEmpty());
        EXPECT_TRUE(EnumRegistryValues(registry, dialogs, malformed).isEmpty());
        EXPECT_EQ(dialogs.messageTexts(), QStringList(2, u"Incorrect Format:\n\n"_qs + malformed));
    }
}

// Wine escapes every character above 127, a hand-edited file may not (the Latin-1 line). Types other than text
// stay raw bytes: here UTF-16 "one", NUL, "two", NUL and the terminating NUL. Damaged lines and sections are
// skipped, not taken for the key before them; an entry longer than the cap is skipped as a whole.
TEST(WineUserReg, ReadsTheFormsWineWritesAndSkipsDamagedEntries)
{
    const auto registry = parsed(QByteArray(R"(WINE REGISTRY Version 2
#arch=win64
"Orphan"="before any key"

[Software\\Test] 1600000000
#class="class"
"Plain"="a \"quoted\" back\\slash\nnew line"
"Escaped"="caf\xe9 \x41\x0042 \x263a tab\there \101 \x"
"Multi"=str(7):"one\0two\0"
"Binary"=hex:01,02,03,\
  04,05,\
  ff
"Empty"=""
  "Indented" = "blank around ="
)") + "\"Latin1\"=\"\xe9t\xe9\"\n" +
                                 R"(
[Broken\\Key 1600000000
"Lost"="in a broken section"

[Good] 1600000000
"Unterminated"="no closing quote
"BadDword"=dword:xyz
"LongDword"=dword:123456789
"BadHex"=hex:1,zz
"Unknown"=qword:1
"NoEquals" "x"
garbage line
"Fine"="yes"
[Bad\\\\\\\\Empty] 0
"Kept"=dword:00000007
[Long] 0
"Huge"=")" + QByteArray(kUserRegMaxEntryBytes + 10, 'a') +
                                 "\"\n\"After\"=\"read\"\n");
    expectValues(valuesOf(*registry, u"Software\\Test"_qs),
                 {{u"Plain"_qs, u"a \"quoted\" back\\slash\nnew line"_qs},
                  {u"Escaped"_qs, u"caf\u00e9 AB \u263a tab\there A x"_qs},
                  {u"Multi"_qs, registryTextData(QString::fromUtf16(u"one\0two\0", 8))},
                  {u"Binary"_qs, QByteArray("\x01\x02\x03\x04\x05\xff", 6)},
                  {u"Empty"_qs, u""_qs},
                  {u"Indented"_qs, u"blank around ="_qs},
                  {u"Latin1"_qs, u"\u00e9t\u00e9"_qs}});
    EXPECT_EQ(keysOf(*registry, QString()), QStringList({u"Good"_qs, u"Long"_qs, u"Software"_qs}));
    EXPECT_EQ(valuesOf(*registry, u"Good"_qs).names(), QStringList({u"Fine"_qs}));
    EXPECT_EQ(valuesOf(*registry, u"Long"_qs).names(), QStringList({u"After"_qs}));
}

// Cut anywhere, user.reg gives a Store Root whole or not at all.
TEST(WineUserReg, ACutFileNeverGivesAValueOfTheCutEntry)
{
    testsupport::TempDir dir;
    const QByteArray text = expresstest::WinePrefixFixture(dir.path()).userRegText;
    const QString key = u"Identities\\"_qs + expresstest::kId1 + u"\\Software\\Microsoft\\Outlook Express\\5.0"_qs;
    for (qsizetype size = 0; size <= text.size(); ++size) {
        const QVariant root = valuesOf(*parsed(text.left(size)), key).value(u"Store Root"_qs);
        EXPECT_TRUE(!root.isValid() || root.toString().endsWith(QLatin1String("Outlook Express"))) << size;
    }
}

// Three identities, the second without an Outlook Express key. A store folder holds besides its two stores
// files that are skipped (Folders, Pop3uidl, hidden, not .dbx) and a folder with a store inside.
TEST(searchIdentities, ListsTheStoresOfTheFirstAndThirdIdentitiesFromAHive)
{
    testsupport::TempDir dir;
    const expresstest::HiveFixture hive(dir.path());
    platform::ScriptedDialogs dialogs;
    StoreDiscovery discovery;
    searchIdentities(discovery, HiveRegistry(hive.hive), dialogs);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(discovery.storeFolders, QStringList({hive.store1, hive.store3}));
    EXPECT_EQ(discovery.dbxFiles, listedStoreFiles(hive.store1) + listedStoreFiles(hive.store3));
    // A search of another registry afterwards lists only what that one holds.
    expectNothingFound(MemoryRegistry(), discovery);
}

// No identities, an empty Identities key, real hives without a store, damaged, cut or missing sources.
TEST(searchIdentities, NothingToFindIsAnEmptyResultWithoutReports)
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

    expectNothingFound(HiveRegistry(dir.file(u"missing/NTUSER.DAT"_qs)));
    expectNothingFound(HiveRegistry(dir.path()));
}

// 1: no Outlook Express key; 2: no subkeys; 3: no values; 4: no "Store Root"; 5: a number as "Store Root";
// 6: a blank one; 7 and 8: stores. A drive the source knows maps (the folder need not exist); one it does not
// know stays as written. Neither lists files (a Windows text is never taken for a relative local path).
TEST(searchIdentities, SkipsIdentitiesWithoutAStoreFolderAndListsTheOthers)
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
    searchIdentities(discovery, registry, dialogs);
    EXPECT_EQ(discovery.storeFolders, QStringList({u"/nonexistent-drive/Users/u/Seven"_qs, u"E:\\Eight"_qs}));
    EXPECT_TRUE(discovery.dbxFiles.isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// Wine keeps [Volatile Environment] out of user.reg: the profile is then the user's folder below drive_c/users
// whatever its letter case, and with no dosdevices folder drive C: is drive_c.
TEST(WinePrefix, ProfileWithoutVolatileEnvironmentIsTheUsersFolder)
{
    testsupport::TempDir dir;
    dir.write(u"user.reg"_qs, "WINE REGISTRY Version 2\n");
    ASSERT_TRUE(QDir().mkpath(dir.file(u"drive_c/users/Public"_qs)) &&
                QDir().mkpath(dir.file(u"drive_c/users/Bob"_qs)));
    const WineRegistry byUser(dir.path(), u"bob"_qs);
    EXPECT_EQ(expandWindowsVariables(byUser, u"%USERPROFILE%|%USERNAME%"_qs), u"C:\\users\\Bob|Bob"_qs);
    EXPECT_EQ(byUser.driveFolder(u'C'), QFileInfo(dir.file(u"drive_c"_qs)).canonicalFilePath());
    EXPECT_TRUE(byUser.driveFolder(u'd').isEmpty());
}

TEST(WinePrefix, VariablesExpandAndPathsMapWhateverTheirCase)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    dir.write(u"prefix/user.reg"_qs, fixture.userRegText + QByteArray(R"(
[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1600000000
"Local AppData"="C:\\users\\winuser\\AppData\\Local"
[Environment] 1600000000
"TEMP"=str(2):"%USERPROFILE%\\Temp"
"LOOP"=str(2):"%LOOP%"
)"));
    const WineRegistry registry(fixture.prefix, u"someone"_qs);
    const std::pair<QString, QString> variables[] = {
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
    const std::pair<QString, QString> paths[] = {
        {u"c:/users/winuser/./second/../Second"_qs, driveC + u"/users/winuser/Second"_qs},
        {u"C:\\users\\winuser\\No Such\\Folder"_qs, driveC + u"/users/winuser/No Such/Folder"_qs}, // kept as written
        {u"E:\\Mail"_qs, QString()},
        {u"\\\\server\\share"_qs, QString()},
        {u"Mail\\Inbox"_qs, QString()},
    };
    for (const auto& [windowsPath, local] : paths)
        EXPECT_EQ(localPathFor(registry, windowsPath), local) << windowsPath.toStdString();
}

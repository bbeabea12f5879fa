#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/Registry.h"
#include "sources/express/WindowsPaths.h"
#include "sources/express/WineRegistry.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace sources::express;

namespace {

std::unique_ptr<MemoryRegistry> parsed(const QByteArray& text, bool* accepted = nullptr)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    auto registry = std::make_unique<MemoryRegistry>();
    const bool ok = readWineRegistry(buffer, *registry, kHkeyCurrentUser);
    if (accepted)
        *accepted = ok;
    return registry;
}

RegistryValues valuesOf(const RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return EnumRegistryValues(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\") + key);
}

QStringList keysOf(const RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return EnumRegistryKeys(registry, dialogs,
                            QStringLiteral("HKEY_CURRENT_USER") + (key.isEmpty() ? QString() : u'\\' + key));
}

RegistryValues valuesOf(const std::unique_ptr<MemoryRegistry>& registry, const QString& key)
{
    return valuesOf(*registry, key);
}

QStringList keysOf(const std::unique_ptr<MemoryRegistry>& registry, const QString& key)
{
    return keysOf(*registry, key);
}

} // namespace

TEST(WineUserReg, ReadsEveryValueForm)
{
    bool accepted = false;
    const auto registry = parsed(QByteArray(R"(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Test] 1600000000
#time=1d6f3a2b4c5d6e7
#class="class"
@="the default"
"Plain"="a \"quoted\" back\\slash\nnew line"
"Escaped"="caf\xe9 \x41\x0042 \x263a tab\there \101 \x"
"Expand"=str(2):"%UserProfile%\\Mail"
"Multi"=str(7):"one\0two\0"
"Number"=dword:0000002a
"Negative"=dword:ffffffff
"Binary"=hex:01,02,ff
"Continued"=hex:01,02,03,\
  04,05,\
  06
"HexExpand"=hex(2):25,00,41,00,25,00,00,00
"HexString"=hex(1):68,00,69,00,00,00
"Empty"=""
"EmptyHex"=hex(2):
"Qword"=hex(b):01,00,00,00,00,00,00,00
  "Indented" = "blank around ="
)"),
                                 &accepted);
    ASSERT_TRUE(accepted);
    const RegistryValues v = valuesOf(registry, QStringLiteral("Software\\Test"));
    EXPECT_EQ(v.value(QString()).toString(), QStringLiteral("the default"));
    EXPECT_EQ(v.value(QStringLiteral("plain")).toString(), QStringLiteral("a \"quoted\" back\\slash\nnew line"));
    EXPECT_EQ(v.value(QStringLiteral("Escaped")).toString(), QStringLiteral("caf\u00e9 AB \u263a tab\there A x"));
    EXPECT_EQ(v.value(QStringLiteral("Expand")).toString(), QStringLiteral("%UserProfile%\\Mail"));
    // Other types stay raw bytes: here UTF-16 "one", NUL, "two", NUL and the terminating NUL.
    EXPECT_EQ(v.value(QStringLiteral("Multi")).toByteArray(), registryTextData(QString::fromUtf16(u"one\0two\0", 8)));
    EXPECT_EQ(v.value(QStringLiteral("Number")).toInt(), 42);
    EXPECT_EQ(v.value(QStringLiteral("Negative")).toInt(), -1);
    EXPECT_EQ(v.value(QStringLiteral("Binary")).toByteArray(), QByteArray("\x01\x02\xff", 3));
    EXPECT_EQ(v.value(QStringLiteral("Continued")).toByteArray(), QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    EXPECT_EQ(v.value(QStringLiteral("HexExpand")).toString(), QStringLiteral("%A%"));
    EXPECT_EQ(v.value(QStringLiteral("HexString")).toString(), QStringLiteral("hi"));
    EXPECT_EQ(v.value(QStringLiteral("Empty")).toString(), QString());
    EXPECT_EQ(v.value(QStringLiteral("EmptyHex")).typeId(), QMetaType::QString);
    EXPECT_EQ(v.value(QStringLiteral("EmptyHex")).toString(), QString());
    EXPECT_EQ(v.value(QStringLiteral("Qword")).toByteArray().size(), 8);
    EXPECT_EQ(v.value(QStringLiteral("Indented")).toString(), QStringLiteral("blank around ="));
}

TEST(WineUserReg, KeysAreCaseInsensitiveAndImplyTheirParents)
{
    const auto registry = parsed(QByteArray(R"(WINE REGISTRY Version 2

[Identities\\{B}\\Software\\Microsoft\\Outlook Express\\5.0] 1600000000
"Store Root"="x"

[identities\\{a}] 1600000000
"Username"="first"

[IDENTITIES\\{A}] 1600000000
"username"="replaced"
"Other"=dword:00000001
)"));
    EXPECT_EQ(keysOf(registry, QString()), QStringList({QStringLiteral("Identities")}));
    EXPECT_EQ(keysOf(registry, QStringLiteral("IDENTITIES")),
              QStringList({QStringLiteral("{a}"), QStringLiteral("{B}")}));
    EXPECT_EQ(keysOf(registry, QStringLiteral("identities\\{b}\\software\\microsoft\\outlook express")),
              QStringList({QStringLiteral("5.0")}));
    const RegistryValues a = valuesOf(registry, QStringLiteral("Identities\\{A}"));
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a.value(QStringLiteral("USERNAME")).toString(), QStringLiteral("replaced"));
}

TEST(WineUserReg, ReadsUtf8AndLatin1Text)
{
    const QByteArray utf8 =
        QByteArray("WINE REGISTRY Version 2\n\n[Caf\xc3\xa9] 0\n\"Name\"=\"\xc3\xa9t\xc3\xa9 \\x263a\"\n");
    const auto registry = parsed(utf8);
    EXPECT_EQ(keysOf(registry, QString()), QStringList({QStringLiteral("Caf\u00e9")}));
    EXPECT_EQ(valuesOf(registry, QStringLiteral("CAF\u00c9")).value(QStringLiteral("name")).toString(),
              QStringLiteral("\u00e9t\u00e9 \u263a"));

    const QByteArray latin1 = QByteArray("WINE REGISTRY Version 2\n\n[Caf\xe9] 0\n\"Name\"=\"\xe9t\xe9\"\n");
    const auto registry2 = parsed(latin1);
    EXPECT_EQ(valuesOf(registry2, QStringLiteral("Caf\u00e9")).value(QStringLiteral("Name")).toString(),
              QStringLiteral("\u00e9t\u00e9"));
}

TEST(WineUserReg, WithoutTheHeaderNothingIsRead)
{
    bool accepted = true;
    const auto registry = parsed(QByteArray("REGEDIT4\n\n[Identities\\\\{A}]\n\"Username\"=\"x\"\n"), &accepted);
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(keysOf(registry, QString()).isEmpty());
    EXPECT_FALSE(parsed(QByteArray(), &accepted)->keyCount());
    EXPECT_FALSE(accepted);
}

TEST(WineUserReg, DamagedEntriesAreSkippedAndTheRestIsRead)
{
    const auto registry = parsed(QByteArray(R"(WINE REGISTRY Version 2
"Orphan"="before any key"

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
)"));
    EXPECT_EQ(keysOf(registry, QString()), QStringList({QStringLiteral("Good")}));
    const RegistryValues good = valuesOf(registry, QStringLiteral("Good"));
    EXPECT_EQ(good.names(), QStringList({QStringLiteral("Fine")}));
}

TEST(WineUserReg, AnOverlongEntryIsSkipped)
{
    QByteArray text("WINE REGISTRY Version 2\n\n[Key] 0\n\"Huge\"=\"");
    text.append(QByteArray(kUserRegMaxEntryBytes + 10, 'a'));
    text.append("\"\n\"After\"=\"read\"\n");
    const auto registry = parsed(text);
    const RegistryValues v = valuesOf(registry, QStringLiteral("Key"));
    EXPECT_FALSE(v.contains(QStringLiteral("Huge")));
    EXPECT_EQ(v.value(QStringLiteral("After")).toString(), QStringLiteral("read"));
}

TEST(WineUserReg, EveryTruncationReadsWithoutCrashing)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    for (qsizetype size = 0; size <= fixture.userRegText.size(); ++size) {
        const auto registry = parsed(fixture.userRegText.left(size));
        // Values of a cut entry never appear with a wrong text: a Store Root is whole or absent.
        const QVariant root = valuesOf(registry, QStringLiteral("Identities\\") + expresstest::kId1 +
                                                     QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0"))
                                  .value(QStringLiteral("Store Root"));
        if (root.isValid()) {
            EXPECT_TRUE(root.toString().endsWith(QLatin1String("Outlook Express"))) << size;
        }
    }
}

TEST(WinePrefix, ReadsUserRegOfThePrefix)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry registry(fixture.prefix, QStringLiteral("someone"));
    EXPECT_EQ(keysOf(registry, QStringLiteral("Identities")),
              QStringList({expresstest::kId1, expresstest::kId2, expresstest::kId3}));
    EXPECT_EQ(valuesOf(registry, QStringLiteral("Identities")).value(QStringLiteral("Identity Ordinal")).toInt(), 3);
    EXPECT_EQ(valuesOf(registry, QStringLiteral("Identities\\") + expresstest::kId2).value(QStringLiteral("Username")),
              QStringLiteral("Second \"Identity\""));
    // Only HKEY_CURRENT_USER is there.
    platform::ScriptedDialogs dialogs;
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_LOCAL_MACHINE\\Identities")).isEmpty());
}

TEST(WinePrefix, AMissingPrefixHasAnEmptyRegistry)
{
    testsupport::TempDir dir;
    const WineRegistry registry(dir.file(QStringLiteral("no-prefix")));
    EXPECT_TRUE(keysOf(registry, QString()).isEmpty());
    EXPECT_TRUE(registry.driveFolder(u'c').isEmpty());
}

TEST(WinePrefix, ProfileFromVolatileEnvironmentElseTheUsersFolder)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry withVolatile(fixture.prefix, QStringLiteral("someone"));
    EXPECT_EQ(windowsVariable(withVolatile, QStringLiteral("UserProfile")), QStringLiteral("C:\\users\\winuser"));
    EXPECT_EQ(windowsVariable(withVolatile, QStringLiteral("username")), QStringLiteral("winuser"));

    const QString plain = dir.file(QStringLiteral("plain"));
    expresstest::writeFile(plain + QStringLiteral("/user.reg"), QByteArray("WINE REGISTRY Version 2\n"));
    ASSERT_TRUE(QDir().mkpath(plain + QStringLiteral("/drive_c/users/Public")));
    ASSERT_TRUE(QDir().mkpath(plain + QStringLiteral("/drive_c/users/Bob")));
    const WineRegistry byUser(plain, QStringLiteral("bob"));
    EXPECT_EQ(windowsVariable(byUser, QStringLiteral("USERPROFILE")), QStringLiteral("C:\\users\\Bob"));
    EXPECT_EQ(windowsVariable(byUser, QStringLiteral("USERNAME")), QStringLiteral("Bob"));
    // No dosdevices folder: drive C: is drive_c.
    EXPECT_EQ(byUser.driveFolder(u'C'), QFileInfo(plain + QStringLiteral("/drive_c")).canonicalFilePath());
    EXPECT_TRUE(byUser.driveFolder(u'd').isEmpty());
}

TEST(WinePrefix, VariablesOfTheSourceExpandWhateverTheirCase)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    expresstest::writeFile(fixture.userReg, fixture.userRegText + QByteArray(R"(
[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders] 1600000000
"AppData"=str(2):"%USERPROFILE%\\AppData\\Roaming"
[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1600000000
"Local AppData"="C:\\users\\winuser\\AppData\\Local"
[Environment] 1600000000
"TEMP"=str(2):"%USERPROFILE%\\Temp"
"LOOP"=str(2):"%LOOP%"
)"));
    const WineRegistry registry(fixture.prefix, QStringLiteral("someone"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%UserProfile%\\a")),
              QStringLiteral("C:\\users\\winuser\\a"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%USERPROFILE%\\a")),
              QStringLiteral("C:\\users\\winuser\\a"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%userprofile%")), QStringLiteral("C:\\users\\winuser"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%Username%")), QStringLiteral("winuser"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%appdata%\\x")),
              QStringLiteral("C:\\users\\winuser\\AppData\\Roaming\\x"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%LocalAppData%")),
              QStringLiteral("C:\\users\\winuser\\AppData\\Local"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%temp%")), QStringLiteral("C:\\users\\winuser\\Temp"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%NOPE%\\%USERNAME%")),
              QStringLiteral("%NOPE%\\winuser"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%NOPE%USERNAME%")), QStringLiteral("%NOPEwinuser"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("100% sure")), QStringLiteral("100% sure"));
    EXPECT_EQ(expandWindowsVariables(registry, QStringLiteral("%LOOP%")), QStringLiteral("%LOOP%"));
}

TEST(WinePrefix, DrivesComeFromDosdevicesAndNamesMatchWhateverTheirCase)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry registry(fixture.prefix, QStringLiteral("someone"));
    const QString driveC = QFileInfo(fixture.prefix + QStringLiteral("/drive_c")).canonicalFilePath();
    EXPECT_EQ(registry.driveFolder(u'c'), driveC);
    EXPECT_EQ(registry.driveFolder(u'C'), driveC);
    EXPECT_TRUE(registry.driveFolder(u'e').isEmpty());

    const QString windows = QStringLiteral("C:\\Users\\WinUser\\Local Settings\\Application Data\\Identities\\") +
                            expresstest::kId1 + QStringLiteral("\\Microsoft\\Outlook Express");
    EXPECT_EQ(localPathFor(registry, windows), fixture.store1);
    EXPECT_EQ(localPathFor(registry, windows + QStringLiteral("\\INBOX.DBX")),
              fixture.store1 + QStringLiteral("/Inbox.dbx"));
    EXPECT_EQ(localPathFor(registry, QStringLiteral("c:/users/winuser/./second/../Second")),
              driveC + QStringLiteral("/users/winuser/Second"));
    // Not there: the rest is kept as written.
    EXPECT_EQ(localPathFor(registry, QStringLiteral("C:\\users\\winuser\\No Such\\Folder")),
              driveC + QStringLiteral("/users/winuser/No Such/Folder"));
    EXPECT_EQ(localPathFor(registry, QStringLiteral("C:")), driveC);
    EXPECT_TRUE(localPathFor(registry, QStringLiteral("E:\\Mail")).isEmpty());
    EXPECT_TRUE(localPathFor(registry, QStringLiteral("\\\\server\\share")).isEmpty());
    EXPECT_TRUE(localPathFor(registry, QStringLiteral("Mail\\Inbox")).isEmpty());
    EXPECT_TRUE(localPathFor(registry, QStringLiteral("%UserProfile%")).isEmpty());
}

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
using expresstest::keysOf;
using expresstest::valuesOf;

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
    const RegistryValues v = valuesOf(*registry, u"Software\\Test"_qs);
    EXPECT_EQ(v.value(QString()).toString(), u"the default"_qs);
    EXPECT_EQ(v.value(u"plain"_qs).toString(), u"a \"quoted\" back\\slash\nnew line"_qs);
    EXPECT_EQ(v.value(u"Escaped"_qs).toString(), u"caf\u00e9 AB \u263a tab\there A x"_qs);
    EXPECT_EQ(v.value(u"Expand"_qs).toString(), u"%UserProfile%\\Mail"_qs);
    // Other types stay raw bytes: here UTF-16 "one", NUL, "two", NUL and the terminating NUL.
    EXPECT_EQ(v.value(u"Multi"_qs).toByteArray(), registryTextData(QString::fromUtf16(u"one\0two\0", 8)));
    EXPECT_EQ(v.value(u"Number"_qs).toInt(), 42);
    EXPECT_EQ(v.value(u"Negative"_qs).toInt(), -1);
    EXPECT_EQ(v.value(u"Binary"_qs).toByteArray(), QByteArray("\x01\x02\xff", 3));
    EXPECT_EQ(v.value(u"Continued"_qs).toByteArray(), QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    EXPECT_EQ(v.value(u"HexExpand"_qs).toString(), u"%A%"_qs);
    EXPECT_EQ(v.value(u"HexString"_qs).toString(), u"hi"_qs);
    EXPECT_EQ(v.value(u"Empty"_qs).toString(), QString());
    EXPECT_EQ(v.value(u"EmptyHex"_qs).toString(), QString());
    EXPECT_EQ(v.value(u"Indented"_qs).toString(), u"blank around ="_qs);
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
    EXPECT_EQ(keysOf(*registry, QString()), QStringList({u"Identities"_qs}));
    EXPECT_EQ(keysOf(*registry, u"IDENTITIES"_qs), QStringList({u"{a}"_qs, u"{B}"_qs}));
    EXPECT_EQ(keysOf(*registry, u"identities\\{b}\\software\\microsoft\\outlook express"_qs), QStringList({u"5.0"_qs}));
    const RegistryValues a = valuesOf(*registry, u"Identities\\{A}"_qs);
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a.value(u"USERNAME"_qs).toString(), u"replaced"_qs);
}

TEST(WineUserReg, ReadsUtf8AndLatin1Text)
{
    const QByteArray utf8 =
        QByteArray("WINE REGISTRY Version 2\n\n[Caf\xc3\xa9] 0\n\"Name\"=\"\xc3\xa9t\xc3\xa9 \\x263a\"\n");
    const auto registry = parsed(utf8);
    EXPECT_EQ(keysOf(*registry, QString()), QStringList({u"Caf\u00e9"_qs}));
    EXPECT_EQ(valuesOf(*registry, u"CAF\u00c9"_qs).value(u"name"_qs).toString(), u"\u00e9t\u00e9 \u263a"_qs);

    const QByteArray latin1 = QByteArray("WINE REGISTRY Version 2\n\n[Caf\xe9] 0\n\"Name\"=\"\xe9t\xe9\"\n");
    const auto registry2 = parsed(latin1);
    EXPECT_EQ(valuesOf(*registry2, u"Caf\u00e9"_qs).value(u"Name"_qs).toString(), u"\u00e9t\u00e9"_qs);
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
    EXPECT_EQ(keysOf(*registry, QString()), QStringList({u"Good"_qs}));
    const RegistryValues good = valuesOf(*registry, u"Good"_qs);
    EXPECT_EQ(good.names(), QStringList({u"Fine"_qs}));
}

TEST(WineUserReg, AnOverlongEntryIsSkipped)
{
    QByteArray text("WINE REGISTRY Version 2\n\n[Key] 0\n\"Huge\"=\"");
    text.append(QByteArray(kUserRegMaxEntryBytes + 10, 'a'));
    text.append("\"\n\"After\"=\"read\"\n");
    const auto registry = parsed(text);
    const RegistryValues v = valuesOf(*registry, u"Key"_qs);
    EXPECT_FALSE(v.contains(u"Huge"_qs));
    EXPECT_EQ(v.value(u"After"_qs).toString(), u"read"_qs);
}

TEST(WineUserReg, EveryTruncationReadsWithoutCrashing)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    for (qsizetype size = 0; size <= fixture.userRegText.size(); ++size) {
        const auto registry = parsed(fixture.userRegText.left(size));
        // Values of a cut entry never appear with a wrong text: a Store Root is whole or absent.
        const QVariant root = valuesOf(*registry, u"Identities\\"_qs + expresstest::kId1 +
                                                      u"\\Software\\Microsoft\\Outlook Express\\5.0"_qs)
                                  .value(u"Store Root"_qs);
        if (root.isValid()) {
            EXPECT_TRUE(root.toString().endsWith(QLatin1String("Outlook Express"))) << size;
        }
    }
}

TEST(WinePrefix, ProfileFromVolatileEnvironmentElseTheUsersFolder)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry withVolatile(fixture.prefix, u"someone"_qs);
    EXPECT_EQ(windowsVariable(withVolatile, u"UserProfile"_qs), u"C:\\users\\winuser"_qs);
    EXPECT_EQ(windowsVariable(withVolatile, u"username"_qs), u"winuser"_qs);

    const QString plain = dir.file(u"plain"_qs);
    expresstest::writeFile(plain + u"/user.reg"_qs, QByteArray("WINE REGISTRY Version 2\n"));
    ASSERT_TRUE(QDir().mkpath(plain + u"/drive_c/users/Public"_qs));
    ASSERT_TRUE(QDir().mkpath(plain + u"/drive_c/users/Bob"_qs));
    const WineRegistry byUser(plain, u"bob"_qs);
    EXPECT_EQ(windowsVariable(byUser, u"USERPROFILE"_qs), u"C:\\users\\Bob"_qs);
    EXPECT_EQ(windowsVariable(byUser, u"USERNAME"_qs), u"Bob"_qs);
    // No dosdevices folder: drive C: is drive_c.
    EXPECT_EQ(byUser.driveFolder(u'C'), QFileInfo(plain + u"/drive_c"_qs).canonicalFilePath());
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
    const WineRegistry registry(fixture.prefix, u"someone"_qs);
    const std::pair<QString, QString> cases[] = {
        {u"%UserProfile%\\a"_qs, u"C:\\users\\winuser\\a"_qs},
        {u"%userprofile%"_qs, u"C:\\users\\winuser"_qs},
        {u"%Username%"_qs, u"winuser"_qs},
        {u"%appdata%\\x"_qs, u"C:\\users\\winuser\\AppData\\Roaming\\x"_qs},
        {u"%LocalAppData%"_qs, u"C:\\users\\winuser\\AppData\\Local"_qs},
        {u"%temp%"_qs, u"C:\\users\\winuser\\Temp"_qs},
        {u"%NOPE%\\%USERNAME%"_qs, u"%NOPE%\\winuser"_qs},
        {u"%NOPE%USERNAME%"_qs, u"%NOPEwinuser"_qs},
        {u"100% sure"_qs, u"100% sure"_qs},
        {u"%LOOP%"_qs, u"%LOOP%"_qs},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(expandWindowsVariables(registry, text), expanded) << text.toStdString();
}

TEST(WinePrefix, DrivesComeFromDosdevicesAndNamesMatchWhateverTheirCase)
{
    testsupport::TempDir dir;
    const expresstest::WinePrefixFixture fixture(dir.path());
    const WineRegistry registry(fixture.prefix, u"someone"_qs);
    const QString driveC = QFileInfo(fixture.prefix + u"/drive_c"_qs).canonicalFilePath();
    EXPECT_EQ(registry.driveFolder(u'C'), driveC);
    EXPECT_TRUE(registry.driveFolder(u'e').isEmpty());

    const QString windows = u"C:\\Users\\WinUser\\Local Settings\\Application Data\\Identities\\"_qs +
                            expresstest::kId1 + u"\\Microsoft\\Outlook Express"_qs;
    const std::pair<QString, QString> cases[] = {
        {windows, fixture.store1},
        {windows + u"\\INBOX.DBX"_qs, fixture.store1 + u"/Inbox.dbx"_qs},
        {u"c:/users/winuser/./second/../Second"_qs, driveC + u"/users/winuser/Second"_qs},
        {u"C:\\users\\winuser\\No Such\\Folder"_qs, driveC + u"/users/winuser/No Such/Folder"_qs}, // kept as written
        {u"C:"_qs, driveC},
        {u"E:\\Mail"_qs, QString()},
        {u"\\\\server\\share"_qs, QString()},
        {u"Mail\\Inbox"_qs, QString()},
        {u"%UserProfile%"_qs, QString()},
    };
    for (const auto& [windowsPath, local] : cases)
        EXPECT_EQ(localPathFor(registry, windowsPath), local) << windowsPath.toStdString();
}

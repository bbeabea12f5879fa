#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/Registry.h"
#include "sources/express/WindowsPaths.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace sources::express;

namespace {

QStringList keysOf(const RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return EnumRegistryKeys(registry, dialogs,
                            QStringLiteral("HKEY_CURRENT_USER") + (key.isEmpty() ? QString() : u'\\' + key));
}

RegistryValues valuesOf(const RegistryBackend& registry, const QString& key)
{
    platform::ScriptedDialogs dialogs;
    return EnumRegistryValues(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\") + key);
}

} // namespace

TEST(HiveRegistry, ReadsAHiveBuiltWithHivex)
{
    testsupport::TempDir dir;
    const QString hive = dir.file(QStringLiteral("Users/alice/NTUSER.DAT"));
    ASSERT_TRUE(expresstest::buildHive(
        hive, {{QStringLiteral("Identities\\{B}"), {}},
               {QStringLiteral("Identities\\{A}"),
                {expresstest::text(QStringLiteral("Username"), QStringLiteral("Main Identity")),
                 expresstest::text(QStringLiteral("Store Root"), QStringLiteral("%UserProfile%\\x"), kRegExpandSz),
                 expresstest::dword(QStringLiteral("Ordinal"), 0xfffffffeu),
                 RegistryData{QStringLiteral("Empty"), kRegSz, QByteArray()},
                 RegistryData{QStringLiteral("Blob"), kRegBinary, QByteArray("\x00\x01\x02", 3)}}}}));
    const HiveRegistry registry(hive);
    EXPECT_TRUE(registry.isOpen());
    EXPECT_EQ(keysOf(registry, QString()), QStringList({QStringLiteral("Identities")}));
    EXPECT_EQ(keysOf(registry, QStringLiteral("identities")),
              QStringList({QStringLiteral("{A}"), QStringLiteral("{B}")}));
    const RegistryValues v = valuesOf(registry, QStringLiteral("IDENTITIES\\{a}"));
    EXPECT_EQ(v.names(), QStringList({QStringLiteral("Username"), QStringLiteral("Store Root"),
                                      QStringLiteral("Ordinal"), QStringLiteral("Empty"), QStringLiteral("Blob")}));
    EXPECT_EQ(v.value(QStringLiteral("username")).toString(), QStringLiteral("Main Identity"));
    EXPECT_EQ(v.value(QStringLiteral("store root")).toString(), QStringLiteral("%UserProfile%\\x"));
    EXPECT_EQ(v.value(QStringLiteral("Ordinal")).toInt(), -2);
    EXPECT_EQ(v.value(QStringLiteral("Empty")).typeId(), QMetaType::QString);
    EXPECT_EQ(v.value(QStringLiteral("Empty")).toString(), QString());
    EXPECT_EQ(v.value(QStringLiteral("Blob")).toByteArray(), QByteArray("\x00\x01\x02", 3));
    EXPECT_TRUE(valuesOf(registry, QStringLiteral("Identities\\{C}")).isEmpty());
    platform::ScriptedDialogs dialogs;
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_LOCAL_MACHINE\\Identities")).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_USERS")).isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// A damaged or odd hive may carry any 32-bit type word; it arrives as it is, with the raw bytes.
TEST(HiveRegistry, ValueTypeOutsideTheKnownTypesKeepsItsTypeWord)
{
    testsupport::TempDir dir;
    const QString hive = dir.file(QStringLiteral("Users/alice/NTUSER.DAT"));
    ASSERT_TRUE(expresstest::buildHive(
        hive, {{QStringLiteral("Odd"), {RegistryData{QStringLiteral("Strange"), 0x002e0003u, QByteArray("xy")}}}}));
    const HiveRegistry registry(hive);
    const QList<RegistryData> values = registry.values(kHkeyCurrentUser, {QStringLiteral("Odd")});
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].type, 0x002e0003u);
    EXPECT_EQ(values[0].data, QByteArray("xy"));
    EXPECT_EQ(valuesOf(registry, QStringLiteral("Odd")).value(QStringLiteral("Strange")).toByteArray(),
              QByteArray("xy"));
}

TEST(HiveRegistry, TheProfileIsTheFolderOfTheHiveAndDriveCTheFolderAbove)
{
    testsupport::TempDir dir;
    const expresstest::HiveFixture fixture(dir.path());
    const HiveRegistry registry(fixture.hive);
    EXPECT_EQ(windowsVariable(registry, QStringLiteral("UserProfile")), QStringLiteral("C:\\Users\\alice"));
    EXPECT_EQ(windowsVariable(registry, QStringLiteral("USERNAME")), QStringLiteral("alice"));
    EXPECT_EQ(windowsVariable(registry, QStringLiteral("localappdata")),
              QStringLiteral("C:\\Users\\alice\\AppData\\Local"));
    EXPECT_EQ(registry.driveFolder(u'c'), fixture.driveRoot);
    EXPECT_TRUE(registry.driveFolder(u'D').isEmpty());
    EXPECT_EQ(localPathFor(registry, QStringLiteral("C:\\USERS\\Alice\\AppData\\Local\\Identities\\") +
                                         expresstest::kId3 + QStringLiteral("\\Microsoft\\Outlook Express")),
              fixture.store3);
}

TEST(HiveRegistry, SpecialNamesOfTheSharedHive)
{
    QUILLMERE_REQUIRE_FIXTURE(path, "hive/special");
    const HiveRegistry registry(path);
    ASSERT_TRUE(registry.isOpen());
    const QStringList keys = keysOf(registry, QString());
    ASSERT_EQ(keys.size(), 3);
    // hivex gives Latin-1 and UTF-16 names as UTF-8; the name with an embedded NUL reads up to it.
    EXPECT_EQ(keys[0], QStringLiteral("abcd_\u00e4\u00f6\u00fc\u00df"));
    EXPECT_EQ(keys[1], QStringLiteral("weird\u2122"));
    EXPECT_EQ(keys[2], QStringLiteral("zero"));
    EXPECT_EQ(valuesOf(registry, QStringLiteral("ABCD_\u00c4\u00d6\u00dc\u00df")).names(),
              QStringList({QStringLiteral("abcd_\u00e4\u00f6\u00fc\u00df")}));
    EXPECT_EQ(valuesOf(registry, QStringLiteral("WEIRD\u2122"))
                  .value(QStringLiteral("symbols $\u00a3\u20a4\u20a7\u20ac"))
                  .toInt(),
              0);
}

TEST(HiveRegistry, OddLengthValuesOfTheSharedHive)
{
    QUILLMERE_REQUIRE_FIXTURE(path, "hive/rlenvalue_test_hive");
    const HiveRegistry registry(path);
    ASSERT_TRUE(registry.isOpen());
    const RegistryValues v = valuesOf(registry, QStringLiteral("ModerateValueParent"));
    ASSERT_EQ(v.names(),
              QStringList({QStringLiteral("3Bytes"), QStringLiteral("16Bytes"), QStringLiteral("30Bytes"),
                           QStringLiteral("31Bytes"), QStringLiteral("32Bytes"), QStringLiteral("33Bytes")}));
    EXPECT_EQ(v.value(QStringLiteral("3Bytes")).toByteArray().size(), 3);
    EXPECT_EQ(v.value(QStringLiteral("33Bytes")).toByteArray().size(), 33);
}

TEST(HiveRegistry, RealUserHives)
{
    QUILLMERE_REQUIRE_FIXTURE(vista, "hive/dfwinreg-NTUSER.DAT");
    QUILLMERE_REQUIRE_FIXTURE(seven, "hive/test_ntuser.dat");
    const HiveRegistry noIdentities(vista);
    EXPECT_TRUE(noIdentities.isOpen());
    EXPECT_TRUE(keysOf(noIdentities, QString()).contains(QStringLiteral("Environment")));
    EXPECT_TRUE(keysOf(noIdentities, QStringLiteral("Identities")).isEmpty());
    EXPECT_EQ(valuesOf(noIdentities, QStringLiteral("environment")).value(QStringLiteral("temp")).toString(),
              QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"));

    const HiveRegistry oneIdentity(seven);
    const QString id = QStringLiteral("{EF208C86-65AC-4012-84A1-F1B2647B21FD}");
    EXPECT_EQ(keysOf(oneIdentity, QStringLiteral("Identities")), QStringList({id}));
    EXPECT_EQ(valuesOf(oneIdentity, QStringLiteral("Identities\\") + id).value(QStringLiteral("Username")).toString(),
              QStringLiteral("Main Identity"));
    EXPECT_TRUE(keysOf(oneIdentity,
                       QStringLiteral("Identities\\") + id + QStringLiteral("\\Software\\Microsoft\\Outlook Express"))
                    .isEmpty());
}

TEST(HiveRegistry, MissingDamagedAndTruncatedHivesAnswerNothing)
{
    testsupport::TempDir dir;
    QUILLMERE_REQUIRE_FIXTURE(seven, "hive/test_ntuser.dat");
    const QByteArray whole = testsupport::TempDir::read(seven);
    ASSERT_FALSE(whole.isEmpty());

    QStringList paths{dir.file(QStringLiteral("missing/NTUSER.DAT")),
                      dir.path(),
                      dir.write(QStringLiteral("empty.dat"), QByteArray()),
                      dir.write(QStringLiteral("garbage.dat"), QByteArray(70000, '\x5a')),
                      dir.write(QStringLiteral("header-only.dat"), whole.left(4096)),
                      dir.write(QStringLiteral("half.dat"), whole.left(whole.size() / 2))};
    QByteArray scrambled = whole;
    for (qsizetype i = 4096; i < scrambled.size(); i += 97)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    paths.append(dir.write(QStringLiteral("scrambled.dat"), scrambled));
    QByteArray badHeader = whole;
    badHeader[0] = 'X';
    paths.append(dir.write(QStringLiteral("bad-header.dat"), badHeader));

    // hivex refuses a missing file, a folder, an empty file, garbage, a hive cut after its header block and
    // a bad signature. It opens a hive cut in half or with scrambled cells and answers from what it can
    // still read: those must not crash us, whatever they list.
    const QStringList readable{QStringLiteral("half.dat"), QStringLiteral("scrambled.dat")};
    for (const QString& path : paths) {
        const HiveRegistry registry(path);
        std::function<void(const QString&, int)> walk = [&](const QString& key, int depth) {
            valuesOf(registry, key);
            if (depth < 3) {
                for (const QString& child : keysOf(registry, key))
                    walk(key.isEmpty() ? child : key + u'\\' + child, depth + 1);
            }
        };
        walk(QString(), 0);
        if (!readable.contains(QFileInfo(path).fileName())) {
            EXPECT_FALSE(registry.isOpen()) << path.toStdString();
            EXPECT_TRUE(keysOf(registry, QString()).isEmpty()) << path.toStdString();
        }
    }
}

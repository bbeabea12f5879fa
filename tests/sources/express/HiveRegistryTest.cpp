#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/Express1.h"
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

using expresstest::keysOf;
using expresstest::valuesOf;

TEST(HiveRegistry, ReadsAHiveBuiltWithHivex)
{
    testsupport::TempDir dir;
    const QString hive = dir.file(u"Users/alice/NTUSER.DAT"_qs);
    ASSERT_TRUE(expresstest::buildHive(
        hive, {{u"Identities\\{B}"_qs, {}},
               {u"Identities\\{A}"_qs,
                {expresstest::text(u"Username"_qs, u"Main Identity"_qs),
                 expresstest::text(u"Store Root"_qs, u"%UserProfile%\\x"_qs, kRegExpandSz),
                 expresstest::dword(u"Ordinal"_qs, 0xfffffffeu), RegistryData{u"Empty"_qs, kRegSz, QByteArray()},
                 RegistryData{u"Blob"_qs, kRegBinary, QByteArray("\x00\x01\x02", 3)}}}}));
    const HiveRegistry registry(hive);
    EXPECT_TRUE(registry.isOpen());
    EXPECT_EQ(keysOf(registry, QString()), QStringList({u"Identities"_qs}));
    EXPECT_EQ(keysOf(registry, u"identities"_qs), QStringList({u"{A}"_qs, u"{B}"_qs}));
    const RegistryValues v = valuesOf(registry, u"IDENTITIES\\{a}"_qs);
    EXPECT_EQ(v.names(), QStringList({u"Username"_qs, u"Store Root"_qs, u"Ordinal"_qs, u"Empty"_qs, u"Blob"_qs}));
    EXPECT_EQ(v.value(u"username"_qs).toString(), u"Main Identity"_qs);
    EXPECT_EQ(v.value(u"store root"_qs).toString(), u"%UserProfile%\\x"_qs);
    EXPECT_EQ(v.value(u"Ordinal"_qs).toInt(), -2);
    EXPECT_EQ(v.value(u"Empty"_qs).toString(), QString());
    EXPECT_EQ(v.value(u"Blob"_qs).toByteArray(), QByteArray("\x00\x01\x02", 3));
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

TEST(HiveRegistry, SpecialNamesOfTheSharedHive)
{
    QUILLMERE_REQUIRE_FIXTURE(path, "hive/special");
    const HiveRegistry registry(path);
    ASSERT_TRUE(registry.isOpen());
    const QStringList keys = keysOf(registry, QString());
    ASSERT_EQ(keys.size(), 3);
    // hivex gives Latin-1 and UTF-16 names as UTF-8; the name with an embedded NUL reads up to it.
    EXPECT_EQ(keys[0], u"abcd_\u00e4\u00f6\u00fc\u00df"_qs);
    EXPECT_EQ(keys[1], u"weird\u2122"_qs);
    EXPECT_EQ(keys[2], u"zero"_qs);
    EXPECT_EQ(valuesOf(registry, u"ABCD_\u00c4\u00d6\u00dc\u00df"_qs).names(),
              QStringList({u"abcd_\u00e4\u00f6\u00fc\u00df"_qs}));
    EXPECT_EQ(valuesOf(registry, u"WEIRD\u2122"_qs).value(u"symbols $\u00a3\u20a4\u20a7\u20ac"_qs).toInt(), 0);
}

TEST(HiveRegistry, OddLengthValuesOfTheSharedHive)
{
    QUILLMERE_REQUIRE_FIXTURE(path, "hive/rlenvalue_test_hive");
    const HiveRegistry registry(path);
    ASSERT_TRUE(registry.isOpen());
    const RegistryValues v = valuesOf(registry, u"ModerateValueParent"_qs);
    ASSERT_EQ(v.names(),
              QStringList({u"3Bytes"_qs, u"16Bytes"_qs, u"30Bytes"_qs, u"31Bytes"_qs, u"32Bytes"_qs, u"33Bytes"_qs}));
    EXPECT_EQ(v.value(u"3Bytes"_qs).toByteArray().size(), 3);
    EXPECT_EQ(v.value(u"33Bytes"_qs).toByteArray().size(), 33);
}

TEST(HiveRegistry, RealUserHives)
{
    QUILLMERE_REQUIRE_FIXTURE(vista, "hive/dfwinreg-NTUSER.DAT");
    QUILLMERE_REQUIRE_FIXTURE(seven, "hive/test_ntuser.dat");
    const HiveRegistry noIdentities(vista);
    EXPECT_TRUE(noIdentities.isOpen());
    EXPECT_TRUE(keysOf(noIdentities, QString()).contains(u"Environment"_qs));
    EXPECT_TRUE(keysOf(noIdentities, u"Identities"_qs).isEmpty());
    EXPECT_EQ(valuesOf(noIdentities, u"environment"_qs).value(u"temp"_qs).toString(),
              u"%USERPROFILE%\\AppData\\Local\\Temp"_qs);

    const HiveRegistry oneIdentity(seven);
    const QString id = u"{EF208C86-65AC-4012-84A1-F1B2647B21FD}"_qs;
    EXPECT_EQ(keysOf(oneIdentity, u"Identities"_qs), QStringList({id}));
    EXPECT_EQ(valuesOf(oneIdentity, u"Identities\\"_qs + id).value(u"Username"_qs).toString(), u"Main Identity"_qs);
    EXPECT_TRUE(keysOf(oneIdentity, u"Identities\\"_qs + id + u"\\Software\\Microsoft\\Outlook Express"_qs).isEmpty());

    // Neither has an Outlook Express store: the search finds nothing.
    for (const HiveRegistry* registry : {&noIdentities, &oneIdentity}) {
        platform::ScriptedDialogs dialogs;
        StoreDiscovery discovery;
        SearchIdentities(discovery, *registry, dialogs);
        EXPECT_TRUE(discovery.DBXFileList.isEmpty());
        EXPECT_EQ(dialogs.messages().size(), 2);
    }
}

// hivex opens a hive cut in half or with scrambled cells and answers from what it can still read: walking
// it must not crash us, whatever it lists. A missing file or a folder is no hive at all.
TEST(HiveRegistry, DamagedHivesAreWalkedWithoutCrashing)
{
    testsupport::TempDir dir;
    QUILLMERE_REQUIRE_FIXTURE(seven, "hive/test_ntuser.dat");
    const QByteArray whole = testsupport::TempDir::read(seven);
    QByteArray scrambled = whole;
    for (qsizetype i = 4096; i < scrambled.size(); i += 97)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    for (const QString& path :
         {dir.write(u"half.dat"_qs, whole.left(whole.size() / 2)), dir.write(u"scrambled.dat"_qs, scrambled)}) {
        const HiveRegistry registry(path);
        std::function<void(const QString&, int)> walk = [&](const QString& key, int depth) {
            valuesOf(registry, key);
            if (depth < 3) {
                for (const QString& child : keysOf(registry, key))
                    walk(key.isEmpty() ? child : key + u'\\' + child, depth + 1);
            }
        };
        walk(QString(), 0);
    }
    for (const QString& path : {dir.file(u"missing/NTUSER.DAT"_qs), dir.path()}) {
        const HiveRegistry registry(path);
        EXPECT_FALSE(registry.isOpen());
        EXPECT_TRUE(keysOf(registry, QString()).isEmpty());
    }
}

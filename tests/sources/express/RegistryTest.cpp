#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/MemoryRegistry.h"
#include "sources/express/Registry.h"
#include "sources/express/WineRegistry.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace sources::express;
using expresstest::dword;
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

struct Memory
{
    static std::unique_ptr<RegistryBackend> make(const testsupport::TempDir&)
    {
        auto registry = std::make_unique<MemoryRegistry>();
        for (const expresstest::RegistryKey& key : kKeys) {
            registry->addKey(kHkeyCurrentUser, key.path);
            for (const RegistryData& value : key.values)
                registry->setValue(kHkeyCurrentUser, key.path.split(u'\\'), value);
        }
        return registry;
    }
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

using Backends = ::testing::Types<Memory, UserReg, Hive>;
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
    for (qsizetype i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].name, expected[i].name);
        EXPECT_EQ(values[i].type, expected[i].type) << values[i].name.toStdString();
        EXPECT_EQ(values[i].data, expected[i].data) << values[i].name.toStdString();
    }
    expectValues(valuesOf(*this->registry, u"identities\\{A}"_qs),
                 {{u"USERNAME"_qs, u"Main \"Identity\" \\ caf\u00e9"_qs},
                  {u"store root"_qs, u"%UserProfile%\\x"_qs},
                  {u"Ordinal"_qs, qint32(-2)},
                  {u"Empty"_qs, u""_qs},
                  {u"Blob"_qs, kBlob},
                  {u"Strange"_qs, QByteArray("xy")},
                  {u"Nul"_qs, u"ab"_qs},
                  {u"Odd"_qs, u"a"_qs},
                  {QString(), u"default"_qs}});
    EXPECT_FALSE(valuesOf(*this->registry, u"identities\\{A}"_qs).contains(u"Absent"_qs));
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
        EXPECT_EQ(dialogs.messages().value(0).title, u"Quillmere"_qs);
    }
}

// The last line is Latin-1: Wine escapes every character above 127, a hand-edited file may not. Types other
// than text stay raw bytes: here UTF-16 "one", NUL, "two", NUL and the terminating NUL.
TEST(WineUserReg, ReadsEscapesAndTheValueFormsWineWrites)
{
    const auto registry = parsed(QByteArray(R"(WINE REGISTRY Version 2
#arch=win64

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
)") + "\"Latin1\"=\"\xe9t\xe9\"\n");
    expectValues(valuesOf(*registry, u"Software\\Test"_qs),
                 {{u"Plain"_qs, u"a \"quoted\" back\\slash\nnew line"_qs},
                  {u"Escaped"_qs, u"caf\u00e9 AB \u263a tab\there A x"_qs},
                  {u"Multi"_qs, registryTextData(QString::fromUtf16(u"one\0two\0", 8))},
                  {u"Binary"_qs, QByteArray("\x01\x02\x03\x04\x05\xff", 6)},
                  {u"Empty"_qs, u""_qs},
                  {u"Indented"_qs, u"blank around ="_qs},
                  {u"Latin1"_qs, u"\u00e9t\u00e9"_qs}});
}

// An entry longer than the cap is skipped as a whole.
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
[Long] 0
"Huge"=")") + QByteArray(kUserRegMaxEntryBytes + 10, 'a') +
                                 "\"\n\"After\"=\"read\"\n");
    EXPECT_EQ(keysOf(*registry, QString()), QStringList({u"Good"_qs, u"Long"_qs}));
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

// Real user hives; hivex gives Latin-1 and UTF-16 names as UTF-8, a name with an embedded NUL reads up to it;
// values stored inline and in cells read at their length.
TEST(HiveRegistry, ReadsTheSharedHives)
{
    QUILLMERE_REQUIRE_FIXTURE(seven, "hive/test_ntuser.dat");
    QUILLMERE_REQUIRE_FIXTURE(special, "hive/special");
    QUILLMERE_REQUIRE_FIXTURE(lengths, "hive/rlenvalue_test_hive");
    const QString id = u"Identities\\{EF208C86-65AC-4012-84A1-F1B2647B21FD}"_qs;
    EXPECT_EQ(valuesOf(HiveRegistry(seven), id).value(u"Username"_qs).toString(), u"Main Identity"_qs);

    const HiveRegistry names(special);
    EXPECT_EQ(keysOf(names, QString()),
              QStringList({u"abcd_\u00e4\u00f6\u00fc\u00df"_qs, u"weird\u2122"_qs, u"zero"_qs}));
    EXPECT_EQ(valuesOf(names, u"ABCD_\u00c4\u00d6\u00dc\u00df"_qs).names(),
              QStringList({u"abcd_\u00e4\u00f6\u00fc\u00df"_qs}));
    EXPECT_EQ(valuesOf(names, u"WEIRD\u2122"_qs).value(u"symbols $\u00a3\u20a4\u20a7\u20ac"_qs).toInt(), 0);

    const RegistryValues v = valuesOf(HiveRegistry(lengths), u"ModerateValueParent"_qs);
    ASSERT_EQ(v.names(),
              QStringList({u"3Bytes"_qs, u"16Bytes"_qs, u"30Bytes"_qs, u"31Bytes"_qs, u"32Bytes"_qs, u"33Bytes"_qs}));
    EXPECT_EQ(v.value(u"3Bytes"_qs).toByteArray().size(), 3);
    EXPECT_EQ(v.value(u"33Bytes"_qs).toByteArray().size(), 33);
}

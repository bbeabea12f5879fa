#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
#include "sources/express/DBXFiles.h"
#include "sources/express/Express1.h"
#include "sources/express/MemoryRegistry.h"
#include "sources/express/Registry.h"

#include <gtest/gtest.h>

using namespace sources::express;

namespace {

class RegistryModule : public ::testing::Test
{
protected:
    RegistryModule()
    {
        registry.setString(kHkeyCurrentUser, QStringLiteral("Identities"), QStringLiteral("Default User ID"),
                           QStringLiteral("{A}"));
        registry.setDword(kHkeyCurrentUser, QStringLiteral("Identities"), QStringLiteral("Identity Ordinal"), 3);
        registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{B}\\Software"));
        registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{a}"));
        registry.addKey(kHkeyCurrentUser, QStringLiteral("Identities\\{C}"));
    }

    platform::ScriptedDialogs dialogs;
    MemoryRegistry registry;
};

} // namespace

TEST(RootKeyFromName, HandlesOfTheTable)
{
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_CLASSES_ROOT")), 0x80000000u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_CURRENT_USER")), 0x80000001u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_LOCAL_MACHINE")), 0x80000002u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_USERS")), 0x80000003u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_PERFORMANCE_DATA")), 0x80000004u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_CURRENT_CONFIG")), 0x80000005u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_DYN_DATA")), 0x80000006u);
}

TEST(RootKeyFromName, ComparesExactly)
{
    EXPECT_EQ(RootKeyFromName(QStringLiteral("hkey_current_user")), 0u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKEY_CURRENT_USER ")), 0u);
    EXPECT_EQ(RootKeyFromName(QStringLiteral("HKCU")), 0u);
    EXPECT_EQ(RootKeyFromName(QString()), 0u);
}

TEST(SplitKeyPath, SplitsAtTheFirstBackslash)
{
    platform::ScriptedDialogs dialogs;
    QString path = QStringLiteral("HKEY_CURRENT_USER\\Identities\\{A}");
    quint32 root = 0;
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, kHkeyCurrentUser);
    EXPECT_EQ(path, QStringLiteral("Identities\\{A}"));

    path = QStringLiteral("HKEY_LOCAL_MACHINE");
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, kHkeyLocalMachine);
    EXPECT_EQ(path, QString());

    path = QStringLiteral("HKEY_NOWHERE\\Software");
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, 0u);
    EXPECT_EQ(path, QStringLiteral("Software"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SplitKeyPath, MalformedPathsShowIncorrectFormatAndChangeNothing)
{
    for (const QString& malformed :
         {QStringLiteral("HKEY_CURRENT_USER\\Identities\\"), QStringLiteral("Software\\Microsoft"),
          QStringLiteral("hkey_current_user\\Identities"), QStringLiteral("HKEY"), QString(),
          QStringLiteral("\\HKEY_CURRENT_USER"), QStringLiteral("HKEY_CURRENT_USER\\")}) {
        platform::ScriptedDialogs dialogs;
        QString path = malformed;
        quint32 root = 12345;
        EXPECT_FALSE(SplitKeyPath(dialogs, path, root));
        EXPECT_EQ(path, malformed);
        EXPECT_EQ(root, 12345u);
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Incorrect Format:\n\n") + malformed);
        EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Quillmere"));
        EXPECT_EQ(dialogs.messages()[0].buttons, platform::Buttons::Ok);
    }
}

TEST_F(RegistryModule, MalformedPathsEnumerateNothingAfterTheirMessage)
{
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Identities\\")).isEmpty());
    EXPECT_TRUE(EnumRegistryValues(registry, dialogs, QStringLiteral("Identities")).isEmpty());
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList({QStringLiteral("Incorrect Format:\n\nHKEY_CURRENT_USER\\Identities\\"),
                           QStringLiteral("Incorrect Format:\n\nIdentities")}));
}

TEST_F(RegistryModule, EnumeratesSubkeysInRegistryOrderWhateverTheLetterCase)
{
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Identities")),
              QStringList({QStringLiteral("{a}"), QStringLiteral("{B}"), QStringLiteral("{C}")}));
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\IDENTITIES\\{b}")),
              QStringList({QStringLiteral("Software")}));
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER")),
              QStringList({QStringLiteral("Identities")}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RegistryModule, AMissingKeyOrRootEnumeratesNothingSilently)
{
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Nowhere")).isEmpty());
    EXPECT_TRUE(EnumRegistryValues(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Nowhere")).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Identities\\\\{C}")).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_NOWHERE\\Identities")).isEmpty());
    // The backend holds only HKEY_CURRENT_USER: the same path under another root is not there.
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_LOCAL_MACHINE\\Identities")).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_USERS")).isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RegistryModule, AnotherRootEnumeratesWhenTheBackendHasIt)
{
    registry.addKey(kHkeyLocalMachine, QStringLiteral("Software\\Clients\\Mail"));
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Clients")),
              QStringList({QStringLiteral("Mail")}));
}

TEST_F(RegistryModule, ValuesConvertByType)
{
    const QString key = QStringLiteral("Identities\\{C}");
    registry.setString(kHkeyCurrentUser, key, QStringLiteral("Username"), QStringLiteral("Main Identity"));
    registry.setString(kHkeyCurrentUser, key, QStringLiteral("Store Root"), QStringLiteral("%UserProfile%\\x"),
                       kRegExpandSz);
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'), {QStringLiteral("Empty"), kRegSz, QByteArray()});
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'), {QStringLiteral("Empty2"), kRegExpandSz, QByteArray()});
    registry.setDword(kHkeyCurrentUser, key, QStringLiteral("Ordinal"), 0x2a);
    registry.setDword(kHkeyCurrentUser, key, QStringLiteral("Negative"), 0xffffffffu);
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'),
                      {QStringLiteral("Password2"), kRegBinary, QByteArray("\x01\x02\x03", 3)});
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'),
                      {QString(), kRegSz, registryTextData(QStringLiteral("default"))});

    const RegistryValues values =
        EnumRegistryValues(registry, dialogs, QStringLiteral("HKEY_CURRENT_USER\\Identities\\{C}"));
    EXPECT_EQ(values.names(), QStringList({QStringLiteral("Username"), QStringLiteral("Store Root"),
                                           QStringLiteral("Empty"), QStringLiteral("Empty2"), QStringLiteral("Ordinal"),
                                           QStringLiteral("Negative"), QStringLiteral("Password2"), QString()}));
    EXPECT_EQ(values.value(QStringLiteral("username")).toString(), QStringLiteral("Main Identity"));
    EXPECT_EQ(values.value(QStringLiteral("STORE ROOT")).toString(), QStringLiteral("%UserProfile%\\x"));
    EXPECT_EQ(values.value(QStringLiteral("Empty")).typeId(), QMetaType::QString);
    EXPECT_EQ(values.value(QStringLiteral("Empty")).toString(), QString());
    EXPECT_EQ(values.value(QStringLiteral("Empty2")).toString(), QString());
    EXPECT_EQ(values.value(QStringLiteral("Ordinal")).typeId(), QMetaType::Int);
    EXPECT_EQ(values.value(QStringLiteral("Ordinal")).toInt(), 42);
    EXPECT_EQ(values.value(QStringLiteral("negative")).toInt(), -1);
    EXPECT_EQ(values.value(QStringLiteral("Password2")).toByteArray(), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(values.value(QString()).toString(), QStringLiteral("default"));
    EXPECT_FALSE(values.value(QStringLiteral("Absent")).isValid());
    EXPECT_FALSE(values.contains(QStringLiteral("Absent")));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(RegistryText, ReadsUpToTheFirstNulAndToleratesOddLengths)
{
    EXPECT_EQ(registryText(QByteArray()), QString());
    EXPECT_EQ(registryText(QByteArray("a\0b\0\0\0c\0", 8)), QStringLiteral("ab"));
    EXPECT_EQ(registryText(QByteArray("a\0b", 3)), QStringLiteral("a"));
    EXPECT_EQ(registryText(registryTextData(QStringLiteral("\u00e9t\u00e9"))), QStringLiteral("\u00e9t\u00e9"));
}

TEST(IsBlankText, NulsAndBlanksOnly)
{
    EXPECT_TRUE(IsBlankText(QString()));
    EXPECT_TRUE(IsBlankText(QStringLiteral("   ")));
    EXPECT_TRUE(IsBlankText(QString(QChar(u'\0')) + QStringLiteral("  ") + QChar(u'\0')));
    EXPECT_FALSE(IsBlankText(QStringLiteral(" a ")));
    EXPECT_FALSE(IsBlankText(QStringLiteral("\t")));
}

TEST(IsSkippedStoreFile, FoldersAndPop3uidlInAnyCase)
{
    EXPECT_TRUE(DBXFiles::IsSkippedStoreFile(QStringLiteral("Folders.DBX")));
    EXPECT_TRUE(DBXFiles::IsSkippedStoreFile(QStringLiteral("folders.dbx")));
    EXPECT_TRUE(DBXFiles::IsSkippedStoreFile(QStringLiteral("Pop3uidl.dbx")));
    EXPECT_TRUE(DBXFiles::IsSkippedStoreFile(QStringLiteral("POP3UIDL.DBX")));
    EXPECT_FALSE(DBXFiles::IsSkippedStoreFile(QStringLiteral("Inbox.dbx")));
    EXPECT_FALSE(DBXFiles::IsSkippedStoreFile(QStringLiteral("folders.dbx.bak")));
}

#include "ExpressFixtures.h"
#include "platform/ScriptedPlatform.h"
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
        registry.setString(kHkeyCurrentUser, u"Identities"_qs, u"Default User ID"_qs, u"{A}"_qs);
        registry.setDword(kHkeyCurrentUser, u"Identities"_qs, u"Identity Ordinal"_qs, 3);
        registry.addKey(kHkeyCurrentUser, u"Identities\\{B}\\Software"_qs);
        registry.addKey(kHkeyCurrentUser, u"Identities\\{a}"_qs);
        registry.addKey(kHkeyCurrentUser, u"Identities\\{C}"_qs);
    }

    platform::ScriptedDialogs dialogs;
    MemoryRegistry registry;
};

} // namespace

TEST(RootKeyFromName, HandlesOfTheTableComparedExactly)
{
    const char* const names[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                 "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    for (quint32 i = 0; i < 7; ++i)
        EXPECT_EQ(RootKeyFromName(QLatin1String(names[i])), 0x80000000u + i) << names[i];
    for (const char* other : {"hkey_current_user", "HKEY_CURRENT_USER ", "HKCU", ""})
        EXPECT_EQ(RootKeyFromName(QLatin1String(other)), 0u) << other;
}

TEST(SplitKeyPath, SplitsAtTheFirstBackslash)
{
    platform::ScriptedDialogs dialogs;
    QString path = u"HKEY_CURRENT_USER\\Identities\\{A}"_qs;
    quint32 root = 0;
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, kHkeyCurrentUser);
    EXPECT_EQ(path, u"Identities\\{A}"_qs);

    path = u"HKEY_LOCAL_MACHINE"_qs;
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, kHkeyLocalMachine);
    EXPECT_EQ(path, QString());

    path = u"HKEY_NOWHERE\\Software"_qs;
    EXPECT_TRUE(SplitKeyPath(dialogs, path, root));
    EXPECT_EQ(root, 0u);
    EXPECT_EQ(path, u"Software"_qs);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(SplitKeyPath, MalformedPathsShowIncorrectFormatAndChangeNothing)
{
    for (const QString& malformed :
         {u"HKEY_CURRENT_USER\\Identities\\"_qs, u"Software\\Microsoft"_qs, u"hkey_current_user\\Identities"_qs,
          u"HKEY"_qs, QString(), u"\\HKEY_CURRENT_USER"_qs, u"HKEY_CURRENT_USER\\"_qs}) {
        platform::ScriptedDialogs dialogs;
        QString path = malformed;
        quint32 root = 12345;
        EXPECT_FALSE(SplitKeyPath(dialogs, path, root));
        EXPECT_EQ(path, malformed);
        EXPECT_EQ(root, 12345u);
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].text, u"Incorrect Format:\n\n"_qs + malformed);
        EXPECT_EQ(dialogs.messages()[0].title, u"Quillmere"_qs);
        EXPECT_EQ(dialogs.messages()[0].buttons, platform::Buttons::Ok);
    }
}

TEST_F(RegistryModule, MalformedPathsEnumerateNothingAfterTheirMessage)
{
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER\\Identities\\"_qs).isEmpty());
    EXPECT_TRUE(EnumRegistryValues(registry, dialogs, u"Identities"_qs).isEmpty());
    EXPECT_EQ(dialogs.messageTexts(), QStringList({u"Incorrect Format:\n\nHKEY_CURRENT_USER\\Identities\\"_qs,
                                                   u"Incorrect Format:\n\nIdentities"_qs}));
}

TEST_F(RegistryModule, EnumeratesSubkeysInRegistryOrderWhateverTheLetterCase)
{
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER\\Identities"_qs),
              QStringList({u"{a}"_qs, u"{B}"_qs, u"{C}"_qs}));
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER\\IDENTITIES\\{b}"_qs),
              QStringList({u"Software"_qs}));
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER"_qs), QStringList({u"Identities"_qs}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RegistryModule, AMissingKeyOrRootEnumeratesNothingSilently)
{
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER\\Nowhere"_qs).isEmpty());
    EXPECT_TRUE(EnumRegistryValues(registry, dialogs, u"HKEY_CURRENT_USER\\Nowhere"_qs).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_CURRENT_USER\\Identities\\\\{C}"_qs).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_NOWHERE\\Identities"_qs).isEmpty());
    // The backend holds only HKEY_CURRENT_USER: the same path under another root is not there.
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_LOCAL_MACHINE\\Identities"_qs).isEmpty());
    EXPECT_TRUE(EnumRegistryKeys(registry, dialogs, u"HKEY_USERS"_qs).isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
    // Another root enumerates when the backend has it.
    registry.addKey(kHkeyLocalMachine, u"Software\\Clients\\Mail"_qs);
    EXPECT_EQ(EnumRegistryKeys(registry, dialogs, u"HKEY_LOCAL_MACHINE\\Software\\Clients"_qs),
              QStringList({u"Mail"_qs}));
}

TEST_F(RegistryModule, ValuesConvertByType)
{
    const QString key = u"Identities\\{C}"_qs;
    registry.setString(kHkeyCurrentUser, key, u"Username"_qs, u"Main Identity"_qs);
    registry.setString(kHkeyCurrentUser, key, u"Store Root"_qs, u"%UserProfile%\\x"_qs, kRegExpandSz);
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'), {u"Empty"_qs, kRegSz, QByteArray()});
    registry.setDword(kHkeyCurrentUser, key, u"Ordinal"_qs, 0x2a);
    registry.setDword(kHkeyCurrentUser, key, u"Negative"_qs, 0xffffffffu);
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'), {u"Password2"_qs, kRegBinary, QByteArray("\x01\x02\x03", 3)});
    registry.setValue(kHkeyCurrentUser, key.split(u'\\'), {QString(), kRegSz, registryTextData(u"default"_qs)});

    const RegistryValues values = EnumRegistryValues(registry, dialogs, u"HKEY_CURRENT_USER\\Identities\\{C}"_qs);
    EXPECT_EQ(values.names(), QStringList({u"Username"_qs, u"Store Root"_qs, u"Empty"_qs, u"Ordinal"_qs, u"Negative"_qs,
                                           u"Password2"_qs, QString()}));
    EXPECT_EQ(values.value(u"username"_qs).toString(), u"Main Identity"_qs);
    EXPECT_EQ(values.value(u"STORE ROOT"_qs).toString(), u"%UserProfile%\\x"_qs);
    EXPECT_EQ(values.value(u"Empty"_qs).typeId(), QMetaType::QString);
    EXPECT_EQ(values.value(u"Empty"_qs).toString(), QString());
    EXPECT_EQ(values.value(u"Ordinal"_qs).toInt(), 42);
    EXPECT_EQ(values.value(u"negative"_qs).toInt(), -1);
    EXPECT_EQ(values.value(u"Password2"_qs).toByteArray(), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(values.value(QString()).toString(), u"default"_qs);
    EXPECT_FALSE(values.value(u"Absent"_qs).isValid());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(RegistryText, ReadsUpToTheFirstNulAndToleratesOddLengths)
{
    EXPECT_EQ(registryText(QByteArray()), QString());
    EXPECT_EQ(registryText(QByteArray("a\0b\0\0\0c\0", 8)), u"ab"_qs);
    EXPECT_EQ(registryText(QByteArray("a\0b", 3)), u"a"_qs);
    EXPECT_EQ(registryText(registryTextData(u"\u00e9t\u00e9"_qs)), u"\u00e9t\u00e9"_qs);
}

#include "core/AppError.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace core;
using testsupport::TempDir;

TEST(Settings, StoredValueIsOnDiskAtOnceAndReadByANewInstance)
{
    TempDir dir;
    const QString path = dir.file(u"Brindlewick.ini"_qs);
    {
        Settings s(path);
        s.store(u"PST File"_qs, u"/mail/a, b.pst"_qs);
        s.store(u"Check2"_qs, u"0"_qs);
        EXPECT_TRUE(TempDir::read(path).contains("[Quillmere]"));
    }
    Settings again(path);
    EXPECT_EQ(again.value(u"PST File"_qs), u"/mail/a, b.pst"_qs);
    EXPECT_EQ(again.value(u"Check2"_qs), u"0"_qs);
    EXPECT_FALSE(again.value(u"Check1"_qs).has_value());
}

TEST(Settings, GarbageFileReadsWhatItCanAndNeverFails)
{
    TempDir dir;
    static const char garbage[] = "\x00\xFF\xFE garbage [[[\n=\n[Quillmere]\nCheck1=1\nText1=a,b\nCheck2=@Invalid()\n";
    const QString path = dir.write(u"Brindlewick.ini"_qs, QByteArray(garbage, sizeof garbage - 1));
    Settings s(path);
    EXPECT_EQ(s.value(u"Check1"_qs), u"1"_qs);
    EXPECT_EQ(s.value(u"Text1"_qs), u"a,b"_qs);
    EXPECT_FALSE(s.value(u"Check2"_qs).has_value());
}

TEST(SettingValues, Integer16LikeTheRunTime)
{
    EXPECT_EQ(toInteger16(u"1"_qs), 1);
    EXPECT_EQ(toInteger16(u" 0 "_qs), 0);
    EXPECT_EQ(toInteger16(u"2.5"_qs), 2);
    EXPECT_EQ(toInteger16(u"3.5"_qs), 4);
    EXPECT_EQ(toInteger16(u"-32768"_qs), -32768);
    EXPECT_EQ(toInteger16(u"True"_qs), -1);
    EXPECT_EQ(toInteger16(u"false"_qs), 0);
    for (const char* bad : {"", "abc", "1x", "nan"}) {
        try {
            toInteger16(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), errors::kTypeMismatch) << bad;
        }
    }
    try {
        toInteger16(u"40000"_qs);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), errors::kOverflow);
    }
}

TEST(SettingValues, TruthAndStoredForms)
{
    EXPECT_TRUE(toTruth(u"1"_qs));
    EXPECT_TRUE(toTruth(u"-1"_qs));
    EXPECT_TRUE(toTruth(u"TRUE"_qs));
    EXPECT_FALSE(toTruth(u"0"_qs));
    EXPECT_FALSE(toTruth(u"False"_qs));
    EXPECT_THROW(toTruth(u"yes"_qs), AppError);
}

// A settings file as the windows have always written it: every key of the table, each in its stored form.
const char kWrittenFile[] = "[Quillmere]\n"
                            "Body=1\n"
                            "Check1=1\n"
                            "Check14=0\n"
                            "Check15=0\n"
                            "Check16=1\n"
                            "Check2=0\n"
                            "Check21=0\n"
                            "Check22=1\n"
                            "Check3=0\n"
                            "Check4=1\n"
                            "Check5=0\n"
                            "Combo1=tide!!!QUIBB!!!two words\n"
                            "EndWith=\\\"\n"
                            "From=0\n"
                            "Option3=False\n"
                            "Option4=True\n"
                            "PST%20File=\"/home/ada/Mail/archive, 2004.pst\"\n"
                            "StartWith=\"href=\\\"\"\n"
                            "Text1=@@example.org\n"
                            "Text2=unsubscribe\n"
                            "Text5=\"1,3,7-9\"\n";

TEST(SettingsTable, AFileWrittenByEarlierRunsIsReadUnchangedAndWrittenBackTheSame)
{
    using enum Setting;
    TempDir dir;
    const Settings earlier(dir.write(u"earlier.ini"_qs, kWrittenFile));
    const std::pair<Setting, bool> switches[] = {
        {BodyField, true},   {RemoveDuplicates, true}, {ShowSource, false},    {Outbox, false},       {Inbox, true},
        {IgnoreCase, false}, {IncludeStart, false},    {IncludeEnd, true},     {DeletedItems, false}, {Drafts, true},
        {SentItems, false},  {FromField, false},       {ProfileSource, false}, {PstFileSource, true}};
    const std::pair<Setting, QString> texts[] = {{TextSetItems, u"tide!!!QUIBB!!!two words"_qs},
                                                 {BetweenEnd, u"\""_qs},
                                                 {PstFile, u"/home/ada/Mail/archive, 2004.pst"_qs},
                                                 {BetweenStart, u"href=\""_qs},
                                                 {ContainingText, u"@example.org"_qs},
                                                 {NotContainingText, u"unsubscribe"_qs},
                                                 {LineNumbers, u"1,3,7-9"_qs}};
    Settings again(dir.file(u"again.ini"_qs));
    for (const auto& [setting, on] : switches) {
        EXPECT_EQ(readSwitch(earlier, setting), on) << settingEntry(setting).key;
        storeSwitch(again, setting, readSwitch(earlier, setting));
    }
    for (const auto& [setting, text] : texts) {
        EXPECT_EQ(readText(earlier, setting), text) << settingEntry(setting).key;
        storeText(again, setting, readText(earlier, setting));
    }
    EXPECT_EQ(std::size(switches) + std::size(texts), std::size_t(TextSetItems) + 1); // every key of the table
    EXPECT_EQ(TempDir::read(again.filePath()).toStdString(), std::string(kWrittenFile));
}

TEST(SettingsTable, UnsetKeysReadTheirDefaultsAndBadValuesFailAsTheirTypeReadsThem)
{
    TempDir dir;
    Settings s(dir.write(u"s.ini"_qs, "[Quillmere]\nCheck1=2\nCheck2=True\nFrom=-1\nBody=yes\nOption3=0\n"));
    EXPECT_TRUE(readSwitch(s, Setting::IncludeStart));
    EXPECT_FALSE(readSwitch(s, Setting::Drafts));
    EXPECT_TRUE(readText(s, Setting::PstFile).isEmpty());
    try {
        readSwitch(s, Setting::RemoveDuplicates);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), errors::kInvalidPropertyValue);
    }
    EXPECT_THROW(readSwitch(s, Setting::IgnoreCase), AppError); // a tick reads True as -1
    EXPECT_TRUE(readSwitch(s, Setting::FromField));
    EXPECT_THROW(readSwitch(s, Setting::BodyField), AppError);
    EXPECT_FALSE(readSwitch(s, Setting::ProfileSource));
}

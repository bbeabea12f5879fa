#include "core/AppError.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace core;
using testsupport::TempDir;

TEST(Settings, GarbageFileReadsWhatItCanAndNeverFails)
{
    TempDir dir;
    static const char garbage[] = "\x00\xFF\xFE garbage [[[\n=\n[Quillmere]\nCheck1=1\nText1=a,b\nCheck2=@Invalid()\n";
    const Settings s(dir.write(u"Brindlewick.ini"_qs, QByteArray(garbage, sizeof garbage - 1)));
    EXPECT_EQ(s.value(u"Check1"_qs), u"1"_qs);
    EXPECT_EQ(s.value(u"Text1"_qs), u"a,b"_qs);
    EXPECT_FALSE(s.value(u"Check2"_qs).has_value());
}

TEST(SettingValues, NumbersAndTruthsReadLikeTheRunTime)
{
    const std::pair<const char*, int> numbers[] = {{"1", 1},           {" 0 ", 0},   {"2.5", 2},  {"3.5", 4},
                                                   {"-32768", -32768}, {"True", -1}, {"false", 0}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(toInteger16(QString::fromLatin1(text)), value) << text;
    const int mismatch = errors::kTypeMismatch;
    const std::pair<const char*, int> failures[] = {
        {"", mismatch}, {"abc", mismatch}, {"1x", mismatch}, {"nan", mismatch}, {"40000", errors::kOverflow}};
    for (const auto& [text, number] : failures) {
        try {
            toInteger16(QString::fromLatin1(text));
            ADD_FAILURE() << text;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), number) << text;
        }
    }
    for (const auto& [text, on] : {std::pair{"1", true}, {"-1", true}, {"TRUE", true}, {"0", false}, {"False", false}})
        EXPECT_EQ(toTruth(QString::fromLatin1(text)), on) << text;
    EXPECT_THROW(toTruth(u"yes"_qs), AppError);
}

// A settings file as the windows have always written it: every key of the table, each in its stored form.
const char kWrittenFile[] = "[Quillmere]\nBody=1\nCheck1=1\nCheck14=0\nCheck15=0\nCheck16=1\nCheck2=0\nCheck21=0\n"
                            "Check22=1\nCheck3=0\nCheck4=1\nCheck5=0\nCombo1=tide!!!QUIBB!!!two words\n"
                            "EndWith=\\\"\nFrom=0\nOption3=False\nOption4=True\n"
                            "PST%20File=\"/home/ada/Mail/archive, 2004.pst\"\nStartWith=\"href=\\\"\"\n"
                            "Text1=@@example.org\nText2=unsubscribe\nText5=\"1,3,7-9\"\n";

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

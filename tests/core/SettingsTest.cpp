#include "core/AppError.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
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

#include "app/AppError.h"
#include "app/ComboList.h"
#include "app/SettingValues.h"
#include "app/Settings.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace app;
using testsupport::TempDir;

TEST(Settings, StoredValueIsOnDiskAtOnceAndReadByANewInstance)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("Brindlewick.ini"));
    {
        Settings s(path);
        s.store(QStringLiteral("PST File"), QStringLiteral("/mail/a, b.pst"));
        s.store(QStringLiteral("Check2"), QStringLiteral("0"));
        EXPECT_TRUE(TempDir::read(path).contains("[Quillmere]"));
    }
    Settings again(path);
    EXPECT_EQ(again.value(QStringLiteral("PST File")), QStringLiteral("/mail/a, b.pst"));
    EXPECT_EQ(again.value(QStringLiteral("Check2")), QStringLiteral("0"));
    EXPECT_FALSE(again.value(QStringLiteral("Check1")).has_value());
}

TEST(Settings, GarbageFileReadsWhatItCanAndNeverFails)
{
    TempDir dir;
    static const char garbage[] = "\x00\xFF\xFE garbage [[[\n=\n[Quillmere]\nCheck1=1\nText1=a,b\nCheck2=@Invalid()\n";
    const QString path = dir.write(QStringLiteral("Brindlewick.ini"), QByteArray(garbage, sizeof garbage - 1));
    Settings s(path);
    EXPECT_EQ(s.value(QStringLiteral("Check1")), QStringLiteral("1"));
    EXPECT_EQ(s.value(QStringLiteral("Text1")), QStringLiteral("a,b"));
    EXPECT_FALSE(s.value(QStringLiteral("Check2")).has_value());
}

TEST(SettingValues, Integer16LikeTheRunTime)
{
    EXPECT_EQ(toInteger16(QStringLiteral("1")), 1);
    EXPECT_EQ(toInteger16(QStringLiteral(" 0 ")), 0);
    EXPECT_EQ(toInteger16(QStringLiteral("2.5")), 2);
    EXPECT_EQ(toInteger16(QStringLiteral("3.5")), 4);
    EXPECT_EQ(toInteger16(QStringLiteral("-32768")), -32768);
    EXPECT_EQ(toInteger16(QStringLiteral("True")), -1);
    EXPECT_EQ(toInteger16(QStringLiteral("false")), 0);
    for (const char* bad : {"", "abc", "1x", "nan"}) {
        try {
            toInteger16(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), errors::kTypeMismatch) << bad;
        }
    }
    try {
        toInteger16(QStringLiteral("40000"));
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), errors::kOverflow);
    }
}

TEST(SettingValues, TruthAndStoredForms)
{
    EXPECT_TRUE(toTruth(QStringLiteral("1")));
    EXPECT_TRUE(toTruth(QStringLiteral("-1")));
    EXPECT_TRUE(toTruth(QStringLiteral("TRUE")));
    EXPECT_FALSE(toTruth(QStringLiteral("0")));
    EXPECT_FALSE(toTruth(QStringLiteral("False")));
    EXPECT_THROW(toTruth(QStringLiteral("yes")), AppError);
    EXPECT_EQ(checkText(true), QStringLiteral("1"));
    EXPECT_EQ(booleanText(false), QStringLiteral("False"));
}

TEST(ComboList, LoadSkipsBlankLinesKeepsLeadingBlanksAndRepeats)
{
    TempDir dir;
    platform::ScriptedDialogs dialogs;
    QStringList items{QStringLiteral("x")};
    LoadLinesIntoCombo(items, dir.write(QStringLiteral("items.txt"), "  lead\r\n   \r\n\r\nx\r\n\tTab\r\n"), dialogs);
    EXPECT_EQ(items, (QStringList{QStringLiteral("x"), QStringLiteral("  lead"), QStringLiteral("x"),
                                  QStringLiteral("\tTab")}));
    EXPECT_TRUE(dialogs.messages().isEmpty());

    LoadLinesIntoCombo(items, dir.file(QStringLiteral("absent.txt")), dialogs);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{QStringLiteral("File not found")});
    EXPECT_EQ(items.size(), 4);
}

TEST(ComboList, SaveJoinsWithMarkerAndEmptyListKeepsStoredValue)
{
    TempDir dir;
    Settings s(dir.file(QStringLiteral("s.ini")));
    SaveComboList({QStringLiteral("x"), QStringLiteral("y")}, s);
    EXPECT_EQ(s.value(QStringLiteral("Combo1")), QStringLiteral("x!!!QUIBB!!!y"));
    SaveComboList({}, s);
    EXPECT_EQ(s.value(QStringLiteral("Combo1")), QStringLiteral("x!!!QUIBB!!!y"));
}

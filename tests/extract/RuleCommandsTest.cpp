#include "FakeServedWindow.h"
#include "extract/RuleCommands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using platform::Pointer;

namespace {

struct BetweenInputs : extract::BetweenDialog
{
    QString startText() const override { return x; }
    QString endText() const override { return y; }
    bool includeStart() const override { return incX; }
    bool includeEnd() const override { return incY; }
    platform::PointerControl& pointer() override { return cursor; }
    QString x, y;
    bool incX = true, incY = true;
    platform::ScriptedPointer cursor;
};

struct TextSetsInputs : extract::TextSetsDialog
{
    QStringList items() const override { return list; }
    platform::PointerControl& pointer() override { return cursor; }
    void requestClose() override { ++closeRequests; }
    QStringList list;
    platform::ScriptedPointer cursor;
    int closeRequests = 0;
};

class RuleCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.list.setColumns({{u"Old"_qs, 100}});
        window.list.add({u"earlier row"_qs, {}, false});
    }
    testsupport::TempDir dir;
    FakeServedWindow window{dir.file(u"test.txt"_qs)};
    extract::StagedFileSource units{window};
};

} // namespace

TEST_F(RuleCommandsTest, BetweenWithoutXOrYAsksForBothAndStagesNothing)
{
    BetweenInputs dialog;
    dialog.x = u"p"_qs;
    extract::StartBetween(u"Form2"_qs, dialog, window, units);
    EXPECT_EQ(window.desktop.dialogs.messageTexts(),
              QStringList{u"Fill out starting text (or character) and fill out ending text (or character)."_qs});
    EXPECT_EQ(window.stagings, 0);
    EXPECT_EQ(window.rows(), QStringList{u"earlier row"_qs});
}

TEST_F(RuleCommandsTest, BetweenRunsOverTheStagedMailAndRests)
{
    BetweenInputs dialog;
    dialog.x = u"p"_qs;
    dialog.y = u"n"_qs;
    dialog.incX = false;
    window.staged = "\r\nThe rain in spain falls mainly on the plain.\r\n";
    window.bar.setText(u"busy"_qs);
    window.bar.setValue(40);
    extract::StartBetween(u"Form2"_qs, dialog, window, units);
    EXPECT_EQ(window.rows(), (QStringList{u"ain"_qs, u"lain"_qs}));
    EXPECT_EQ(dialog.cursor.history(), (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
    EXPECT_EQ(window.bar.text(), u"Progress Bar"_qs);
    EXPECT_EQ(window.bar.value(), 0);

    window.stagingWorks = false;
    extract::StartBetween(u"Form2"_qs, dialog, window, units);
    EXPECT_EQ(window.rows(), (QStringList{u"ain"_qs, u"lain"_qs})); // untouched
}

TEST_F(RuleCommandsTest, TextSetsWithNoItemsTellsSoLeavesTheListAndCloses)
{
    TextSetsInputs dialog;
    window.withSource = true;
    extract::StartTextSets(u"Form3"_qs, dialog, window, units);
    EXPECT_EQ(window.stagings, 1); // the mail is staged before the list is looked at
    EXPECT_EQ(window.desktop.dialogs.messageTexts(),
              QStringList{u"Fill out combobox text to use to extract lines."_qs});
    EXPECT_EQ(window.rows(), QStringList{u"earlier row"_qs});
    EXPECT_EQ(window.list.columns()[0].title, u"Results"_qs);
    EXPECT_EQ(dialog.closeRequests, 1);
    EXPECT_EQ(dialog.cursor.pointer(), Pointer::Default);

    window.stagingWorks = false;
    dialog.list = QStringList{u"x"_qs};
    extract::StartTextSets(u"Form3"_qs, dialog, window, units);
    EXPECT_EQ(window.rows(), QStringList{u"earlier row"_qs});
    EXPECT_EQ(dialog.closeRequests, 2);
}

TEST_F(RuleCommandsTest, TextSetsOfferALineOncePerMatchingItem)
{
    TextSetsInputs dialog;
    dialog.list = QStringList{u"spain"_qs, u"rain"_qs};
    window.staged = "\r\nThe rain in spain\r\nno match here\r\n\r\n";
    extract::StartTextSets(u"Form3"_qs, dialog, window, units);
    EXPECT_EQ(window.rows(), (QStringList{u"The rain in spain"_qs, u"The rain in spain"_qs}));

    window.dedupe = true;
    window.withSource = true;
    extract::StartTextSets(u"Form3"_qs, dialog, window, units);
    EXPECT_EQ(window.rows(), QStringList{u"The rain in spain"_qs});
    EXPECT_EQ(window.list.columns()[0].title, u"Results"_qs); // over the source paths
    EXPECT_EQ(window.list.columns()[1].title, u"Extraction Results"_qs);
}

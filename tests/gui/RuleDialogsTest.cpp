#include "rules/FakeServedWindow.h"
#include "core/Settings.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/RuleHelp.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using platform::Pointer;

namespace {

class RuleDialogsTest : public ::testing::Test
{
protected:
    gui::DialogContext context()
    {
        return {window, std::make_unique<rules::StagedFileSource>(window), *settings,
                QStringLiteral(QUILLMERE_PROGRAM_DIR)};
    }
    // A new program run: the settings read afresh, the dialog loaded on its first opening.
    template <class Form>
    std::unique_ptr<Form> open()
    {
        settings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        auto form = std::make_unique<Form>(context(), nullptr);
        form->showDialog(false);
        return form;
    }
    QStringList comboItems(const gui::TextSetsDialog& form)
    {
        QStringList items;
        for (int i = 0; i < form.itemsBox->count(); ++i)
            items.append(form.itemsBox->itemText(i));
        return items;
    }

    testsupport::TempDir dir;
    FakeServedWindow window{dir.file(u"test.txt"_qs)};
    std::unique_ptr<core::Settings> settings;
};

} // namespace

TEST_F(RuleDialogsTest, BetweenDialogKeepsEveryChangeForTheNextRun)
{
    auto form = open<gui::BetweenDialog>();
    EXPECT_TRUE(form->includeStartBox->isChecked());
    EXPECT_TRUE(form->includeEndBox->isChecked());
    form->startTextBox->setText(u"remove="_qs);
    form->endTextBox->setText(u"\" target"_qs);
    form->includeStartBox->setChecked(false);
    EXPECT_EQ(settings->value(u"StartWith"_qs), u"remove="_qs);
    EXPECT_EQ(settings->value(u"Check21"_qs), u"0"_qs);

    form = open<gui::BetweenDialog>();
    EXPECT_EQ(form->endTextBox->text(), u"\" target"_qs);
    EXPECT_FALSE(form->includeStartBox->isChecked());
    EXPECT_TRUE(form->includeEndBox->isChecked());
}

TEST_F(RuleDialogsTest, BetweenDialogStartsExtractingIntoTheServedList)
{
    auto form = open<gui::BetweenDialog>();
    window.list.add({u"earlier row"_qs, {}, false});
    form->startTextBox->setText(u"p"_qs);
    form->startButton->click(); // no Y: asks for both, stages nothing
    EXPECT_EQ(window.desktop.dialogs.messageTexts(),
              QStringList{u"Fill out starting text (or character) and fill out ending text (or character)."_qs});
    EXPECT_EQ(window.stagings, 0);

    form->endTextBox->setText(u"n"_qs);
    window.staged = "\r\nThe rain in spain falls mainly on the plain.\r\n";
    window.bar.setText(u"busy"_qs);
    window.bar.setValue(40);
    form->startButton->click();
    EXPECT_EQ(window.rows(), (QStringList{u"pain"_qs, u"plain"_qs}));
    EXPECT_EQ(form->dialogPointer().pointer(), Pointer::Default);
    EXPECT_EQ(window.bar.text(), u"Progress Bar"_qs);
    EXPECT_EQ(window.bar.value(), 0);
    window.stagingWorks = false; // a failed staging leaves the list as it was
    form->startButton->click();
    EXPECT_EQ(window.rows(), (QStringList{u"pain"_qs, u"plain"_qs}));
    form->helpButton->click();
    EXPECT_EQ(window.desktop.dialogs.messageTexts().last(), gui::betweenHelp());
}

TEST_F(RuleDialogsTest, ClosingHidesWhileTheProgramRunsAndClosesOnceItEnds)
{
    auto form = open<gui::BetweenDialog>();
    form->startTextBox->setText(u"kept"_qs);
    form->closeButton->click();
    EXPECT_FALSE(form->isVisible());
    form->showDialog(false);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->startTextBox->text(), u"kept"_qs);

    window.closing = true;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(RuleDialogsTest, TextSetsDialogStoresTheListAfterAddRemoveAndClearOnly)
{
    auto form = open<gui::TextSetsDialog>();
    window.desktop.dialogs.answerInput(u"quay"_qs);
    form->addItemButton->click();
    window.desktop.dialogs.answerInput(u"two words"_qs);
    form->addItemButton->click();
    EXPECT_EQ(settings->value(u"Combo1"_qs), u"quay!!!QUIBB!!!two words"_qs);
    EXPECT_EQ(window.desktop.dialogs.inputPrompts().last(), u"Enter text:"_qs);

    const QString a = dir.write(u"a.txt"_qs, "  tide\r\n \r\ngulls\r\n");
    window.desktop.dialogs.answerFile({dir.path() + QChar(u'\0') + u"a.txt"_qs + QChar(u'\0') + u"gone.txt"_qs, 1});
    form->loadItemsButton->click();
    EXPECT_EQ(window.desktop.dialogs.fileRequests().last().flags, 0x280201u);
    EXPECT_EQ(window.desktop.dialogs.messageTexts(), QStringList{u"File not found"_qs});
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"two words"_qs, u"  tide"_qs, u"gulls"_qs}));
    // Loaded items are not stored: the next program run has only the stored ones.
    form = open<gui::TextSetsDialog>();
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"two words"_qs}));

    window.desktop.dialogs.answerFile({a, 1});
    form->loadItemsButton->click();
    form->addItemButton->click(); // cancelled: the list is stored all the same
    form = open<gui::TextSetsDialog>();
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"two words"_qs, u"  tide"_qs, u"gulls"_qs}));

    form->itemsBox->setCurrentIndex(1);
    form->removeItemButton->click();
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"  tide"_qs, u"gulls"_qs}));
    form->clearItemsButton->click();
    EXPECT_EQ(form->itemsBox->count(), 0);
    form = open<gui::TextSetsDialog>(); // an empty list stores nothing
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"  tide"_qs, u"gulls"_qs}));
}

TEST_F(RuleDialogsTest, TextSetsDialogRunClosesTheDialogAlsoWithoutItems)
{
    auto form = open<gui::TextSetsDialog>();
    window.list.add({u"earlier"_qs, {}, false});
    form->startButton->click();
    EXPECT_EQ(window.desktop.dialogs.messageTexts(),
              QStringList{u"Fill out combobox text to use to extract lines."_qs});
    EXPECT_EQ(window.rows(), QStringList{u"earlier"_qs});
    EXPECT_EQ(window.stagings, 1); // the mail is staged before the list is looked at
    EXPECT_FALSE(form->isVisible());

    form->showDialog(false);
    window.desktop.dialogs.answerInput(u"tide"_qs);
    form->addItemButton->click();
    window.desktop.dialogs.answerInput(u"slow"_qs);
    form->addItemButton->click();
    window.staged = "\r\nthe tide runs slow\r\nA heron\r\n";
    form->startButton->click(); // a line once per matching item
    EXPECT_EQ(window.rows(), QStringList(2, u"the tide runs slow"_qs));
    EXPECT_FALSE(form->isVisible());
    window.dedupe = true;
    window.withSource = true;
    form->showDialog(false);
    form->startButton->click();
    EXPECT_EQ(window.rows(), QStringList{u"the tide runs slow"_qs});
    EXPECT_EQ(window.list.columns()[0].title, u"Results"_qs); // over the source paths
    EXPECT_EQ(window.list.columns()[1].title, u"Extraction Results"_qs);
    form->helpButton->click();
    EXPECT_EQ(window.desktop.dialogs.messageTexts().last(), gui::textSetsHelp());
}

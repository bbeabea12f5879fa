#include "core/Settings.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/RuleHelp.h"
#include "gui/ServedPanel.h"
#include "gui/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using platform::Pointer;

namespace {

// The dialogs over a main window's panel, whose runs read the staged text.
class RuleDialogsTest : public guitest::WindowFixture
{
protected:
    void SetUp() override { panel = staged.panelIn(window, freshContext()); }
    // A new program run: the dialog's settings read afresh, the dialog loaded on its first opening.
    template <class Form>
    std::unique_ptr<Form> open()
    {
        dialogSettings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        auto form = std::make_unique<Form>(
            gui::DialogContext{*panel, staged.source(), *dialogSettings, QStringLiteral(QUILLMERE_PROGRAM_DIR)},
            nullptr);
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

    QStringList rows() const { return guitest::rows(panel->results()); }

    QWidget window;
    guitest::StagedText staged{dir.file(u"test.txt"_qs), {}};
    gui::CommandPanel* panel = nullptr;
    std::unique_ptr<core::Settings> dialogSettings;
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
    EXPECT_EQ(dialogSettings->value(u"StartWith"_qs), u"remove="_qs);
    EXPECT_EQ(dialogSettings->value(u"Check21"_qs), u"0"_qs);

    form = open<gui::BetweenDialog>();
    EXPECT_EQ(form->endTextBox->text(), u"\" target"_qs);
    EXPECT_FALSE(form->includeStartBox->isChecked());
    EXPECT_TRUE(form->includeEndBox->isChecked());
}

TEST_F(RuleDialogsTest, BetweenDialogStartsExtractingIntoTheServedList)
{
    auto form = open<gui::BetweenDialog>();
    panel->results().add({u"earlier row"_qs, {}, false});
    form->startTextBox->setText(u"p"_qs);
    form->startButton->click(); // no Y: asks for both, stages nothing
    EXPECT_EQ(desktop.dialogs.messageTexts(),
              QStringList{u"Fill out starting text (or character) and fill out ending text (or character)."_qs});
    EXPECT_EQ(staged.stagings, 0);

    form->endTextBox->setText(u"n"_qs);
    staged.text = "\r\nThe rain in spain falls mainly on the plain.\r\n";
    panel->progress().setText(u"busy"_qs);
    panel->progress().setValue(40);
    form->startButton->click();
    EXPECT_EQ(rows(), (QStringList{u"pain"_qs, u"plain"_qs}));
    EXPECT_EQ(form->dialogPointer().pointer(), Pointer::Default);
    EXPECT_EQ(panel->progress().text(), u"Progress Bar"_qs);
    EXPECT_EQ(panel->progress().value(), 0);
    staged.works = false; // a failed staging leaves the list as it was
    form->startButton->click();
    EXPECT_EQ(rows(), (QStringList{u"pain"_qs, u"plain"_qs}));
    form->helpButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts().last(), gui::betweenHelp());
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

    staged.closing = true;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(RuleDialogsTest, TextSetsDialogStoresTheListAfterAddRemoveAndClearOnly)
{
    auto form = open<gui::TextSetsDialog>();
    desktop.dialogs.answerInput(u"quay"_qs);
    form->addItemButton->click();
    desktop.dialogs.answerInput(u"two words"_qs);
    form->addItemButton->click();
    EXPECT_EQ(dialogSettings->value(u"Combo1"_qs), u"quay!!!QUIBB!!!two words"_qs);
    EXPECT_EQ(desktop.dialogs.inputPrompts().last(), u"Enter text:"_qs);

    const QString a = dir.write(u"a.txt"_qs, "  tide\r\n \r\ngulls\r\n");
    desktop.dialogs.answerFile({dir.path() + QChar(u'\0') + u"a.txt"_qs + QChar(u'\0') + u"gone.txt"_qs, 1});
    form->loadItemsButton->click();
    EXPECT_EQ(desktop.dialogs.fileRequests().last().flags, 0x280201u);
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList{u"File not found"_qs});
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"two words"_qs, u"  tide"_qs, u"gulls"_qs}));
    // Loaded items are not stored: the next program run has only the stored ones.
    form = open<gui::TextSetsDialog>();
    EXPECT_EQ(comboItems(*form), (QStringList{u"quay"_qs, u"two words"_qs}));

    desktop.dialogs.answerFile({a, 1});
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
    panel->results().add({u"earlier"_qs, {}, false});
    form->startButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList{u"Fill out combobox text to use to extract lines."_qs});
    EXPECT_EQ(rows(), QStringList{u"earlier"_qs});
    EXPECT_EQ(staged.stagings, 1); // the mail is staged before the list is looked at
    EXPECT_FALSE(form->isVisible());

    form->showDialog(false);
    desktop.dialogs.answerInput(u"tide"_qs);
    form->addItemButton->click();
    desktop.dialogs.answerInput(u"slow"_qs);
    form->addItemButton->click();
    staged.text = "\r\nthe tide runs slow\r\nA heron\r\n";
    form->startButton->click(); // a line once per matching item
    EXPECT_EQ(rows(), QStringList(2, u"the tide runs slow"_qs));
    EXPECT_FALSE(form->isVisible());
    panel->removeDuplicatesBox->setChecked(true);
    panel->showSourceBox->setChecked(true);
    form->showDialog(false);
    form->startButton->click();
    EXPECT_EQ(rows(), QStringList{u"the tide runs slow"_qs});
    EXPECT_EQ(panel->results().columns()[0].title, u"Results"_qs); // over the source paths
    EXPECT_EQ(panel->results().columns()[1].title, u"Extraction Results"_qs);
    form->helpButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts().last(), gui::textSetsHelp());
}

#include "gui/CommandPanel.h"

#include "gui/BetweenDialog.h"
#include "gui/HelpTexts.h"
#include "gui/RuleHelp.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using guitest::names;
using guitest::rows;
using platform::Pointer;

namespace {

// The main window's panel in a bare window, and the rule dialogs that serve it.
class CommandPanelTest : public guitest::WindowFixture
{
protected:
    static QStringList items(const gui::TextSetsDialog& form)
    {
        QStringList texts;
        for (int i = 0; i < form.itemsBox->count(); ++i)
            texts.append(form.itemsBox->itemText(i));
        return texts;
    }

    gui::CommandPanel& p = servedPanel();
};
using RuleDialogsTest = CommandPanelTest;

} // namespace

TEST_F(CommandPanelTest, RuleButtonsRunOverFreshlyStagedTextWithTheirOwnBoxAndHelpButtonsShowTheirHelp)
{
    staged = "alpha 1\r\nbeta 2\r\ngamma 3\r\n";
    p.containingTextBox->setText(u"BETA"_qs); // case is ignored by default
    p.notContainingTextBox->setText(u"gamma"_qs);
    p.lineNumbersBox->setText(u"3"_qs);
    const std::pair<QPushButton*, const char*> runs[] = {{p.extractAllButton, "alpha_1 beta_2 gamma_3"},
                                                         {p.containingButton, "beta_2"},
                                                         {p.notContainingButton, "alpha_1 beta_2"},
                                                         {p.byNumberButton, "gamma_3"}};
    for (const auto& [button, expected] : runs) {
        button->click();
        EXPECT_EQ(rows(p.results()).replaceInStrings(u" "_qs, u"_"_qs), names(expected))
            << button->objectName().toStdString();
    }
    EXPECT_EQ(stagings, 4);
    for (QPushButton* b : {p.byNumberHelpButton, p.betweenHelpButton, p.textSetsHelpButton})
        b->click();
    EXPECT_EQ(shown(), (QStringList{gui::linesByNumberHelp(), gui::betweenHelp(), gui::textSetsHelp()}));
}

// The address and pattern buttons run like the other line commands, with the panel's options; the pattern box
// keeps its text for the next program run; a pattern that cannot be used stops the run before staging.
TEST_F(CommandPanelTest, AddressAndPatternButtonsRunWithThePanelsOptionsAndShowTheirHelp)
{
    staged = "Ann <ann@example.org>, bob@example.org\r\nOrder PO-12345 from ann@example.org\r\nnone@here\r\n";
    p.addressesButton->click();
    EXPECT_EQ(rows(p.results()), names("ann@example.org bob@example.org ann@example.org"));
    p.removeDuplicatesBox->setChecked(true);
    p.addressesButton->click();
    EXPECT_EQ(rows(p.results()), names("ann@example.org bob@example.org"));

    p.patternTextBox->setText(u"po-[0-9]{5}\\b"_qs); // case is ignored by default
    EXPECT_EQ(settings->value(u"Text7"_qs), u"po-[0-9]{5}\\b"_qs);
    p.showSourceBox->setChecked(true);
    p.patternButton->click();
    ASSERT_EQ(p.results().count(), 1);
    EXPECT_EQ(p.results().row(0).text, dir.file(u"test.txt"_qs)); // the source first
    EXPECT_EQ(p.results().row(0).subItem, u"Order PO-12345 from ann@example.org"_qs);
    p.ignoreCaseBox->setChecked(false);
    p.patternButton->click();
    EXPECT_EQ(p.results().count(), 0);
    EXPECT_EQ(stagings, 4);

    p.patternTextBox->setText(u"[0-9"_qs);
    p.patternButton->click();
    p.patternTextBox->clear();
    p.patternButton->click();
    EXPECT_EQ(stagings, 4);
    for (QPushButton* b : {p.addressesHelpButton, p.patternHelpButton})
        b->click();
    EXPECT_EQ(shown(),
              (QStringList{u"The pattern cannot be used: at character 1, \"[\" is not closed by \"]\"."_qs,
                           u"Fill out text to use to extract lines."_qs, gui::addressesHelp(), gui::patternHelp()}));
}

TEST_F(CommandPanelTest, ListCommandsRemoveRowsButNotWhileACommandRuns)
{
    auto& list = p.results();
    for (const QString& text : names("alpha Beta gamma delta"))
        list.add({text, {}, false});
    QCoreApplication::processEvents();
    desktop.dialogs.answerInput(u"BETA"_qs);
    p.removeContainingButton->click();
    desktop.dialogs.answerInput(u"L"_qs);
    p.removeNotContainingButton->click();
    EXPECT_EQ(rows(list), names("alpha delta"));

    p.resultsView->setCurrentIndex(list.index(0, 0));
    p.pointer().setPointer(Pointer::Hourglass);
    p.onResultDoubleClicked();
    EXPECT_EQ(list.count(), 2);
    p.pointer().setPointer(Pointer::Default);
    // Clicks beside the rows keep the selected row, which a double-click there removes.
    host.resize(400, 300);
    host.show();
    QWidget* viewport = p.resultsView->viewport();
    const QPoint beside(10, viewport->height() - 5);
    ASSERT_FALSE(p.resultsView->indexAt(beside).isValid());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, beside);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, beside);
    EXPECT_EQ(rows(list), names("delta"));
    p.resultsView->clearSelection();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, beside); // nothing selected: nothing removed
    EXPECT_EQ(rows(list), names("delta"));
    p.clearListButton->click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 1);
}

TEST_F(CommandPanelTest, HoverPointersLeaveTheHourglassAlone)
{
    p.watchPointer();
    for (QWidget* hand : {static_cast<QWidget*>(p.extractAllButton), static_cast<QWidget*>(p.saveTextButton)}) {
        guitest::moveMouseOver(hand);
        EXPECT_EQ(p.pointer().pointer(), Pointer::Custom);
        guitest::moveMouseOver(&p);
        EXPECT_EQ(p.pointer().pointer(), Pointer::Default);
    }
    p.pointer().setPointer(Pointer::Hourglass);
    guitest::moveMouseOver(p.extractAllButton);
    guitest::moveMouseOver(p.optionsFrame);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Hourglass);
}

TEST_F(RuleDialogsTest, BetweenDialogRunsWithItsControlsKeepsThemForTheNextProgramRunAndHidesWhenClosed)
{
    auto form = openDialog<gui::BetweenDialog>();
    EXPECT_TRUE(form->includeStartBox->isChecked() && form->includeEndBox->isChecked());
    form->startTextBox->setText(u"p"_qs);
    form->endTextBox->setText(u"n"_qs);
    form->includeStartBox->setChecked(false);
    staged = "\r\nThe rain in spain falls mainly on the plain.\r\n";
    form->startButton->click();
    EXPECT_EQ(rows(p.results()), (QStringList{u"ain"_qs, u"lain"_qs}));
    EXPECT_EQ(dialogSettings->value(u"StartWith"_qs), u"p"_qs);
    EXPECT_EQ(dialogSettings->value(u"Check21"_qs), u"0"_qs);
    form->helpButton->click();
    EXPECT_EQ(shown(), QStringList{gui::betweenHelp()});

    form = openDialog<gui::BetweenDialog>();
    EXPECT_EQ(form->endTextBox->text(), u"n"_qs);
    EXPECT_TRUE(!form->includeStartBox->isChecked() && form->includeEndBox->isChecked());

    // Closing hides the dialog while the program runs, and closes it once the program ends.
    form->startTextBox->setText(u"kept"_qs);
    form->closeButton->click();
    EXPECT_FALSE(form->isVisible());
    form->showDialog(false);
    EXPECT_EQ(form->startTextBox->text(), u"kept"_qs);

    closing = true;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(RuleDialogsTest, TextSetsDialogStoresTheListAfterAddRemoveAndClearOnly)
{
    auto form = openDialog<gui::TextSetsDialog>();
    desktop.dialogs.answerInput(u"quay"_qs);
    form->addItemButton->click();
    desktop.dialogs.answerInput(u"two words"_qs);
    form->addItemButton->click();
    EXPECT_EQ(dialogSettings->value(u"Combo1"_qs), u"quay!!!QUIBB!!!two words"_qs);

    const QString a = dir.write(u"a.txt"_qs, "  tide\r\n \r\ngulls\r\n");
    desktop.dialogs.answerFile({dir.path() + QChar(u'\0') + u"a.txt"_qs + QChar(u'\0') + u"gone.txt"_qs, 1});
    form->loadItemsButton->click();
    EXPECT_EQ(shown(), QStringList{u"File not found"_qs});
    EXPECT_EQ(items(*form), (QStringList{u"quay"_qs, u"two words"_qs, u"  tide"_qs, u"gulls"_qs}));
    form = openDialog<gui::TextSetsDialog>(); // loading alone stores nothing
    EXPECT_EQ(items(*form), (QStringList{u"quay"_qs, u"two words"_qs}));

    desktop.dialogs.answerFile({a, 1});
    form->loadItemsButton->click();
    form->addItemButton->click(); // cancelled: the list is stored all the same
    form = openDialog<gui::TextSetsDialog>();
    EXPECT_EQ(items(*form), (QStringList{u"quay"_qs, u"two words"_qs, u"  tide"_qs, u"gulls"_qs}));

    form->removeItemButton->click(); // nothing picked since the opening: nothing removed
    EXPECT_EQ(items(*form).size(), 4);
    form->itemsBox->setCurrentIndex(1);
    form->removeItemButton->click();
    form->removeItemButton->click(); // only what was picked, not its neighbour
    EXPECT_EQ(items(*form), (QStringList{u"quay"_qs, u"  tide"_qs, u"gulls"_qs}));
    form->clearItemsButton->click();
    form = openDialog<gui::TextSetsDialog>(); // the emptied list stays empty
    EXPECT_EQ(form->itemsBox->count(), 0);
}

TEST_F(RuleDialogsTest, TextSetsDialogRunsItsItemsWithThePanelsOptionsAndClosesAlsoWithoutItems)
{
    auto form = openDialog<gui::TextSetsDialog>();
    form->startButton->click();
    EXPECT_EQ(shown(), QStringList{u"Fill out combobox text to use to extract lines."_qs});
    EXPECT_FALSE(form->isVisible());

    form->itemsBox->addItems({u"tide"_qs, u"slow"_qs});
    staged = "\r\nthe tide runs slow\r\nA heron\r\n";
    form->startButton->click(); // a line once per matching item
    EXPECT_EQ(rows(p.results()), QStringList(2, u"the tide runs slow"_qs));
    p.removeDuplicatesBox->setChecked(true);
    form->startButton->click();
    EXPECT_EQ(rows(p.results()), QStringList{u"the tide runs slow"_qs});
    form->helpButton->click();
    EXPECT_EQ(shown().last(), gui::textSetsHelp());
}

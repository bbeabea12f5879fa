#include "gui/CommandPanel.h"

#include "gui/BetweenDialog.h"
#include "gui/HelpTexts.h"
#include "gui/RuleHelp.h"
#include "gui/TextSetsDialog.h"
#include "gui/ServedPanel.h"
#include "gui/WindowFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

using platform::Pointer;

namespace {

// The panel in a bare window, with what a main window gives it recorded.
class CommandPanelTest : public guitest::WindowFixture
{
protected:
    void SetUp() override
    {
        panel = new gui::CommandPanel(freshContext(),
                                      {.module = u"Form1"_qs,
                                       .optionCaptions = {u"case"_qs, u"duplicates"_qs, u"source"_qs},
                                       .units = [this] { return staged.source(); },
                                       .fieldChosen = {},
                                       .mayOpenDialog = [this] { return ++guardAsked > 2; },
                                       .modalDialogs = false,
                                       .betweenModule = u"Form2"_qs,
                                       .textSetsModule = u"Form3"_qs,
                                       .appClosing = [] { return false; }},
                                      window);
        (new QVBoxLayout(&window))->addWidget(panel);
        results::SetInitialLayout(panel->results()); // as the windows' load does
    }

    QWidget window;
    gui::CommandPanel* panel = nullptr;
    guitest::StagedText staged{dir.file(u"test.txt"_qs), "alpha 1\r\nbeta 2\r\ngamma 3\r\n"};
    int guardAsked = 0;
};

} // namespace

TEST_F(CommandPanelTest, RuleButtonsRunOverFreshlyStagedTextWithTheirOwnBoxAndHelpButtonsShowTheirHelp)
{
    gui::CommandPanel& p = *panel;
    p.containingTextBox->setText(u"BETA"_qs);
    p.notContainingTextBox->setText(u"gamma"_qs);
    p.lineNumbersBox->setText(u"3"_qs);
    const std::pair<QPushButton*, const char*> runs[] = {{p.extractAllButton, "alpha_1 beta_2 gamma_3"},
                                                         {p.containingButton, "beta_2"},
                                                         {p.notContainingButton, "alpha_1 beta_2"},
                                                         {p.byNumberButton, "gamma_3"}};
    for (const auto& [button, expected] : runs) {
        button->click();
        EXPECT_EQ(guitest::rows(p.results()).replaceInStrings(u" "_qs, u"_"_qs), guitest::names(expected))
            << button->objectName().toStdString();
    }
    EXPECT_EQ(staged.stagings, 4);
    EXPECT_EQ(p.progress().text(), u"Progress Bar"_qs);
    for (QPushButton* b : {p.byNumberHelpButton, p.betweenHelpButton, p.textSetsHelpButton})
        b->click();
    EXPECT_EQ(shown(), (QStringList{gui::linesByNumberHelp(), gui::betweenHelp(), gui::textSetsHelp()}));
}

TEST_F(CommandPanelTest, ListCommandsRemoveRowsButNotWhileACommandRuns)
{
    gui::CommandPanel& p = *panel;
    auto& list = p.results();
    for (const QString& text : guitest::names("alpha Beta gamma delta"))
        list.add({text, {}, false});
    QCoreApplication::processEvents();
    desktop.dialogs.answerInput(u"BETA"_qs);
    p.removeContainingButton->click();
    desktop.dialogs.answerInput(u"L"_qs);
    p.removeNotContainingButton->click();
    EXPECT_EQ(guitest::rows(list), guitest::names("alpha delta"));

    p.resultsView->setCurrentIndex(list.index(0, 0));
    p.pointer().setPointer(Pointer::Hourglass);
    p.onResultDoubleClicked();
    EXPECT_EQ(list.count(), 2); // busy: nothing removed
    p.pointer().setPointer(Pointer::Default);
    p.onResultDoubleClicked();
    EXPECT_EQ(guitest::rows(list), guitest::names("delta"));
    p.clearListButton->click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 1);
}

TEST_F(CommandPanelTest, EachRuleDialogOpensPastTheGuardOnceUnderItsModule)
{
    window.show();
    panel->betweenButton->click(); // the guard says no twice
    panel->textSetsButton->click();
    EXPECT_EQ(window.findChildren<QDialog*>().size(), 0);
    panel->betweenButton->click();
    panel->betweenButton->click();
    panel->textSetsButton->click();
    const auto between = window.findChildren<gui::BetweenDialog*>();
    ASSERT_EQ(between.size(), 1);
    EXPECT_EQ(between[0]->objectName(), u"Form2"_qs);
    EXPECT_TRUE(between[0]->isVisible());
    EXPECT_FALSE(between[0]->isModal());
    EXPECT_EQ(window.findChild<gui::TextSetsDialog*>()->objectName(), u"Form3"_qs);
    EXPECT_EQ(guardAsked, 5);
}

TEST_F(CommandPanelTest, HoverPointersLeaveTheHourglassAlone)
{
    gui::CommandPanel& p = *panel;
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

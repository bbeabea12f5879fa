#include "gui/CommandPanel.h"

#include "gui/HelpTexts.h"
#include "gui/RuleHelp.h"
#include "gui/WindowFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

using guitest::names;
using guitest::rows;
using platform::Pointer;

namespace {

class CommandPanelTest : public guitest::WindowFixture
{
protected:
    gui::CommandPanel& p = servedPanel();
};

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
    p.onResultDoubleClicked();
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

#include "gui/CommandPanel.h"

#include "core/ErrorReport.h"
#include "gui/BetweenDialog.h"
#include "gui/HelpTexts.h"
#include "gui/RuleHelp.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowLook.h"
#include "gui/WindowFixture.h"
#include "results/ResultsList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

using gui::CommandPanel;
using platform::Pointer;

namespace {

// The staging of a window whose mail is a given text.
class TextStager : public rules::MailStager
{
public:
    explicit TextStager(QString path) : m_path(std::move(path)) {}
    QString stagingPath() const override { return m_path; }
    bool stageMail(const QString& path) override
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(staged) == staged.size();
    }
    QByteArray staged;

private:
    QString m_path;
};

// The panel in a bare window, with what the main windows would give it recorded.
class CommandPanelTest : public guitest::WindowFixture
{
protected:
    CommandPanel& open()
    {
        gui::WindowContext& c = freshContext();
        panel = new CommandPanel(
            c,
            gui::PanelSetup{u"Form1"_qs,
                            {u"case"_qs, u"duplicates"_qs, u"source"_qs},
                            [this](const rules::LineCommand& command) { ran.append(command.procedure); },
                            [this] { return std::make_unique<rules::StagedFileSource>(stager); },
                            [this] {
                                ++guardAsked;
                                return dialogsAllowed;
                            },
                            false,
                            u"Form2"_qs,
                            u"Form3"_qs,
                            [this] { return closing; }},
            window);
        (new QVBoxLayout(&window))->addWidget(panel);
        results::SetInitialLayout(panel->results()); // as the windows' load does
        return *panel;
    }

    QWidget window;
    CommandPanel* panel = nullptr;
    TextStager stager{dir.file(u"test.txt"_qs)};
    QStringList ran;
    int guardAsked = 0;
    bool dialogsAllowed = true;
    bool closing = false;
};

} // namespace

TEST_F(CommandPanelTest, OptionsAndRuleTextsAreStoredAtOnceAndRestoredAsStatementsOfTheLoad)
{
    storeRaw("Check14=1\nCheck1=abc\nCheck2=7\nText1=@\nText5=1,3\n");
    CommandPanel& p = open();
    core::Trap trap(desktop.dialogs, u"Form1"_qs, u"Form_Load"_qs);
    int line = 8;
    p.restoreOptions(trap, line);
    EXPECT_EQ(line, 11);
    p.restoreRuleTexts(trap, line);
    EXPECT_EQ(line, 14);
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 9"_qs));
    EXPECT_TRUE(shown[1].startsWith(u"Invalid property value\r\nin Quillmere2021/08/31.Form1.Form_Load at line 10"_qs));
    EXPECT_TRUE(p.showSourceBox->isChecked());
    EXPECT_FALSE(p.removeDuplicatesBox->isChecked()); // unreadable values leave the defaults
    EXPECT_TRUE(p.ignoreCaseBox->isChecked());
    EXPECT_EQ(p.containingTextBox->text(), u"@"_qs);
    EXPECT_EQ(p.lineNumbersBox->text(), u"1,3"_qs);
    EXPECT_EQ(p.ignoreCaseBox->text(), u"case"_qs);

    p.removeDuplicatesBox->click();
    p.ignoreCaseBox->click();
    p.notContainingTextBox->setText(u"spam"_qs);
    EXPECT_EQ(settings->value(u"Check1"_qs), u"1"_qs);
    EXPECT_EQ(settings->value(u"Check2"_qs), u"0"_qs);
    EXPECT_EQ(settings->value(u"Text2"_qs), u"spam"_qs);
}

TEST_F(CommandPanelTest, RuleButtonsRunTheirLineCommandsAndHelpButtonsTheirHelp)
{
    CommandPanel& p = open();
    for (QPushButton* b : {p.extractAllButton, p.containingButton, p.notContainingButton, p.byNumberButton})
        b->click();
    EXPECT_EQ(ran, (QStringList{u"PushButton13_Click"_qs, u"PushButton2_Click"_qs, u"PushButton8_Click"_qs,
                                u"PushButton7_Click"_qs}));
    for (QPushButton* b : {p.byNumberHelpButton, p.betweenHelpButton, p.textSetsHelpButton})
        b->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(),
              (QStringList{gui::linesByNumberHelp(), gui::betweenHelp(), gui::textSetsHelp()}));
}

TEST_F(CommandPanelTest, ListCommandsRemoveRowsButNotWhileACommandRuns)
{
    CommandPanel& p = open();
    auto& list = p.results();
    for (const char* text : {"alpha", "Beta", "gamma", "delta"})
        list.add({QLatin1String(text), {}, false});
    QCoreApplication::processEvents();

    desktop.dialogs.answerInput(u"BETA"_qs);
    p.removeContainingButton->click();
    desktop.dialogs.answerInput(u"L"_qs);
    p.removeNotContainingButton->click();
    ASSERT_EQ(list.count(), 2); // alpha, delta

    p.resultsView->setCurrentIndex(list.index(0, 0));
    p.pointer().setPointer(Pointer::Hourglass);
    p.onResultDoubleClicked();
    EXPECT_EQ(list.count(), 2); // busy: nothing removed
    p.pointer().setPointer(Pointer::Default);
    p.onResultDoubleClicked();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, u"delta"_qs);

    p.clearListButton->click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 1);
}

TEST_F(CommandPanelTest, RuleDialogsOpenPastTheGuardOnceAndServeThePanel)
{
    CommandPanel& p = open();
    window.show();
    dialogsAllowed = false;
    p.betweenButton->click();
    p.textSetsButton->click();
    EXPECT_EQ(guardAsked, 2);
    EXPECT_EQ(window.findChild<gui::BetweenDialog*>(), nullptr);
    EXPECT_EQ(window.findChild<gui::TextSetsDialog*>(), nullptr);

    dialogsAllowed = true;
    p.betweenButton->click();
    auto* between = window.findChild<gui::BetweenDialog*>();
    ASSERT_NE(between, nullptr);
    EXPECT_EQ(between->objectName(), u"Form2"_qs);
    EXPECT_TRUE(between->isVisible());
    EXPECT_FALSE(between->isModal());
    between->startTextBox->setText(u"p"_qs);
    between->endTextBox->setText(u"n"_qs);
    stager.staged = "\r\nThe rain in spain falls mainly on the plain.\r\n";
    between->startButton->click();
    EXPECT_EQ(p.results().count(), 2); // "pain", "plain"

    QCloseEvent whileRunning;
    QApplication::sendEvent(between, &whileRunning);
    EXPECT_FALSE(whileRunning.isAccepted()); // only hidden, keeping its texts
    p.betweenButton->click();
    EXPECT_EQ(window.findChildren<gui::BetweenDialog*>().size(), 1);
    EXPECT_EQ(between->startTextBox->text(), u"p"_qs);
    closing = true;
    QCloseEvent whileClosing;
    QApplication::sendEvent(between, &whileClosing);
    EXPECT_TRUE(whileClosing.isAccepted());

    p.textSetsButton->click();
    auto* sets = window.findChild<gui::TextSetsDialog*>();
    ASSERT_NE(sets, nullptr);
    EXPECT_EQ(sets->objectName(), u"Form3"_qs);
}

TEST_F(CommandPanelTest, HoverPointersLeaveTheHourglassAlone)
{
    CommandPanel& p = open();
    p.watchPointer();
    guitest::moveMouseOver(p.extractAllButton);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Custom);
    guitest::moveMouseOver(p.optionsFrame);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Default);
    guitest::moveMouseOver(p.saveTextButton);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Custom);
    guitest::moveMouseOver(&p);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Default);
    p.pointer().setPointer(Pointer::Hourglass);
    guitest::moveMouseOver(p.extractAllButton);
    guitest::moveMouseOver(p.resultsView->viewport());
    EXPECT_EQ(p.pointer().pointer(), Pointer::Hourglass);
}

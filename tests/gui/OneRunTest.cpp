// One run at a time: while a rule, staging, a conversion or a save runs and yields, the commands that would
// start another run or change what it reads are off; Esc or closing cancels it at its next yield.

#include "core/TempFolder.h"
#include "gui/ExpressWindow.h"
#include "gui/MainWindow.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"
#include "sources/outlook/PstApplication.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <random>

using guitest::rows;
using platform::Pointer;

namespace {

const QString kResultsKept = u"Cancelled. The results found so far are kept."_qs;

// Lines "line 1" ... "line N", more than one read block, so the scan yields between blocks.
QByteArray numberedLines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    return text;
}

QList<QAbstractButton*> disabledOf(const QList<QAbstractButton*>& buttons)
{
    QList<QAbstractButton*> off;
    for (QAbstractButton* b : buttons) {
        if (!b->isEnabled())
            off << b;
    }
    return off;
}

class OneRunTest : public guitest::WindowFixture
{
protected:
    OneRunTest() { desktop.loop.msPerRead = 1000; } // every reading of the clock ends a time slice

    // The panel's commands: its rule buttons and option boxes, and the list's commands.
    static QList<QAbstractButton*> runCommands(gui::CommandPanel& p)
    {
        return {p.extractAllButton,  p.containingButton,    p.notContainingButton,    p.byNumberButton,
                p.betweenButton,     p.textSetsButton,      p.saveTextButton,         p.saveWorkbookButton,
                p.copyResultsButton, p.clearListButton,     p.removeContainingButton, p.removeNotContainingButton,
                p.ignoreCaseBox,     p.removeDuplicatesBox, p.showSourceBox,          p.addressesButton,
                p.patternButton};
    }
    int yields = 0;
};

} // namespace

TEST_F(OneRunTest, PanelCommandsAreOffDuringARunAndEscCancelsItKeepingTheRowsFound)
{
    gui::CommandPanel& p = servedPanel();
    staged = numberedLines(200000); // about 2.6 MB
    QList<QAbstractButton*> offDuringRun;
    bool helpOn = false;
    desktop.loop.onYield = [&] {
        if (++yields > 1)
            return;
        offDuringRun = disabledOf(runCommands(p));
        helpOn = p.byNumberHelpButton->isEnabled() && p.patternHelpButton->isEnabled();
        p.clearListButton->click(); // would empty the list the run adds to
        p.extractAllButton->click();
        QTest::keyClick(&host, Qt::Key_Escape);
    };
    p.extractAllButton->click();

    EXPECT_EQ(offDuringRun, runCommands(p));
    EXPECT_TRUE(helpOn);
    EXPECT_EQ(yields, 1) << "the run went on after Esc";
    EXPECT_EQ(stagings, 1);
    const QStringList found = rows(p.results());
    ASSERT_GT(found.size(), 0);
    ASSERT_LT(found.size(), 200000);
    EXPECT_EQ(found.first(), u"line 1"_qs);
    EXPECT_EQ(found.last(), u"line %1"_qs.arg(found.size()));
    EXPECT_EQ(p.progress().text(), kResultsKept);
    EXPECT_EQ(p.progress().value(), 0);
    EXPECT_EQ(p.pointer().pointer(), Pointer::Default);
    EXPECT_TRUE(disabledOf(runCommands(p)).isEmpty());
    EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();

    // Esc outside a run cancels nothing later; the next run goes through.
    desktop.loop.onYield = nullptr;
    QTest::keyClick(&host, Qt::Key_Escape);
    p.extractAllButton->click();
    EXPECT_EQ(p.results().count(), 200000);
    EXPECT_EQ(p.progress().text(), u"Progress Bar"_qs);
}

TEST_F(OneRunTest, ClosingARuleDialogDuringItsRunCancelsItAndSavesStopWithNothingWritten)
{
    gui::CommandPanel& p = servedPanel();
    staged = numberedLines(200000);
    auto dialog = openDialog<gui::TextSetsDialog>();
    dialog->itemsBox->addItem(u"line"_qs);
    desktop.loop.onYield = [&] {
        if (++yields == 1) {
            EXPECT_FALSE(dialog->startButton->isEnabled());
            EXPECT_TRUE(dialog->helpButton->isEnabled());
            dialog->close();
        }
    };
    dialog->startButton->click();
    EXPECT_EQ(yields, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->dialogPointer().pointer(), Pointer::Default);
    EXPECT_EQ(p.progress().text(), kResultsKept);
    const qsizetype kept = p.results().count();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 200000);
    EXPECT_TRUE(dialog->startButton->isEnabled());

    // A save cancelled while it writes leaves no file, and says so.
    const QString target = dir.file(u"saved.txt"_qs);
    desktop.dialogs.answerFile({target, 1});
    desktop.loop.onYield = [&] { QTest::keyClick(&host, Qt::Key_Escape); };
    p.saveTextButton->click();
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(p.progress().text(), u"Cancelled. Nothing was saved."_qs);
    EXPECT_EQ(p.results().count(), kept);
    EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();
}

// Staging reads the ticked folders and the chosen file; a second extraction pressed meanwhile would truncate
// the staging file under the run, and closing the window ends the run and the program at once.
TEST_F(OneRunTest, MainWindowKeepsItsSourceDuringStagingAndClosingEndsTheRunPromptly)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    const testsupport::EnvGuard temp{"TEMP", dir.path()};
    QStringList profile; // two stores: the workers stage them side by side
    sources::outlook::PstApplicationFactory pst{[&] { return profile; }};
    outlookFactory = &pst;
    gui::MainWindow form(freshContext());
    form.loadWindow();
    form.pstFileOption->click();
    form.pstFileBox->setText(ost);
    const QList<QAbstractButton*> source{
        form.inboxBox,        form.outboxBox,           form.draftsBox,         form.sentItemsBox,
        form.deletedItemsBox, form.fromFieldBox,        form.bodyFieldBox,      form.profileOption,
        form.pstFileOption,   form.choosePstFileButton, form.showExpressButton, form.profileStoresButton};
    QList<QAbstractButton*> offDuringStaging;
    desktop.loop.onYield = [&] {
        if (++yields > 1)
            return;
        offDuringStaging = disabledOf(source);
        form.panel().extractAllButton->click();
        form.sentItemsBox->click();
    };
    form.panel().extractAllButton->click();
    EXPECT_EQ(offDuringStaging, source);
    EXPECT_GT(yields, 1);
    const QStringList senders{{}, u"epfromer@gmail.com"_qs, {}, u"no-reply@microsoft.com"_qs, {}};
    EXPECT_EQ(rows(form.panel().results()), senders);
    EXPECT_TRUE(disabledOf(source).isEmpty());

    profile = QStringList{ost, ost};
    form.profileOption->click();
    // The close handler yields itself; only yields after it tell that the run went on.
    int yieldsAfterClose = -1;
    desktop.loop.onYield = [&] {
        if (yieldsAfterClose >= 0) {
            ++yieldsAfterClose;
            return;
        }
        yieldsAfterClose = 0;
        form.close();
        yieldsAfterClose = 0;
    };
    form.panel().extractAllButton->click();
    EXPECT_EQ(yieldsAfterClose, 0) << "the run went on after the window closed";
    EXPECT_TRUE(desktop.loop.ended());
    EXPECT_EQ(rows(form.panel().results()), senders); // staging was cut short: the rule never ran
    EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();
    EXPECT_TRUE(QDir(core::privateTempFolder()).entryList({u"*.part*"_qs}).isEmpty()); // the workers' parts
}

// The run reads the messages ticked when it started; converting meanwhile would delete them under it.
TEST_F(OneRunTest, ExpressWindowRunsOverItsMessagesWhileConversionWaitsAndEscStopsAConversion)
{
    const testsupport::EnvGuard temp{"TEMP", dir.path()};
    programFolder = dir.path();
    // A converter that never ends by itself, waiting for a program of its own as the real one waits for undbx,
    // and stopping it when it is asked to end.
    const QByteArray converter = "#!/bin/sh\ntrap 'kill $!; exit 143' TERM\nsleep 30 &\necho $! > '" +
                                 dir.file(u"child.pid"_qs).toUtf8() + "'\nwait\n";
    QFile::setPermissions(dir.write(u"DBXToEML"_qs, converter), QFile::ReadOwner | QFile::ExeOwner);
    dir.write(u"Inbox.dbx"_qs, "x");
    gui::ExpressWindow form(
        freshContext(), discovery, [] { return false; }, nullptr);
    for (int m = 1; m <= 3; ++m) {
        const QString name = u"m%1.eml"_qs.arg(m);
        testsupport::TempDir::writeFile(QDir(core::privateTempFolder()).filePath(name),
                                        "From: a@b.example\r\nDate: today\r\n\r\n" + numberedLines(600));
        (new QTreeWidgetItem(form.messageList, {u"a@b.example"_qs}))->setCheckState(0, Qt::Checked);
        form.messageFiles().append(name);
    }
    desktop.dialogs.answerFile({dir.file(u"Inbox.dbx"_qs), 1});
    form.addStoreFilesButton->click();
    form.selectAllStoresButton->click();

    desktop.loop.onYield = [&] {
        if (++yields > 1)
            return;
        EXPECT_FALSE(form.convertStoresButton->isEnabled());
        EXPECT_FALSE(form.messageList->isEnabled());
        EXPECT_TRUE(form.helpButton->isEnabled());
        form.convertStoresButton->click();
        form.deselectAllMessagesButton->click();
    };
    form.panel().extractAllButton->click();
    EXPECT_GT(yields, 1);
    EXPECT_EQ(form.panel().results().count(), 3 * 601); // each body's last line break ends an empty line
    EXPECT_EQ(form.messageList->topLevelItemCount(), 3);

    // Esc stops the converter and what it started, and the window stays open with nothing listed.
    yields = 0;
    desktop.loop.onYield = [&] {
        if (++yields == 3)
            QTest::keyClick(&form, Qt::Key_Escape);
    };
    form.convertStoresButton->click();
    EXPECT_EQ(yields, 3);
    const qint64 child = testsupport::TempDir::read(dir.file(u"child.pid"_qs)).trimmed().toLongLong();
    ASSERT_GT(child, 0);
    EXPECT_TRUE(testsupport::processEnds(child)) << "the converter's own program still runs";
    EXPECT_EQ(form.panel().progress().text(), u"Cancelled. The messages listed so far are kept."_qs);
    EXPECT_EQ(form.messageList->topLevelItemCount(), 0);
    EXPECT_TRUE(form.convertStoresButton->isEnabled());
    EXPECT_FALSE(shown().contains(u"Done."_qs));
    EXPECT_EQ(form.result(), 0); // not closed
}

// Clicks at random on every button and tick list, and Esc now and then, while runs of every kind go on: no
// crash (the sanitizers watch), and after each run every command is back.
TEST_F(OneRunTest, RandomClicksDuringRunsLeaveEveryCommandUsableAfterwards)
{
    gui::CommandPanel& p = servedPanel();
    staged = numberedLines(100000); // two read blocks
    p.containingTextBox->setText(u"7"_qs);
    p.notContainingTextBox->setText(u"1"_qs);
    p.lineNumbersBox->setText(u"1,5,9"_qs);
    p.patternTextBox->setText(u"e [0-9]+5$"_qs);
    std::mt19937 random(20261207);
    const QList<QAbstractButton*> commands = runCommands(p);
    QList<QAbstractButton*> targets = commands;
    targets << p.byNumberHelpButton << p.betweenHelpButton << p.textSetsHelpButton;
    const QList<QAbstractButton*> starters{p.extractAllButton, p.containingButton, p.notContainingButton,
                                           p.byNumberButton,   p.addressesButton,  p.patternButton,
                                           p.saveTextButton,   p.copyResultsButton};
    for (int round = 0; round < 16; ++round) {
        int clicks = 0;
        desktop.loop.onYield = [&] {
            if (++clicks > 12)
                return;
            targets[int(random() % targets.size())]->click();
            p.containingTextBox->setText(QString::number(random() % 10));
            if (random() % 5 == 0)
                QTest::keyClick(&host, Qt::Key_Escape);
            if (random() % 7 == 0)
                p.onResultDoubleClicked();
        };
        desktop.dialogs.answerFile({dir.file(u"round.txt"_qs), 1 + int(random() % 2)});
        starters[int(random() % starters.size())]->click();
        desktop.loop.onYield = nullptr;
        ASSERT_TRUE(disabledOf(commands).isEmpty()) << "round " << round;
        ASSERT_EQ(p.pointer().pointer(), Pointer::Default) << "round " << round;
    }
    p.clearListButton->click();
    p.extractAllButton->click();
    EXPECT_EQ(p.results().count(), 100000);
}

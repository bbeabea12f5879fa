#include "gui/ExpressWindow.h"

#include "core/TempFolder.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"
#include "results/ResultsList.h"
#include "sources/express/ExpressFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using gui::ExpressWindow;

namespace {

class ExpressWindowTest : public guitest::WindowFixture
{
protected:
    std::unique_ptr<ExpressWindow> open()
    {
        return std::make_unique<ExpressWindow>(
            freshContext(), discovery, [] { return false; }, nullptr);
    }

    // Stages a message file as the conversion would and lists it, ticked.
    void addMessage(ExpressWindow& form, const QString& name, const QByteArray& text)
    {
        QFile file(QDir(core::privateTempFolder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        auto* item = new QTreeWidgetItem(form.messageList, {u"from"_qs, u"to"_qs, u"subject"_qs, u"date"_qs});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        form.messageFiles().append(name);
    }

    static QStringList rows(ExpressWindow& form)
    {
        QStringList texts;
        for (qsizetype i = 0; i < form.panel().results().count(); ++i)
            texts << form.panel().results().row(i).extracted();
        return texts;
    }

    testsupport::EnvGuard temp{"TEMP", dir.path()};
    sources::express::StoreDiscovery discovery;
};

// Answers the next modal dialog: checks it is the window's own copy, fills it, starts its run, and closes it
// if the run did not.
template <class Dialog, class Fill>
void driveNextDialog(const QString& module, Fill fill)
{
    QTimer::singleShot(0, [module, fill] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), module);
        fill(*dialog);
        dialog->startButton->click();
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

TEST_F(ExpressWindowTest, SharesTheMainWindowsRuleSettings)
{
    storeRaw("Text1=typed in the main window\nCheck2=0\n");
    auto form = open();
    EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
    EXPECT_EQ(form->panel().containingTextBox->text(), u"typed in the main window"_qs);
    EXPECT_FALSE(form->panel().ignoreCaseBox->isChecked());
    EXPECT_EQ(form->panel().results().columns()[0].widthTwips, 7300);
    form->panel().removeDuplicatesBox->click();
    EXPECT_EQ(settings->value(u"Check1"_qs), u"1"_qs);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
}

TEST_F(ExpressWindowTest, AddedDbxFilesAndTickButtons)
{
    auto form = open();
    desktop.dialogs.answerFile({u"/mail/Inbox.dbx"_qs, 1});
    form->addStoreFilesButton->click();
    desktop.dialogs.answerFile({u"/"_qs + QChar(u'\0') + u"a.dbx"_qs + QChar(u'\0') + u"b.dbx"_qs, 1});
    form->addStoreFilesButton->click();
    ASSERT_EQ(form->storeList->topLevelItemCount(), 3);
    EXPECT_EQ(form->storeList->topLevelItem(0)->text(0), u"/mail/Inbox.dbx"_qs);
    EXPECT_EQ(form->storeList->topLevelItem(1)->text(0), u"/a.dbx"_qs);
    EXPECT_EQ(form->storeList->topLevelItem(2)->text(0), u"/b.dbx"_qs);
    EXPECT_EQ(desktop.dialogs.fileRequests()[0].title, u"Add File(s) - Hold Ctrl or Shift to select multiple files"_qs);
    EXPECT_EQ(desktop.dialogs.fileRequests()[0].filter, u"DBX Files (*.dbx)|*.dbx|"_qs);

    EXPECT_EQ(form->storeList->topLevelItem(1)->checkState(0), Qt::Unchecked);
    form->selectAllStoresButton->click();
    EXPECT_EQ(form->storeList->topLevelItem(1)->checkState(0), Qt::Checked);
    form->deselectAllStoresButton->click();
    EXPECT_EQ(form->storeList->topLevelItem(2)->checkState(0), Qt::Unchecked);

    addMessage(*form, u"m.eml"_qs, "text\r\n");
    form->deselectAllMessagesButton->click();
    EXPECT_EQ(form->messageList->topLevelItem(0)->checkState(0), Qt::Unchecked);
    form->selectAllMessagesButton->click();
    EXPECT_EQ(form->messageList->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
}

TEST_F(ExpressWindowTest, RulesRunOverTheTickedMessagesShowingEachOnTheBar)
{
    auto form = open();
    gui::CommandPanel& p = form->panel();
    addMessage(*form, u"a.eml"_qs, "From: ann@example.org\r\nSubject: one\r\n\r\nHello\r\nshared line\r\n");
    addMessage(*form, u"b.eml"_qs, "From: bob@example.org\r\nSubject: two\r\n\r\nshared line\r\nbye\r\n");
    addMessage(*form, u"c.eml"_qs, "From: cy@example.org\r\n\r\nshared line\r\n");
    form->messageList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QStringList shown;
    QObject::connect(p.progressBar, &QProgressBar::valueChanged, p.progressBar,
                     [&](int value) { shown << p.progressBar->format() + u' ' + QString::number(value); });
    p.removeDuplicatesBox->setChecked(true);
    p.showSourceBox->setChecked(true);
    p.containingTextBox->setText(u"SHARED"_qs);
    p.containingButton->click();
    const QDir staged(core::privateTempFolder());
    ASSERT_EQ(p.results().count(), 1);
    EXPECT_EQ(p.results().row(0).text, staged.filePath(u"a.eml"_qs));
    const QString looking = u"Please wait.. Looking at.. "_qs;
    EXPECT_EQ(shown, (QStringList{looking + staged.filePath(u"a.eml"_qs) + u" 33"_qs,
                                  looking + staged.filePath(u"c.eml"_qs) + u" 100"_qs,
                                  u"Please wait.. Looking at.. "_qs + staged.filePath(u"c.eml"_qs) + u" 0"_qs}));
    EXPECT_EQ(p.progressBar->format(), u"Progress Bar"_qs);

    p.removeDuplicatesBox->setChecked(false);
    p.showSourceBox->setChecked(false);
    form->messageList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->messageList->topLevelItem(1)->setCheckState(0, Qt::Checked);
    p.lineNumbersBox->setText(u"1"_qs);
    p.byNumberButton->click();
    EXPECT_EQ(rows(*form), (QStringList{u"shared line"_qs, u"shared line"_qs}));

    // The rule dialogs are the window's own modal copies, reading the same ticked messages.
    driveNextDialog<gui::BetweenDialog>(u"Form22"_qs, [](gui::BetweenDialog& d) {
        d.startTextBox->setText(u"sh"_qs);
        d.endTextBox->setText(u"d"_qs);
    });
    p.betweenButton->click();
    EXPECT_EQ(rows(*form), (QStringList{u"shared"_qs, u"shared"_qs}));
    driveNextDialog<gui::TextSetsDialog>(u"Form33"_qs, [](gui::TextSetsDialog& d) { d.itemsBox->addItem(u"bye"_qs); });
    p.textSetsButton->click();
    EXPECT_EQ(rows(*form), QStringList{u"bye"_qs});
}

TEST_F(ExpressWindowTest, HelpAndClosingDeletesTheStagedMessages)
{
    {
        auto form = open();
        addMessage(*form, u"x.eml"_qs, "text\r\n");
        form->helpButton->click();
        EXPECT_EQ(desktop.dialogs.messageTexts(),
                  QStringList{QStringLiteral("You must install Outlook that comes with MS Office in order to work with "
                                             "PST files \r\nbecause Outlook Express cannot handle PST files.")});
        form->reject();
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(core::privateTempFolder()).filePath(u"x.eml"_qs)));
    EXPECT_FALSE(desktop.loop.ended()); // Outlook is there: back to the main window
}

TEST_F(ExpressWindowTest, SearchListsTheStoresOfTheWinePrefixEachTimeItIsPressed)
{
    const expresstest::WinePrefixFixture wine(dir.file(u"wine"_qs));
    const testsupport::EnvGuard prefix("WINEPREFIX", wine.prefix);
    auto form = open();
    form->searchExpressButton->click();
    form->searchExpressButton->click();
    QStringList rows;
    for (int i = 0; i < form->storeList->topLevelItemCount(); ++i)
        rows << form->storeList->topLevelItem(i)->text(0);
    const QStringList once = expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(rows, once + once);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
}

TEST_F(ExpressWindowTest, SearchWithoutIdentitiesReportsAndPointsToAddFile)
{
    const testsupport::EnvGuard prefix("WINEPREFIX", dir.file(u"no-prefix"_qs));
    auto form = open();
    form->show();
    form->searchExpressButton->click();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.first().startsWith(u"DBXFiles component failure\r\n"_qs));
    EXPECT_EQ(shown.last(), QStringLiteral("You may be have no Outlook Express installed. \r\nPlease try to use Add "
                                           "Outlook Express File button."));
    EXPECT_EQ(form->storeList->topLevelItemCount(), 0);
}

TEST_F(ExpressWindowTest, SampleStoreConvertsListsAndEveryRuleRunsOverItsMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    auto form = open();
    gui::CommandPanel& p = form->panel();
    desktop.dialogs.answerFile({store, 1});
    form->addStoreFilesButton->click();
    form->selectAllStoresButton->click();
    form->convertStoresButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList{u"Done."_qs});
    ASSERT_EQ(form->messageList->topLevelItemCount(), 28);
    EXPECT_EQ(form->messageFiles().size(), 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_FALSE(form->messageList->topLevelItem(i)->text(3).isEmpty()) << i; // every row has its date

    form->selectAllMessagesButton->click();
    p.extractAllButton->click();
    const qsizetype allLines = p.results().count();
    EXPECT_GT(allLines, 28);

    p.containingTextBox->setText(u"the"_qs);
    p.containingButton->click();
    const qsizetype containing = p.results().count();
    p.notContainingTextBox->setText(u"the"_qs);
    p.notContainingButton->click();
    EXPECT_EQ(containing + p.results().count(), allLines);

    p.lineNumbersBox->setText(u"1"_qs);
    p.byNumberButton->click();
    EXPECT_EQ(p.results().count(), 28); // the first body line of every message

    driveNextDialog<gui::TextSetsDialog>(u"Form33"_qs, [](gui::TextSetsDialog& d) {
        d.itemsBox->clear();
        d.itemsBox->addItem(u"the"_qs);
    });
    p.textSetsButton->click();
    EXPECT_EQ(p.results().count(), containing);

    driveNextDialog<gui::BetweenDialog>(u"Form22"_qs, [](gui::BetweenDialog& d) {
        d.startTextBox->setText(u"the"_qs);
        d.endTextBox->setText(u" "_qs);
    });
    p.betweenButton->click();
    EXPECT_GT(p.results().count(), 0);
    EXPECT_EQ(p.progressBar->value(), 0);
}

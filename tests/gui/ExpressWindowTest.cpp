#include "gui/Accelerators.h"
#include "gui/MainWindow.h"
#include "core/Settings.h"
#include "core/TempFolder.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "gui/ExpressWindow.h"
#include "sources/express/ExpressFixtures.h"
#include "support/KeyboardChecks.h"
#include "support/OutlookStub.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using gui::ExpressWindow;
using testsupport::TempDir;

namespace {

class ExpressWindowTest : public ::testing::Test
{
protected:
    std::unique_ptr<ExpressWindow> open()
    {
        return std::make_unique<ExpressWindow>(
            context, discovery, [] { return false; }, nullptr);
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
        form.mColEMLFiles().append(name);
    }

    QStringList rows(ExpressWindow& form)
    {
        QStringList texts;
        for (qsizetype i = 0; i < form.results().count(); ++i)
            texts << form.results().row(i).extracted();
        return texts;
    }

    TempDir dir;
    testsupport::EnvGuard temp{"TEMP", dir.path()};
    platform::ScriptedPlatform desktop;
    testsupport::EmptyOutlook outlook;
    core::Settings settings{dir.file(u"Brindlewick.ini"_qs)};
    gui::WindowContext context{desktop.platform(), settings, outlook, QStringLiteral(QUILLMERE_PROGRAM_DIR)};
    sources::express::StoreDiscovery discovery;
};

} // namespace

TEST_F(ExpressWindowTest, ControlsCaptionsAndSharedSettings)
{
    settings.store(u"Text1"_qs, u"typed in the main window"_qs);
    settings.store(u"Check2"_qs, u"0"_qs);
    auto form = open();
    EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
    EXPECT_EQ(form->containingTextBox->text(), u"typed in the main window"_qs);
    EXPECT_FALSE(form->ignoreCaseBox->isChecked());
    EXPECT_EQ(form->ignoreCaseBox->text(), u"Turn Off Case Sensitivity"_qs);
    EXPECT_EQ(form->showSourceBox->text(), u"Show Source Filename Next To Extracted Text"_qs);
    EXPECT_EQ(form->storeList->headerItem()->text(0), u"DBX File(s)"_qs);
    EXPECT_EQ(form->messageList->headerItem()->text(3), u"Date Received"_qs);
    EXPECT_EQ(gui::withoutAccelerator(form->convertStoresButton->text()), u"Extract Emails From Outlook Express"_qs);
    EXPECT_EQ(form->results().columns()[0].widthTwips, 7300);
    form->removeDuplicatesBox->click();
    EXPECT_EQ(settings.value(u"Check1"_qs), u"1"_qs);
}

TEST_F(ExpressWindowTest, KeyboardReachesEveryControlInReadingOrder)
{
    auto form = open();
    const QStringList stores = {u"PushButton14"_qs, u"PushButton1"_qs, u"ListView1"_qs,
                                u"PushButton5"_qs,  u"PushButton3"_qs, u"PushButton11"_qs};
    const QStringList messages = {u"ListView3"_qs, u"PushButton21"_qs, u"PushButton22"_qs, u"PushButton23"_qs};
    const QStringList options = {u"Check2"_qs, u"Check1"_qs, u"Check14"_qs};
    const QStringList rules = {u"PushButton13"_qs, u"PushButton2"_qs,  u"Text1"_qs,        u"PushButton8"_qs,
                               u"Text2"_qs,        u"PushButton7"_qs,  u"Text5"_qs,        u"PushButton10"_qs,
                               u"PushButton4"_qs,  u"PushButton16"_qs, u"PushButton15"_qs, u"PushButton17"_qs};
    const QStringList results = {u"ListView2"_qs,   u"PushButton6"_qs,  u"PushButton12"_qs, u"PushButton18"_qs,
                                 u"PushButton9"_qs, u"PushButton19"_qs, u"PushButton20"_qs};
    EXPECT_EQ(testsupport::tabbedNames(*form, *form->searchExpressButton),
              stores + messages + options + rules + results);
    testsupport::expectDistinctAccelerators(*form);
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
    form->selectAllMessagesButton->click(); // an empty message list: nothing happens, nothing is shown
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
}

TEST_F(ExpressWindowTest, RulesRunOverTheTickedMessages)
{
    auto form = open();
    addMessage(*form, u"a.eml"_qs, "From: ann@example.org\r\nSubject: one\r\n\r\nHello\r\nshared line\r\n");
    addMessage(*form, u"b.eml"_qs, "From: bob@example.org\r\nSubject: two\r\n\r\nshared line\r\nbye\r\n");
    form->removeDuplicatesBox->setChecked(true);
    form->showSourceBox->setChecked(true);
    form->containingTextBox->setText(u"SHARED"_qs);
    form->containingButton->click();
    ASSERT_EQ(form->results().count(), 1);
    EXPECT_EQ(form->results().row(0).text, QDir(core::privateTempFolder()).filePath(u"a.eml"_qs));
    EXPECT_EQ(form->progressBar->value(), 0);

    form->removeDuplicatesBox->setChecked(false);
    form->showSourceBox->setChecked(false);
    form->messageList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->lineNumbersBox->setText(u"1"_qs);
    form->byNumberButton->click();
    EXPECT_EQ(rows(*form), QStringList{u"shared line"_qs});
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

// Answers the next modal dialog: fills it, starts its run, and closes it if the run did not.
template <class Dialog, class Fill>
void driveNextDialog(Fill fill)
{
    QTimer::singleShot(0, [fill] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
        dialog->PushButton4->click();
        if (dialog->isVisible())
            dialog->reject();
    });
}

TEST_F(ExpressWindowTest, SampleStoreConvertsListsAndEveryRuleRunsOverItsMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    auto form = open();
    desktop.dialogs.answerFile({store, 1});
    form->addStoreFilesButton->click();
    form->selectAllStoresButton->click();
    form->convertStoresButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList{u"Done."_qs});
    ASSERT_EQ(form->messageList->topLevelItemCount(), 28);
    EXPECT_EQ(form->mColEMLFiles().size(), 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_FALSE(form->messageList->topLevelItem(i)->text(3).isEmpty()) << i; // every row has its date

    form->selectAllMessagesButton->click();
    form->extractAllButton->click();
    const qsizetype allLines = form->results().count();
    EXPECT_GT(allLines, 28);

    form->containingTextBox->setText(u"the"_qs);
    form->containingButton->click();
    const qsizetype containing = form->results().count();
    form->notContainingTextBox->setText(u"the"_qs);
    form->notContainingButton->click();
    EXPECT_EQ(containing + form->results().count(), allLines);

    form->lineNumbersBox->setText(u"1"_qs);
    form->byNumberButton->click();
    EXPECT_EQ(form->results().count(), 28); // the first body line of every message

    driveNextDialog<gui::TextSetsDialog>([](gui::TextSetsDialog& d) {
        d.Combo1->clear();
        d.Combo1->addItem(u"the"_qs);
    });
    form->textSetsButton->click();
    EXPECT_EQ(form->results().count(), containing);

    driveNextDialog<gui::BetweenDialog>([](gui::BetweenDialog& d) {
        d.Text1->setText(u"the"_qs);
        d.Text2->setText(u" "_qs);
    });
    form->betweenButton->click();
    EXPECT_GT(form->results().count(), 0);
    EXPECT_EQ(form->progressBar->value(), 0);
}

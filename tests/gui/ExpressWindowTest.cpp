#include "gui/ExpressWindow.h"

#include "core/TempFolder.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"
#include "sources/express/ExpressFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using gui::ExpressWindow;
using guitest::names;
using guitest::rows;

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
        QFile file(staged(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        auto* item = new QTreeWidgetItem(form.messageList, {u"from"_qs, u"to"_qs, u"subject"_qs, u"date"_qs});
        item->setCheckState(0, Qt::Checked);
        form.messageFiles().append(name);
    }
    static QString staged(const QString& name) { return QDir(core::privateTempFolder()).filePath(name); }
    static QStringList texts(const QTreeWidget* list, int column = 0)
    {
        QStringList cells;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            cells << list->topLevelItem(i)->text(column);
        return cells;
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
    EXPECT_EQ(form->panel().containingTextBox->text(), u"typed in the main window"_qs);
    EXPECT_FALSE(form->panel().ignoreCaseBox->isChecked());
    form->panel().removeDuplicatesBox->click();
    form->panel().notContainingTextBox->setText(u"spam"_qs);
    EXPECT_EQ(settings->value(u"Check1"_qs), u"1"_qs);
    EXPECT_EQ(settings->value(u"Text2"_qs), u"spam"_qs);
    EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(ExpressWindowTest, AddedDbxFilesAndTickButtons)
{
    auto form = open();
    desktop.dialogs.answerFile({u"/mail/Inbox.dbx"_qs, 1});
    form->addStoreFilesButton->click();
    desktop.dialogs.answerFile({u"/"_qs + QChar(u'\0') + u"a.dbx"_qs + QChar(u'\0') + u"b.dbx"_qs, 1});
    form->addStoreFilesButton->click();
    EXPECT_EQ(texts(form->storeList), names("/mail/Inbox.dbx /a.dbx /b.dbx"));

    addMessage(*form, u"m.eml"_qs, "text\r\n");
    const auto ticks = [](QTreeWidget* list) {
        return list->topLevelItem(list->topLevelItemCount() - 1)->checkState(0);
    };
    EXPECT_EQ(ticks(form->storeList), Qt::Unchecked);
    form->selectAllStoresButton->click();
    form->deselectAllMessagesButton->click();
    EXPECT_EQ(ticks(form->storeList), Qt::Checked);
    EXPECT_EQ(ticks(form->messageList), Qt::Unchecked);
    form->deselectAllStoresButton->click();
    form->selectAllMessagesButton->click();
    EXPECT_EQ(ticks(form->storeList), Qt::Unchecked);
    EXPECT_EQ(ticks(form->messageList), Qt::Checked);
}

TEST_F(ExpressWindowTest, RulesAndRuleDialogsRunOverTheTickedMessagesShowingEachOnTheBar)
{
    auto form = open();
    gui::CommandPanel& p = form->panel();
    addMessage(*form, u"a.eml"_qs, "From: ann@example.org\r\n\r\nHello\r\nshared line\r\n");
    addMessage(*form, u"b.eml"_qs, "From: bob@example.org\r\n\r\nshared line\r\nbye\r\n");
    addMessage(*form, u"c.eml"_qs, "From: cy@example.org\r\n\r\nshared line\r\n");
    form->messageList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QStringList bar;
    QObject::connect(p.progressBar, &QProgressBar::valueChanged, p.progressBar,
                     [&](int value) { bar << p.progressBar->format() + u' ' + QString::number(value); });
    p.removeDuplicatesBox->setChecked(true);
    p.showSourceBox->setChecked(true);
    p.containingTextBox->setText(u"SHARED"_qs);
    p.containingButton->click();
    EXPECT_EQ(rows(p.results()), QStringList{u"shared line"_qs});
    EXPECT_EQ(p.results().row(0).text, staged(u"a.eml"_qs));
    const QString looking = u"Please wait.. Looking at.. "_qs;
    EXPECT_EQ(bar, (QStringList{looking + staged(u"a.eml"_qs) + u" 33"_qs, looking + staged(u"c.eml"_qs) + u" 100"_qs,
                                looking + staged(u"c.eml"_qs) + u" 0"_qs}));
    EXPECT_EQ(p.progressBar->format(), u"Progress Bar"_qs);

    p.removeDuplicatesBox->setChecked(false);
    form->messageList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->messageList->topLevelItem(1)->setCheckState(0, Qt::Checked);
    p.lineNumbersBox->setText(u"1"_qs);
    p.byNumberButton->click();
    EXPECT_EQ(rows(p.results()), QStringList(2, u"shared line"_qs));
    driveNextDialog<gui::BetweenDialog>(u"Form22"_qs, [](gui::BetweenDialog& d) {
        d.startTextBox->setText(u"sh"_qs);
        d.endTextBox->setText(u"d"_qs);
    });
    p.betweenButton->click();
    EXPECT_EQ(rows(p.results()), QStringList(2, u"shared"_qs));
    driveNextDialog<gui::TextSetsDialog>(u"Form33"_qs, [](gui::TextSetsDialog& d) { d.itemsBox->addItem(u"bye"_qs); });
    p.textSetsButton->click();
    EXPECT_EQ(rows(p.results()), QStringList{u"bye"_qs});
}

TEST_F(ExpressWindowTest, HelpAndClosingDeletesTheStagedMessages)
{
    auto form = open();
    addMessage(*form, u"x.eml"_qs, "text\r\n");
    form->helpButton->click();
    EXPECT_TRUE(shown().value(0).contains(u"Outlook Express cannot handle PST files"_qs));
    form->reject();
    EXPECT_FALSE(QFileInfo::exists(staged(u"x.eml"_qs)));
    EXPECT_FALSE(desktop.loop.ended()); // Outlook is there: back to the main window
}

TEST_F(ExpressWindowTest, SearchListsTheStoresOfTheWinePrefixEachTimeItIsPressed)
{
    const expresstest::WinePrefixFixture wine(dir.file(u"wine"_qs));
    const testsupport::EnvGuard prefix("WINEPREFIX", wine.prefix);
    auto form = open();
    form->searchExpressButton->click();
    form->searchExpressButton->click();
    const QStringList once = expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(texts(form->storeList), once + once);
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(ExpressWindowTest, SearchWithoutIdentitiesReportsAndPointsToAddFile)
{
    const testsupport::EnvGuard prefix("WINEPREFIX", dir.file(u"no-prefix"_qs));
    auto form = open();
    form->show();
    form->searchExpressButton->click();
    ASSERT_FALSE(shown().isEmpty());
    EXPECT_TRUE(shown().first().startsWith(u"DBXFiles component failure\r\n"_qs));
    EXPECT_EQ(shown().last(),
              u"You may be have no Outlook Express installed. \r\nPlease try to use Add Outlook Express "
              "File button."_qs);
    EXPECT_EQ(form->storeList->topLevelItemCount(), 0);
}

TEST_F(ExpressWindowTest, SampleStoreConvertsAndListsItsMessagesForTheRules)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    auto form = open();
    desktop.dialogs.answerFile({store, 1});
    form->addStoreFilesButton->click();
    form->selectAllStoresButton->click();
    form->convertStoresButton->click();
    EXPECT_EQ(shown(), QStringList{u"Done."_qs});
    ASSERT_EQ(form->messageList->topLevelItemCount(), 28);
    EXPECT_EQ(form->messageFiles().size(), 28);
    EXPECT_FALSE(texts(form->messageList, 3).contains(QString())); // every row has its date

    form->selectAllMessagesButton->click();
    form->panel().extractAllButton->click();
    EXPECT_GT(form->panel().results().count(), 28);
    form->panel().lineNumbersBox->setText(u"1"_qs);
    form->panel().byNumberButton->click();
    EXPECT_EQ(form->panel().results().count(), 28); // the first body line of every message
}

#include "gui/ExpressWindow.h"

#include "core/TempFolder.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"
#include "sources/express/ExpressFixtures.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
        testsupport::TempDir::writeFile(inStaging(name), text);
        (new QTreeWidgetItem(form.messageList, {u"from"_qs, u"to"_qs, u"subject"_qs, u"date"_qs}))
            ->setCheckState(0, Qt::Checked);
        form.messageFiles().append(name);
    }
    static QString inStaging(const QString& name) { return QDir(core::privateTempFolder()).filePath(name); }
    static QStringList texts(const QTreeWidget* list, int column = 0)
    {
        QStringList cells;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            cells << list->topLevelItem(i)->text(column);
        return cells;
    }
    testsupport::EnvGuard temp{"TEMP", dir.path()};
};

// Answers the next modal dialog: checks it is the window's own copy, fills it and starts its run.
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

// The options and texts are those of the main window's panel.
TEST_F(ExpressWindowTest, StoredRulesAndRuleDialogsRunOverTheTickedMessagesShowingEachOnTheBar)
{
    storeRaw("Check1=1\nCheck14=1\nText1=SHARED\n");
    auto form = open();
    gui::CommandPanel& p = form->panel();
    addMessage(*form, u"a.eml"_qs, "From: ann@example.org\r\n\r\nHello\r\nshared line\r\n");
    addMessage(*form, u"b.eml"_qs, "From: bob@example.org\r\n\r\nshared line\r\nbye\r\n");
    addMessage(*form, u"c.eml"_qs, "From: cy@example.org\r\n\r\nshared line\r\n");
    form->messageList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QStringList bar;
    QObject::connect(p.progressBar, &QProgressBar::valueChanged, p.progressBar,
                     [&](int value) { bar << p.progressBar->format() + u' ' + QString::number(value); });
    p.containingButton->click();
    EXPECT_EQ(rows(p.results()), QStringList{u"shared line"_qs});
    EXPECT_EQ(p.results().row(0).text, inStaging(u"a.eml"_qs));
    const QString looking = u"Please wait.. Looking at.. "_qs;
    EXPECT_EQ(bar,
              (QStringList{looking + inStaging(u"a.eml"_qs) + u" 33"_qs, looking + inStaging(u"c.eml"_qs) + u" 100"_qs,
                           looking + inStaging(u"c.eml"_qs) + u" 0"_qs}));

    p.removeDuplicatesBox->setChecked(false);
    EXPECT_EQ(settings->value(u"Check1"_qs), u"0"_qs);
    driveNextDialog<gui::BetweenDialog>(u"Form22"_qs, [](gui::BetweenDialog& d) {
        d.startTextBox->setText(u"sh"_qs);
        d.endTextBox->setText(u"d"_qs);
    });
    p.betweenButton->click();
    EXPECT_EQ(rows(p.results()), QStringList(2, u"shared"_qs));
    driveNextDialog<gui::TextSetsDialog>(u"Form33"_qs, [](gui::TextSetsDialog& d) { d.itemsBox->addItem(u"e"_qs); });
    p.textSetsButton->click();
    EXPECT_EQ(rows(p.results()), (QStringList{u"Hello"_qs, u"shared line"_qs, u"shared line"_qs}));
}

// The pattern box is restored on load; the address and pattern rules read the ticked messages' bodies.
TEST_F(ExpressWindowTest, AddressAndPatternRulesReadTheTickedMessages)
{
    storeRaw("Text7=^(hello|bye)$\n");
    auto form = open();
    gui::CommandPanel& p = form->panel();
    EXPECT_EQ(p.patternTextBox->text(), u"^(hello|bye)$"_qs);
    addMessage(*form, u"a.eml"_qs, "From: ann@example.org\r\n\r\nHello\r\nwrite to <cy@example.org>.\r\n");
    addMessage(*form, u"b.eml"_qs, "From: bob@example.org\r\n\r\nbye dee@example.org\r\nbye\r\n");
    p.patternButton->click();
    EXPECT_EQ(rows(p.results()), (QStringList{u"Hello"_qs, u"bye"_qs}));
    p.addressesButton->click();
    EXPECT_EQ(rows(p.results()), (QStringList{u"cy@example.org"_qs, u"dee@example.org"_qs}));
    EXPECT_TRUE(shown().isEmpty());
}

// A stand-in converter in the program folder writes one message for each store it is given.
TEST_F(ExpressWindowTest, TickedStoresConvertToMessagesForTheRulesWhichClosingDeletes)
{
    programFolder = dir.path();
    QFile::setPermissions(dir.write(u"DBXToEML"_qs, "#!/bin/sh\nb=$(basename \"$1\" .dbx)\nprintf 'From: %s\\r\\n"
                                                    "Date: today\\r\\n\\r\\nbody of %s' \"$b\" \"$b\" > "
                                                    "\"$2/$b-000001.eml\"\n"),
                          QFile::ReadOwner | QFile::ExeOwner);
    for (const QString& store : names("Inbox.dbx Sent.dbx Drafts.dbx"))
        dir.write(store, "x");
    auto form = open();
    addMessage(*form, u"stale.eml"_qs, "Date: of an earlier conversion\r\n");
    desktop.dialogs.answerFile({dir.file(u"Inbox.dbx"_qs), 1});
    form->addStoreFilesButton->click();
    desktop.dialogs.answerFile(
        {dir.path() + u"/"_qs + QChar(u'\0') + u"Sent.dbx"_qs + QChar(u'\0') + u"Drafts.dbx"_qs, 1});
    form->addStoreFilesButton->click();
    EXPECT_EQ(texts(form->storeList),
              (QStringList{dir.file(u"Inbox.dbx"_qs), dir.file(u"Sent.dbx"_qs), dir.file(u"Drafts.dbx"_qs)}));
    EXPECT_EQ(form->storeList->topLevelItem(0)->checkState(0), Qt::Unchecked);
    form->selectAllStoresButton->click();
    form->storeList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    form->convertStoresButton->click();
    EXPECT_EQ(shown(), QStringList{u"Done."_qs});
    EXPECT_EQ(texts(form->messageList), names("Inbox Drafts"));
    EXPECT_FALSE(QFileInfo::exists(inStaging(u"stale.eml"_qs)));
    EXPECT_EQ(form->panel().pointer().pointer(), platform::Pointer::Default);

    form->selectAllMessagesButton->click();
    form->panel().extractAllButton->click();
    EXPECT_EQ(rows(form->panel().results()), (QStringList{u"body of Inbox"_qs, u"body of Drafts"_qs}));
    form->deselectAllStoresButton->click();
    form->deselectAllMessagesButton->click();
    EXPECT_EQ(form->storeList->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(form->messageList->topLevelItem(0)->checkState(0), Qt::Unchecked);

    // Without a converter the list is emptied and "Done." is all that is said.
    QFile::remove(dir.file(u"DBXToEML"_qs));
    form->selectAllStoresButton->click();
    form->convertStoresButton->click();
    EXPECT_EQ(shown(), QStringList(2, u"Done."_qs));
    EXPECT_EQ(form->messageList->topLevelItemCount(), 0);
    addMessage(*form, u"Inbox-000001.eml"_qs, "Date: today\r\n");
    form->reject();
    EXPECT_FALSE(QFileInfo::exists(inStaging(u"Inbox-000001.eml"_qs)));
    EXPECT_FALSE(desktop.loop.ended()); // Outlook is there: back to the main window
}

// A chosen hive wins over the Wine prefix; each search adds what it finds to the list.
TEST_F(ExpressWindowTest, SearchReadsTheChosenRegistryAndPointsToAddFileWhenItFindsNothing)
{
    const expresstest::WinePrefixFixture wine(dir.file(u"wine"_qs));
    const testsupport::EnvGuard prefix("WINEPREFIX", wine.prefix);
    auto form = open();
    const QList<QAction*> registries = form->searchExpressButton->actions();
    desktop.dialogs.answerFile({dir.file(u"NTUSER.DAT"_qs), 1});
    registries[0]->trigger();
    EXPECT_EQ(settings->value(u"Registry Hive"_qs), dir.file(u"NTUSER.DAT"_qs));
    form->searchExpressButton->click();
    EXPECT_EQ(shown(), QStringList{u"You may be have no Outlook Express installed. \r\nPlease try to use Add "
                                   "Outlook Express File button."_qs}); // nothing found is no error

    registries[1]->trigger();
    form->searchExpressButton->click();
    form->searchExpressButton->click();
    const QStringList once = expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(texts(form->storeList), once + once);
}

// Converters side by side list the stores' messages as one converter after the other does: two stores called
// Inbox in two folders (the second takes the prefix "INBOX~2"), one cut short, one of another name.
TEST_F(ExpressWindowTest, ConvertersSideBySideListAsOneAfterTheOther)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    const QByteArray bytes = testsupport::TempDir::read(store);
    const QStringList stores{dir.write(u"one/Inbox.dbx"_qs, bytes), dir.write(u"two/INBOX.dbx"_qs, bytes),
                             dir.write(u"Sent Items.dbx"_qs, bytes.left(200000)), dir.write(u"x/inbox.DBX"_qs, bytes)};
    QStringList listed[2];
    for (const int workers : {1, 3}) {
        auto form = open();
        form->setConversionWorkers(workers);
        for (const QString& path : stores) {
            desktop.dialogs.answerFile({path, 1});
            form->addStoreFilesButton->click();
        }
        form->selectAllStoresButton->click();
        form->convertStoresButton->click();
        for (int i = 0; i < form->messageList->topLevelItemCount(); ++i)
            listed[workers > 1] << form->messageFiles()[i] + u' ' + form->messageList->topLevelItem(i)->text(2);
    }
    EXPECT_EQ(listed[0].size(), 3 * 28 + 11);
    EXPECT_TRUE(listed[0].first().startsWith(u"Inbox-000001.eml"_qs)) << qPrintable(listed[0].first());
    EXPECT_EQ(listed[1], listed[0]);
}

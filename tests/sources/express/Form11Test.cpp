#include "app/Form1.h"
#include "app/Settings.h"
#include "app/TempFolder.h"
#include "extract/Form2.h"
#include "extract/Form3.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "sources/express/Form11.h"
#include "ExpressFixtures.h"
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

using sources::express::Form11;
using testsupport::TempDir;

namespace {

class Form11Test : public ::testing::Test
{
protected:
    Form11Test() : m_oldTemp(qgetenv("TEMP"))
    {
        qputenv("TEMP", dir.path().toLocal8Bit());
        settings = std::make_unique<app::Settings>(dir.file(QStringLiteral("Brindlewick.ini")));
        context = std::make_unique<app::WindowContext>(
            app::WindowContext{desktop.platform(), *settings, outlook, QStringLiteral(QUILLMERE_PROGRAM_DIR)});
    }
    ~Form11Test() override { qputenv("TEMP", m_oldTemp); }

    // Stages a message file as the conversion would and lists it, ticked.
    void addMessage(Form11& form, const QString& name, const QByteArray& text)
    {
        QFile file(QDir(app::privateTempFolder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        auto* item = new QTreeWidgetItem(form.ListView3, {QStringLiteral("from"), QStringLiteral("to"),
                                                          QStringLiteral("subject"), QStringLiteral("date")});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        form.mColEMLFiles().append(name);
    }

    QStringList rows(Form11& form)
    {
        QStringList texts;
        for (qsizetype i = 0; i < form.results().count(); ++i)
            texts << form.results().row(i).extracted();
        return texts;
    }

    TempDir dir;
    platform::ScriptedPlatform desktop;
    testsupport::EmptyOutlook outlook;
    std::unique_ptr<app::Settings> settings;
    std::unique_ptr<app::WindowContext> context;
    sources::express::StoreDiscovery discovery;

private:
    QByteArray m_oldTemp;
};

} // namespace

TEST_F(Form11Test, ControlsCaptionsAndSharedSettings)
{
    settings->store(QStringLiteral("Text1"), QStringLiteral("typed in the main window"));
    settings->store(QStringLiteral("Check2"), QStringLiteral("0"));
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillmere"));
    EXPECT_EQ(form.Text1->text(), QStringLiteral("typed in the main window"));
    EXPECT_FALSE(form.Check2->isChecked());
    EXPECT_EQ(form.Check2->text(), QStringLiteral("Turn Off Case Sensitivity"));
    EXPECT_EQ(form.Check14->text(), QStringLiteral("Show Source Filename Next To Extracted Text"));
    EXPECT_EQ(form.ListView1->headerItem()->text(0), QStringLiteral("DBX File(s)"));
    EXPECT_EQ(form.ListView3->headerItem()->text(3), QStringLiteral("Date Received"));
    EXPECT_EQ(form.PushButton11->text(), QStringLiteral("Extract Emails From Outlook Express"));
    EXPECT_EQ(form.results().columns()[0].widthTwips, 7300);
    form.Check1->click();
    EXPECT_EQ(settings->value(QStringLiteral("Check1")), QStringLiteral("1"));
    if (qEnvironmentVariableIsSet("QUILLMERE_SCREENSHOT_FORM11"))
        form.grab().save(qEnvironmentVariable("QUILLMERE_SCREENSHOT_FORM11"));
}

TEST_F(Form11Test, AddedDbxFilesAndTickButtons)
{
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    desktop.dialogs.answerFile({QStringLiteral("/mail/Inbox.dbx"), 1});
    form.PushButton1->click();
    desktop.dialogs.answerFile(
        {QStringLiteral("/") + QChar(u'\0') + QStringLiteral("a.dbx") + QChar(u'\0') + QStringLiteral("b.dbx"), 1});
    form.PushButton1->click();
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 3);
    EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0), QStringLiteral("/mail/Inbox.dbx"));
    EXPECT_EQ(form.ListView1->topLevelItem(1)->text(0), QStringLiteral("/a.dbx"));
    EXPECT_EQ(form.ListView1->topLevelItem(2)->text(0), QStringLiteral("/b.dbx"));
    EXPECT_EQ(desktop.dialogs.fileRequests()[0].title,
              QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files"));
    EXPECT_EQ(desktop.dialogs.fileRequests()[0].filter, QStringLiteral("DBX Files (*.dbx)|*.dbx|"));

    EXPECT_EQ(form.ListView1->topLevelItem(1)->checkState(0), Qt::Unchecked);
    form.PushButton5->click();
    EXPECT_EQ(form.ListView1->topLevelItem(1)->checkState(0), Qt::Checked);
    form.PushButton3->click();
    EXPECT_EQ(form.ListView1->topLevelItem(2)->checkState(0), Qt::Unchecked);
    form.PushButton21->click(); // an empty message list: nothing happens, nothing is shown
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
}

TEST_F(Form11Test, RulesRunOverTheTickedMessages)
{
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    addMessage(form, QStringLiteral("a.eml"), "From: ann@example.org\r\nSubject: one\r\n\r\nHello\r\nshared line\r\n");
    addMessage(form, QStringLiteral("b.eml"), "From: bob@example.org\r\nSubject: two\r\n\r\nshared line\r\nbye\r\n");
    form.Check1->setChecked(true);
    form.Check14->setChecked(true);
    form.Text1->setText(QStringLiteral("SHARED"));
    form.PushButton2->click();
    ASSERT_EQ(form.results().count(), 1);
    EXPECT_EQ(form.results().row(0).text, QDir(app::privateTempFolder()).filePath(QStringLiteral("a.eml")));
    EXPECT_EQ(form.ProgressBar1->value(), 0);

    form.Check1->setChecked(false);
    form.Check14->setChecked(false);
    form.ListView3->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form.Text5->setText(QStringLiteral("1"));
    form.PushButton7->click();
    EXPECT_EQ(rows(form), QStringList{QStringLiteral("shared line")});
}

TEST_F(Form11Test, HelpAndClosingDeletesTheStagedMessages)
{
    {
        Form11 form(
            *context, discovery, [] { return false; }, nullptr);
        addMessage(form, QStringLiteral("x.eml"), "text\r\n");
        form.PushButton23->click();
        EXPECT_EQ(desktop.dialogs.messageTexts(),
                  QStringList{QStringLiteral("You must install Outlook that comes with MS Office in order to work with "
                                             "PST files \r\nbecause Outlook Express cannot handle PST files.")});
        form.reject();
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(app::privateTempFolder()).filePath(QStringLiteral("x.eml"))));
    EXPECT_FALSE(desktop.loop.ended()); // Outlook is there: back to the main window
}

TEST_F(Form11Test, SearchListsTheStoresOfTheWinePrefixEachTimeItIsPressed)
{
    const expresstest::WinePrefixFixture wine(dir.file(QStringLiteral("wine")));
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", wine.prefix.toLocal8Bit());
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    form.PushButton14->click();
    form.PushButton14->click();
    QStringList rows;
    for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i)
        rows << form.ListView1->topLevelItem(i)->text(0);
    const QStringList once = expresstest::listedStoreFiles(wine.store1) + expresstest::listedStoreFiles(wine.store3);
    EXPECT_EQ(rows, once + once);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
    qputenv("WINEPREFIX", oldPrefix);
}

TEST_F(Form11Test, SearchWithoutIdentitiesReportsAndPointsToAddFile)
{
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", dir.file(QStringLiteral("no-prefix")).toLocal8Bit());
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    form.show();
    form.PushButton14->click();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral("DBXFiles component failure\r\n")));
    EXPECT_EQ(shown.last(), QStringLiteral("You may be have no Outlook Express installed. \r\nPlease try to use Add "
                                           "Outlook Express File button."));
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    qputenv("WINEPREFIX", oldPrefix);
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

TEST_F(Form11Test, SampleStoreConvertsListsAndEveryRuleRunsOverItsMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    Form11 form(
        *context, discovery, [] { return false; }, nullptr);
    desktop.dialogs.answerFile({store, 1});
    form.PushButton1->click();
    form.PushButton5->click();
    form.PushButton11->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
    ASSERT_EQ(form.ListView3->topLevelItemCount(), 28);
    EXPECT_EQ(form.mColEMLFiles().size(), 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_FALSE(form.ListView3->topLevelItem(i)->text(3).isEmpty()) << i; // every row has its date

    form.PushButton21->click();
    form.PushButton13->click();
    const qsizetype allLines = form.results().count();
    EXPECT_GT(allLines, 28);

    form.Text1->setText(QStringLiteral("the"));
    form.PushButton2->click();
    const qsizetype containing = form.results().count();
    form.Text2->setText(QStringLiteral("the"));
    form.PushButton8->click();
    EXPECT_EQ(containing + form.results().count(), allLines);

    form.Text5->setText(QStringLiteral("1"));
    form.PushButton7->click();
    EXPECT_EQ(form.results().count(), 28); // the first body line of every message

    driveNextDialog<extract::Form3>([](extract::Form3& d) {
        d.Combo1->clear();
        d.Combo1->addItem(QStringLiteral("the"));
    });
    form.PushButton15->click();
    EXPECT_EQ(form.results().count(), containing);

    driveNextDialog<extract::Form2>([](extract::Form2& d) {
        d.Text1->setText(QStringLiteral("the"));
        d.Text2->setText(QStringLiteral(" "));
    });
    form.PushButton4->click();
    EXPECT_GT(form.results().count(), 0);
    EXPECT_EQ(form.ProgressBar1->value(), 0);
}

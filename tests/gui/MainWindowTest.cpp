#include "gui/MainWindow.h"

#include "gui/BetweenDialog.h"
#include "gui/WindowFixture.h"
#include "results/ResultsList.h"
#include "sources/outlook/PstApplication.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using gui::MainWindow;
using platform::Pointer;
using testsupport::TempDir;

namespace {

class MainWindowTest : public guitest::WindowFixture
{
protected:
    std::unique_ptr<MainWindow> start()
    {
        auto form = std::make_unique<MainWindow>(freshContext());
        form->loadWindow();
        return form;
    }

    // The window reading one store file through the real PST reader.
    std::unique_ptr<MainWindow> startOnPstFile(const QString& store)
    {
        outlookFactory = &pst;
        auto form = std::make_unique<MainWindow>(freshContext());
        form->loadWindow();
        form->pstFileOption->click();
        form->pstFileBox->setText(store);
        return form;
    }

    static QStringList rows(const results::ResultsList& list)
    {
        QStringList texts;
        for (qsizetype i = 0; i < list.count(); ++i)
            texts.append(list.row(i).text);
        return texts;
    }

    sources::outlook::PstApplicationFactory pst{[] { return QStringList(); }};
};

} // namespace

TEST_F(MainWindowTest, FirstStartShowsTheDefaults)
{
    auto form = start();
    EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
    for (QCheckBox* on : {form->inboxBox, form->outboxBox, form->sentItemsBox, form->deletedItemsBox,
                          form->fromFieldBox, form->panel().ignoreCaseBox})
        EXPECT_TRUE(on->isChecked()) << on->objectName().toStdString();
    for (QCheckBox* off :
         {form->draftsBox, form->bodyFieldBox, form->panel().removeDuplicatesBox, form->panel().showSourceBox})
        EXPECT_FALSE(off->isChecked()) << off->objectName().toStdString();
    EXPECT_TRUE(form->profileOption->isChecked());
    EXPECT_FALSE(form->pstFileOption->isChecked());
    EXPECT_TRUE(form->pstFileBox->text().isEmpty());
    EXPECT_EQ(form->panel().results().columns().size(), 1);
    EXPECT_EQ(form->panel().results().columns()[0].widthTwips, 7300);
    EXPECT_EQ(form->panel().progressBar->format(), u"Progress Bar"_qs);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
    EXPECT_FALSE(form->appClosing());
}

TEST_F(MainWindowTest, AnEmptyProfileIsToldInTheStatusAreaWithoutAMessageBox)
{
    QStringList stores;
    profileStores = [&stores] { return stores; };
    auto form = start();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));
    EXPECT_TRUE(form->statusLabel->text().contains(u"\"PST File:\""_qs));
    EXPECT_TRUE(form->statusLabel->text().contains(u"\"Profile Stores...\""_qs));
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());

    // Reading a PST file instead needs no profile; back on the profile, the note returns.
    form->pstFileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
    form->profileOption->click();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));

    stores = {u"/home/user/Outlook.pst"_qs};
    form->profileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
    EXPECT_TRUE(form->statusLabel->text().isEmpty());
}

TEST_F(MainWindowTest, ChangedOptionsAreStoredAtOnceAndRestoredAtTheNextStart)
{
    {
        auto form = start();
        form->draftsBox->click();
        form->bodyFieldBox->click();
        form->pstFileOption->click();
        form->pstFileBox->setText(u"/home/me/archive.pst"_qs);
        EXPECT_EQ(settings->value(u"Check4"_qs), u"1"_qs);
        EXPECT_EQ(settings->value(u"Body"_qs), u"1"_qs);
        EXPECT_EQ(settings->value(u"Option3"_qs), u"False"_qs);
        EXPECT_EQ(settings->value(u"Option4"_qs), u"True"_qs);
        EXPECT_EQ(settings->value(u"PST File"_qs), u"/home/me/archive.pst"_qs);
    }
    auto again = start();
    EXPECT_TRUE(again->draftsBox->isChecked());
    EXPECT_TRUE(again->bodyFieldBox->isChecked());
    EXPECT_FALSE(again->profileOption->isChecked());
    EXPECT_TRUE(again->pstFileOption->isChecked());
    EXPECT_EQ(again->pstFileBox->text(), u"/home/me/archive.pst"_qs);
}

// The load restores the panel's options (lines 8-10), the fields and the file, the panel's texts, then the
// folders and the source (to line 23), each as a statement of its own.
TEST_F(MainWindowTest, MalformedStoredValuesAreReportedAtTheirLinesAndTheRestStillLoads)
{
    storeRaw("Check1=abc\nBody=-1\nFrom=maybe\nText5=1,3\nCheck16=2\nOption3=False\nOption4=0\n");
    auto form = start();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_TRUE(shown[0].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 9"_qs));
    EXPECT_TRUE(shown[1].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 11"_qs));
    EXPECT_TRUE(shown[2].startsWith(u"Invalid property value\r\nin Quillmere2021/08/31.Form1.Form_Load at line 21"_qs));
    EXPECT_TRUE(form->fromFieldBox->isChecked());
    EXPECT_TRUE(form->bodyFieldBox->isChecked());
    EXPECT_TRUE(form->inboxBox->isChecked());
    EXPECT_EQ(form->panel().lineNumbersBox->text(), u"1,3"_qs);
    EXPECT_FALSE(form->profileOption->isChecked()); // neither source chosen
    EXPECT_FALSE(form->pstFileOption->isChecked());
}

TEST_F(MainWindowTest, WithoutOutlookThePstOptionIsStoredAndTheExpressWindowOpensFirst)
{
    outlook.available = false;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shownTitle = dialog->objectName();
            dialog->close();
        }
    });
    auto form = start();
    EXPECT_EQ(shownTitle, u"Form11"_qs);
    EXPECT_TRUE(form->pstFileOption->isChecked());
    EXPECT_EQ(settings->value(u"Option3"_qs), u"False"_qs);
    EXPECT_EQ(settings->value(u"Option4"_qs), u"True"_qs);
    EXPECT_TRUE(desktop.loop.ended()); // closing that window ended the program
}

TEST_F(MainWindowTest, HelpAndPstChooserWhichKeepsThePathWhenCancelled)
{
    auto form = start();
    form->helpButton->click();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"If you are getting a query message that says\r\n\r\n\"Allow access"_qs));
    EXPECT_TRUE(shown[0].endsWith(u"check all checkboxes in Where To Extract From area."_qs));

    form->pstFileBox->setText(u"/old.pst"_qs);
    form->choosePstFileButton->click();
    EXPECT_EQ(form->pstFileBox->text(), u"/old.pst"_qs);
    ASSERT_EQ(desktop.dialogs.fileRequests().size(), 1);
    EXPECT_EQ(desktop.dialogs.fileRequests()[0].filter, u"All PST Files (*.pst)|*.pst|"_qs);
    desktop.dialogs.answerFile({u"/mail/new.pst"_qs, 1});
    form->choosePstFileButton->click();
    EXPECT_EQ(form->pstFileBox->text(), u"/mail/new.pst"_qs);
    EXPECT_EQ(settings->value(u"PST File"_qs), u"/mail/new.pst"_qs);
}

TEST_F(MainWindowTest, ExtractionCommandsRunOnAPstFileEndToEnd)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "pst/backup_with_rules.pst");
    const testsupport::EnvGuard temp("TEMP", dir.path());
    const auto window = startOnPstFile(store);
    MainWindow& form = *window;
    gui::CommandPanel& p = form.panel();
    form.draftsBox->setChecked(true); // all five folder boxes: every folder counts

    p.extractAllButton->click();
    const auto& list = p.results();
    ASSERT_GT(list.count(), 1);
    EXPECT_EQ(list.row(0).text, QString()); // the staging file's leading empty line
    EXPECT_EQ(list.count() % 2, 1);         // then a sender line and an empty body line per message
    for (qsizetype i = 2; i < list.count(); i += 2)
        EXPECT_EQ(list.row(i).text, QString());
    const qsizetype records = list.count() / 2;

    p.containingTextBox->setText(u"@"_qs);
    p.containingButton->click();
    EXPECT_GT(list.count(), 0);
    EXPECT_LE(list.count(), records);

    p.lineNumbersBox->setText(u"2"_qs);
    p.byNumberButton->click();
    ASSERT_EQ(list.count(), 1);
    EXPECT_FALSE(list.row(0).text.isEmpty());
    EXPECT_EQ(p.pointer().pointer(), Pointer::Default);
    EXPECT_EQ(p.progressBar->format(), u"Progress Bar"_qs);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty()) << desktop.dialogs.messageTexts().join(u'|').toStdString();

    // A damaged file chosen as the PST file is reported, and the results stay as they were.
    form.pstFileBox->setText(dir.write(u"damaged.pst"_qs, QByteArray(4096, '\x5a')));
    p.extractAllButton->click();
    EXPECT_EQ(list.count(), 1);
    ASSERT_EQ(desktop.dialogs.messages().size(), 1);
    EXPECT_EQ(desktop.dialogs.messages()[0].title, u"Application Error"_qs);
}

// An outlook.com OST lists the senders of its Inbox; a copy in which no folder tree can be found is
// reported by name and leaves the results as they were.
TEST_F(MainWindowTest, OfflineStoreListsItsInboxSenders)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    const testsupport::EnvGuard temp("TEMP", dir.path());
    const auto window = startOnPstFile(ost);
    MainWindow& form = *window;
    for (QCheckBox* box : {form.outboxBox, form.draftsBox, form.sentItemsBox, form.deletedItemsBox})
        box->setChecked(false);
    form.inboxBox->setChecked(true);
    form.fromFieldBox->setChecked(true);
    form.bodyFieldBox->setChecked(false);

    form.panel().extractAllButton->click();
    const auto& list = form.panel().results();
    const QStringList senders = rows(list);
    EXPECT_EQ(senders,
              (QStringList{QString(), u"epfromer@gmail.com"_qs, QString(), u"no-reply@microsoft.com"_qs, QString()}));
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty()) << desktop.dialogs.messageTexts().join(u'|').toStdString();

    QByteArray bytes = TempDir::read(ost);
    const QString subtree = u"IPM_SUBTREE"_qs;
    const QString renamed = u"IPM_SUBTREF"_qs;
    bytes.replace(QByteArray(reinterpret_cast<const char*>(subtree.utf16()), subtree.size() * 2),
                  QByteArray(reinterpret_cast<const char*>(renamed.utf16()), renamed.size() * 2));
    const QString broken = dir.write(u"no folders.ost"_qs, bytes);
    form.pstFileBox->setText(broken);
    form.panel().extractAllButton->click();
    EXPECT_EQ(rows(list), senders);
    ASSERT_EQ(desktop.dialogs.messages().size(), 1);
    EXPECT_EQ(desktop.dialogs.messages()[0].title, u"Application Error"_qs);
    EXPECT_TRUE(desktop.dialogs.messages()[0].text.contains(broken)) << desktop.dialogs.messageTexts()[0].toStdString();
}

TEST_F(MainWindowTest, RuleDialogsNeedAFieldAndCloseForGoodWithTheMainWindow)
{
    auto form = start();
    form->fromFieldBox->setChecked(false);
    form->panel().betweenButton->click();
    form->panel().textSetsButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList(2, u"You must check at least one Field option"_qs));
    EXPECT_EQ(form->findChild<gui::BetweenDialog*>(), nullptr);

    form->fromFieldBox->setChecked(true);
    form->show();
    form->panel().betweenButton->click();
    auto* between = form->findChild<gui::BetweenDialog*>();
    ASSERT_NE(between, nullptr);
    EXPECT_EQ(between->objectName(), u"Form2"_qs);
    EXPECT_TRUE(between->isVisible());
    EXPECT_FALSE(between->isModal());

    form->close();
    QCloseEvent whileClosing;
    QApplication::sendEvent(between, &whileClosing);
    EXPECT_TRUE(whileClosing.isAccepted());
    EXPECT_TRUE(form->appClosing());
    EXPECT_TRUE(desktop.loop.ended());
    EXPECT_GE(desktop.loop.yields(), 2);
}

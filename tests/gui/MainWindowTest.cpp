#include "gui/MainWindow.h"

#include "gui/BetweenDialog.h"
#include "gui/WindowFixture.h"
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

using gui::MainWindow;
using guitest::names;
using guitest::rows;

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
        auto form = start();
        form->pstFileOption->click();
        form->pstFileBox->setText(store);
        return form;
    }

    testsupport::EnvGuard temp{"TEMP", dir.path()};
    sources::outlook::PstApplicationFactory pst{[] { return QStringList(); }};
};

} // namespace

TEST_F(MainWindowTest, FirstStartShowsTheDefaultsAndChangesAreStoredAtOnceForTheNextStart)
{
    {
        auto form = start();
        for (const QString& on : names("Check16 Check15 Check5 Check3 Check17 Check2 Option3"))
            EXPECT_TRUE(form->findChild<QAbstractButton*>(on)->isChecked()) << on.toStdString();
        for (const QString& off : names("Check4 Check18 Check1 Check14 Option4"))
            EXPECT_FALSE(form->findChild<QAbstractButton*>(off)->isChecked()) << off.toStdString();
        EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
        EXPECT_EQ(form->panel().results().columns()[0].widthTwips, 7300);
        EXPECT_EQ(form->panel().progressBar->format(), u"Progress Bar"_qs);
        EXPECT_TRUE(shown().isEmpty());
        EXPECT_FALSE(form->appClosing());

        form->draftsBox->click();
        form->bodyFieldBox->click();
        form->pstFileOption->click();
        form->pstFileBox->setText(u"/home/me/archive.pst"_qs);
        for (const auto& [key, value] : {std::pair{"Check4", "1"},
                                         {"Body", "1"},
                                         {"Option3", "False"},
                                         {"Option4", "True"},
                                         {"PST File", "/home/me/archive.pst"}})
            EXPECT_EQ(settings->value(QLatin1String(key)), QLatin1String(value)) << key;
    }
    auto again = start();
    EXPECT_TRUE(again->draftsBox->isChecked());
    EXPECT_TRUE(again->bodyFieldBox->isChecked());
    EXPECT_FALSE(again->profileOption->isChecked());
    EXPECT_TRUE(again->pstFileOption->isChecked());
    EXPECT_EQ(again->pstFileBox->text(), u"/home/me/archive.pst"_qs);
}

TEST_F(MainWindowTest, AnEmptyProfileIsToldInTheStatusAreaWithoutAMessageBox)
{
    QStringList stores;
    profileStores = [&stores] { return stores; };
    auto form = start();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));
    EXPECT_TRUE(form->statusLabel->text().contains(u"\"PST File:\""_qs));
    EXPECT_TRUE(form->statusLabel->text().contains(u"\"Profile Stores...\""_qs));
    EXPECT_TRUE(shown().isEmpty());
    // Reading a PST file instead needs no profile; back on the profile, the note returns.
    form->pstFileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
    form->profileOption->click();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));
    stores = {u"/home/user/Outlook.pst"_qs};
    form->profileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
}

// The load restores the panel's options (statements 8-10), the fields and the file, the panel's texts, then
// the folders and the source (to 23), each as a statement of its own.
TEST_F(MainWindowTest, MalformedStoredValuesAreReportedAtTheirLinesAndTheRestStillLoads)
{
    storeRaw("Check1=abc\nBody=-1\nFrom=maybe\nText5=1,3\nCheck16=2\nOption3=False\nOption4=0\n");
    auto form = start();
    ASSERT_EQ(shown().size(), 3);
    EXPECT_TRUE(shown()[0].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 9"_qs));
    EXPECT_TRUE(shown()[1].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 11"_qs));
    EXPECT_TRUE(
        shown()[2].startsWith(u"Invalid property value\r\nin Quillmere2021/08/31.Form1.Form_Load at line 21"_qs));
    EXPECT_TRUE(form->fromFieldBox->isChecked() && form->bodyFieldBox->isChecked() && form->inboxBox->isChecked());
    EXPECT_EQ(form->panel().lineNumbersBox->text(), u"1,3"_qs);
    EXPECT_FALSE(form->profileOption->isChecked() || form->pstFileOption->isChecked()); // neither source chosen
}

TEST_F(MainWindowTest, WithoutOutlookThePstOptionIsStoredAndTheExpressWindowOpensFirst)
{
    outlook.available = false;
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = dialog->objectName();
            dialog->close();
        }
    });
    auto form = start();
    EXPECT_EQ(opened, u"Form11"_qs);
    EXPECT_TRUE(form->pstFileOption->isChecked());
    EXPECT_EQ(settings->value(u"Option4"_qs), u"True"_qs);
    EXPECT_TRUE(desktop.loop.ended()); // closing that window ended the program
}

TEST_F(MainWindowTest, HelpAndPstChooserWhichKeepsThePathWhenCancelled)
{
    auto form = start();
    form->helpButton->click();
    ASSERT_EQ(shown().size(), 1);
    EXPECT_TRUE(shown()[0].startsWith(u"If you are getting a query message that says\r\n\r\n\"Allow access"_qs));
    EXPECT_TRUE(shown()[0].endsWith(u"check all checkboxes in Where To Extract From area."_qs));

    form->pstFileBox->setText(u"/old.pst"_qs);
    form->choosePstFileButton->click();
    EXPECT_EQ(form->pstFileBox->text(), u"/old.pst"_qs);
    EXPECT_EQ(desktop.dialogs.fileRequests().size(), 1);
    desktop.dialogs.answerFile({u"/mail/new.pst"_qs, 1});
    form->choosePstFileButton->click();
    EXPECT_EQ(settings->value(u"PST File"_qs), u"/mail/new.pst"_qs);
}

TEST_F(MainWindowTest, ExtractionCommandsRunOnAPstFileEndToEnd)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "pst/backup_with_rules.pst");
    const auto form = startOnPstFile(store);
    gui::CommandPanel& p = form->panel();
    form->draftsBox->setChecked(true); // all five folder boxes: every folder counts
    p.extractAllButton->click();
    const QStringList all = rows(p.results());
    ASSERT_GT(all.size(), 1);
    EXPECT_EQ(all.size() % 2, 1); // the staging file's leading empty line, then a sender and an empty body line
    for (qsizetype i = 0; i < all.size(); i += 2)
        EXPECT_EQ(all[i], QString());

    p.containingTextBox->setText(u"@"_qs);
    p.containingButton->click();
    EXPECT_GT(p.results().count(), 0);
    EXPECT_LE(p.results().count(), all.size() / 2);
    p.lineNumbersBox->setText(u"2"_qs);
    p.byNumberButton->click();
    EXPECT_EQ(rows(p.results()), QStringList{all[1]});
    EXPECT_EQ(p.pointer().pointer(), platform::Pointer::Default);
    EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();

    // A damaged file chosen as the PST file is reported, and the results stay as they were.
    form->pstFileBox->setText(dir.write(u"damaged.pst"_qs, QByteArray(4096, '\x5a')));
    p.extractAllButton->click();
    EXPECT_EQ(p.results().count(), 1);
    ASSERT_EQ(desktop.dialogs.messages().size(), 1);
    EXPECT_EQ(desktop.dialogs.messages()[0].title, u"Application Error"_qs);
}

// Only the ticked folders and fields are read: the senders of an outlook.com OST's Inbox.
TEST_F(MainWindowTest, OfflineStoreListsItsInboxSenders)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    const auto form = startOnPstFile(ost);
    for (QCheckBox* box : {form->outboxBox, form->draftsBox, form->sentItemsBox, form->deletedItemsBox})
        box->setChecked(false);
    form->panel().extractAllButton->click();
    EXPECT_EQ(rows(form->panel().results()),
              (QStringList{{}, u"epfromer@gmail.com"_qs, {}, u"no-reply@microsoft.com"_qs, {}}));
    EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();
}

TEST_F(MainWindowTest, RuleDialogsNeedAFieldAndCloseForGoodWithTheMainWindow)
{
    auto form = start();
    form->fromFieldBox->setChecked(false);
    form->panel().betweenButton->click();
    form->panel().textSetsButton->click();
    EXPECT_EQ(shown(), QStringList(2, u"You must check at least one Field option"_qs));
    EXPECT_EQ(form->findChild<QDialog*>(), nullptr);

    form->fromFieldBox->setChecked(true);
    form->show();
    form->panel().betweenButton->click();
    auto* between = form->findChild<gui::BetweenDialog*>();
    ASSERT_NE(between, nullptr);
    EXPECT_EQ(between->objectName(), u"Form2"_qs);
    form->close();
    QCloseEvent whileClosing;
    QApplication::sendEvent(between, &whileClosing);
    EXPECT_TRUE(whileClosing.isAccepted());
    EXPECT_TRUE(form->appClosing());
    EXPECT_TRUE(desktop.loop.ended());
    EXPECT_GE(desktop.loop.yields(), 2);
}

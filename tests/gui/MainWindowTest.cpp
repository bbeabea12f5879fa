#include "gui/MainWindow.h"

#include "gui/BetweenDialog.h"
#include "gui/WindowFixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using gui::MainWindow;
using guitest::names;
using testsupport::mboxMessage;

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
};

} // namespace

TEST_F(MainWindowTest, FirstStartShowsTheDefaultsAndChangesAreStoredAtOnceForTheNextStart)
{
    {
        auto form = start();
        const QStringList on = names("Check16 Check15 Check5 Check3 Check17 Check2 Option3");
        for (const QString& box : on + names("Check4 Check18 Check1 Check14 Option4"))
            EXPECT_EQ(form->findChild<QAbstractButton*>(box)->isChecked(), on.contains(box)) << box.toStdString();
        EXPECT_TRUE(shown().isEmpty());

        form->draftsBox->click();
        form->bodyFieldBox->click();
        form->pstFileOption->click();
        form->pstFileBox->setText(u"/home/me/archive.pst"_qs);
        for (const char* line :
             {"Check4=1", "Body=1", "Option3=False", "Option4=True", "PST%20File=/home/me/archive.pst"})
            EXPECT_TRUE(testsupport::TempDir::read(settings->filePath()).contains(line)) << line;
    }
    auto again = start();
    EXPECT_TRUE(again->draftsBox->isChecked() && again->bodyFieldBox->isChecked());
    EXPECT_TRUE(again->pstFileOption->isChecked() && !again->profileOption->isChecked());
    EXPECT_EQ(again->pstFileBox->text(), u"/home/me/archive.pst"_qs);
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

TEST_F(MainWindowTest, AnEmptyProfileIsToldInTheStatusAreaWithoutAMessageBox)
{
    QStringList stores;
    profileStores = [&stores] { return stores; };
    auto form = start();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));
    EXPECT_TRUE(shown().isEmpty());
    // Reading a PST file needs no profile; back on the profile, the note returns.
    form->pstFileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
    form->profileOption->click();
    EXPECT_TRUE(form->statusLabel->isVisibleTo(form.get()));
    stores = {u"/home/user/Outlook.pst"_qs};
    form->profileOption->click();
    EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
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

TEST_F(MainWindowTest, TheChosenPstFileIsStoredUnlessCancelled)
{
    auto form = start();
    form->pstFileBox->setText(u"/old.pst"_qs);
    form->choosePstFileButton->click();
    EXPECT_EQ(form->pstFileBox->text(), u"/old.pst"_qs);
    desktop.dialogs.answerFile({u"/mail/new.pst"_qs, 1});
    form->choosePstFileButton->click();
    EXPECT_EQ(settings->value(u"PST File"_qs), u"/mail/new.pst"_qs);
}

TEST_F(MainWindowTest, RuleDialogsNeedAFieldOpenOnceAndCloseForGoodWithTheMainWindow)
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
    form->panel().betweenButton->click();
    form->panel().textSetsButton->click();
    EXPECT_NE(form->findChild<QDialog*>(u"Form3"_qs), nullptr);
    const auto between = form->findChildren<gui::BetweenDialog*>(u"Form2"_qs);
    ASSERT_EQ(between.size(), 1);
    form->close();
    QCloseEvent whileClosing;
    QApplication::sendEvent(between[0], &whileClosing);
    EXPECT_TRUE(whileClosing.isAccepted());
    EXPECT_TRUE(desktop.loop.ended());
    EXPECT_GE(desktop.loop.yields(), 2);
}

// The third source: Thunderbird's mail when no path is given, told in the status area; a chosen folder; a
// file that is no mailbox reported; the choice and the path kept for the next start.
TEST_F(MainWindowTest, MailboxSourceReadsThunderbirdMailOrTheChosenPathAndIsStored)
{
    const testsupport::EnvGuard temp{"TEMP", dir.path()};
    const testsupport::EnvGuard home{"HOME", dir.file(u"home"_qs)};
    dir.write(u"home/.thunderbird/profiles.ini"_qs, "[Profile0]\nIsRelative=1\nPath=p.default\n");
    dir.write(u"home/.thunderbird/p.default/Mail/Local Folders/Inbox"_qs, mboxMessage("ann@example.org", "hello"));
    dir.write(u"home/.thunderbird/p.default/Mail/Local Folders/Sent"_qs, mboxMessage("Me <me@example.org>", "hello"));
    dir.write(u"home/.thunderbird/p.default/Mail/Local Folders/Junk"_qs, mboxMessage("spam@example.org", "hello"));
    dir.write(u"Maildir/new/1.host"_qs, "From: bob@example.org\n\nmeeting\n");
    const QString notMail = dir.write(u"notes.txt"_qs, "no mail here\n");
    {
        auto form = start();
        form->mailboxOption->click();
        EXPECT_FALSE(form->profileOption->isChecked() || form->pstFileOption->isChecked());
        ASSERT_TRUE(form->statusLabel->isVisibleTo(form.get()));
        EXPECT_EQ(form->statusLabel->text(), u"1 Thunderbird profile, 3 mailboxes"_qs);
        form->panel().extractAllButton->click();
        EXPECT_EQ(guitest::rows(form->panel().results()),
                  (QStringList{{}, u"ann@example.org"_qs, {}, u"me@example.org"_qs, {}}));

        desktop.dialogs.answerFile({dir.file(u"Maildir"_qs), 1});
        form->chooseMailboxButton->click();
        EXPECT_FALSE(form->statusLabel->isVisibleTo(form.get()));
        form->bodyFieldBox->setChecked(true);
        form->panel().containingTextBox->setText(u"meeting"_qs);
        form->panel().containingButton->click();
        EXPECT_EQ(guitest::rows(form->panel().results()), QStringList{u"meeting"_qs});
        EXPECT_TRUE(shown().isEmpty()) << shown().join(u'|').toStdString();

        form->mailboxPathBox->setText(notMail);
        form->panel().extractAllButton->click();
        ASSERT_EQ(shown().size(), 1);
        EXPECT_TRUE(shown()[0].startsWith(notMail + u": not a mailbox"_qs)) << shown()[0].toStdString();
        form->mailboxPathBox->setText(dir.file(u"Maildir"_qs));
    }
    auto again = start();
    EXPECT_TRUE(again->mailboxOption->isChecked() && !again->profileOption->isChecked());
    EXPECT_EQ(again->mailboxPathBox->text(), dir.file(u"Maildir"_qs));
}

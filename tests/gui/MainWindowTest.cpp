#include "gui/Accelerators.h"
#include "gui/MainWindow.h"
#include "core/Settings.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "sources/outlook/PstApplication.h"
#include "support/KeyboardChecks.h"
#include "support/OutlookStub.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using gui::MainWindow;
using platform::Pointer;
using testsupport::TempDir;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    std::unique_ptr<MainWindow> start(std::function<QStringList()> profileStores = {})
    {
        settings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        auto form = std::make_unique<MainWindow>(gui::WindowContext{
            desktop.platform(), *settings, outlook, QStringLiteral(QUILLMERE_PROGRAM_DIR), std::move(profileStores)});
        form->loadWindow();
        return form;
    }

    // The window reading one store file through the real PST reader.
    std::unique_ptr<MainWindow> startOnPstFile(const QString& store)
    {
        settings = std::make_unique<core::Settings>(dir.file(u"Brindlewick.ini"_qs));
        auto form = std::make_unique<MainWindow>(
            gui::WindowContext{desktop.platform(), *settings, pst, QStringLiteral(QUILLMERE_PROGRAM_DIR)});
        form->loadWindow();
        form->pstFileOption->click();
        form->pstFileBox->setText(store);
        return form;
    }

    void storeRaw(const char* ini) { dir.write(u"Brindlewick.ini"_qs, QByteArray("[Quillmere]\n") + ini); }

    template <class T>
    static T* control(MainWindow& form, const char* name)
    {
        T* found = form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TempDir dir;
    platform::ScriptedPlatform desktop;
    testsupport::EmptyOutlook outlook;
    sources::outlook::PstApplicationFactory pst{[] { return QStringList(); }};
    std::unique_ptr<core::Settings> settings;
};

void moveMouseOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

TEST_F(MainWindowTest, FirstStartShowsTheDefaults)
{
    auto form = start();
    EXPECT_EQ(form->windowTitle(), u"Quillmere"_qs);
    for (const char* on : {"Check16", "Check15", "Check5", "Check3", "Check17", "Check2"})
        EXPECT_TRUE(control<QCheckBox>(*form, on)->isChecked()) << on;
    for (const char* off : {"Check4", "Check18", "Check1", "Check14"})
        EXPECT_FALSE(control<QCheckBox>(*form, off)->isChecked()) << off;
    EXPECT_TRUE(form->profileOption->isChecked());
    EXPECT_FALSE(form->pstFileOption->isChecked());
    for (const char* text : {"Text1", "Text2", "Text5", "Text6"})
        EXPECT_TRUE(control<QLineEdit>(*form, text)->text().isEmpty()) << text;
    EXPECT_EQ(form->results().columns().size(), 1);
    EXPECT_EQ(form->results().columns()[0].widthTwips, 7300);
    EXPECT_EQ(form->progressBar->format(), u"Progress Bar"_qs);
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty());
    EXPECT_FALSE(form->AppClosing());
}

TEST_F(MainWindowTest, EveryControlHasItsCaption)
{
    auto form = start();
    const QList<std::pair<const char*, const char*>> captions = {
        {"PushButton3", "..."},
        {"PushButton5", "Show Outlook Express Options"},
        {"PushButton1", "Help"},
        {"PushButton13", "Extract All Email Data"},
        {"PushButton2", "Extract All Lines Containing This Text:"},
        {"PushButton8", "Extract All Lines Not Contain. This Text:"},
        {"PushButton10", "Help >"},
        {"PushButton7", "Extract Lines By Number:"},
        {"PushButton4", "Extract Between X and Y (Repeatedly)"},
        {"PushButton15", "Extract Lines Containing These Text Sets"},
        {"PushButton6", "Save Results As Text File"},
        {"PushButton12", "Save Results As Excel File"},
        {"PushButton9", "Clear List"},
        {"PushButton16", "Help >"},
        {"PushButton17", "Help >"},
        {"PushButton18", "Copy Results To Clipboard"},
        {"PushButton19", "Remove Results Containing X"},
        {"PushButton20", "Remove Results Not Containing X"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(gui::withoutAccelerator(control<QPushButton>(*form, name)->text()), QLatin1String(caption)) << name;
    EXPECT_EQ(form->fieldsFrame->title(), u"What To Extract"_qs);
    EXPECT_EQ(form->foldersFrame->title(), u"Where To Extract From"_qs);
    EXPECT_EQ(form->sourceFrame->title(), u"Source"_qs);
    EXPECT_EQ(form->optionsFrame->title(), u"Extraction Options"_qs);
    EXPECT_EQ(form->resultsView->toolTip(),
              QStringLiteral("Double-click item to remove it. Move | line to right and out of window to reveal full "
                             "names."));
}

TEST_F(MainWindowTest, KeyboardReachesEveryControlInReadingOrder)
{
    auto form = start();
    const QStringList frames = {
        u"Check18"_qs,     u"Check17"_qs,    u"Check2"_qs, u"Check1"_qs,      u"Check14"_qs,
        u"Check16"_qs,     u"Check15"_qs,    u"Check4"_qs, u"Check5"_qs,      u"Check3"_qs,
        u"Option3"_qs,     u"Option4"_qs,    u"Text6"_qs,  u"PushButton3"_qs, u"ProfileStoresButton"_qs,
        u"PushButton5"_qs, u"PushButton1"_qs};
    const QStringList rules = {u"PushButton13"_qs, u"PushButton2"_qs,  u"Text1"_qs,        u"PushButton8"_qs,
                               u"Text2"_qs,        u"PushButton7"_qs,  u"Text5"_qs,        u"PushButton10"_qs,
                               u"PushButton4"_qs,  u"PushButton16"_qs, u"PushButton15"_qs, u"PushButton17"_qs};
    const QStringList results = {u"ListView2"_qs,   u"PushButton6"_qs,  u"PushButton12"_qs, u"PushButton18"_qs,
                                 u"PushButton9"_qs, u"PushButton19"_qs, u"PushButton20"_qs};
    EXPECT_EQ(testsupport::tabbedNames(*form, *form->bodyFieldBox), frames + rules + results);
    testsupport::expectDistinctAccelerators(*form, {u"PushButton3"_qs});
}

TEST_F(MainWindowTest, AnEmptyProfileIsToldInTheStatusAreaWithoutAMessageBox)
{
    QStringList stores;
    auto form = start([&stores] { return stores; });
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
        form->ignoreCaseBox->click();
        form->bodyFieldBox->click();
        form->pstFileOption->click();
        form->containingTextBox->setText(u"needle"_qs);
        form->pstFileBox->setText(u"/home/me/archive.pst"_qs);
        EXPECT_EQ(settings->value(u"Check4"_qs), u"1"_qs);
        EXPECT_EQ(settings->value(u"Check2"_qs), u"0"_qs);
        EXPECT_EQ(settings->value(u"Body"_qs), u"1"_qs);
        EXPECT_EQ(settings->value(u"Option3"_qs), u"False"_qs);
        EXPECT_EQ(settings->value(u"Option4"_qs), u"True"_qs);
        EXPECT_EQ(settings->value(u"PST File"_qs), u"/home/me/archive.pst"_qs);
    }
    auto again = start();
    EXPECT_TRUE(again->draftsBox->isChecked());
    EXPECT_FALSE(again->ignoreCaseBox->isChecked());
    EXPECT_TRUE(again->bodyFieldBox->isChecked());
    EXPECT_FALSE(again->profileOption->isChecked());
    EXPECT_TRUE(again->pstFileOption->isChecked());
    EXPECT_EQ(again->containingTextBox->text(), u"needle"_qs);
    EXPECT_EQ(again->pstFileBox->text(), u"/home/me/archive.pst"_qs);
}

TEST_F(MainWindowTest, MalformedStoredValueIsReportedAndTheRestStillLoads)
{
    storeRaw("Check1=abc\nCheck2=7\nBody=-1\nText5=1,3\nOption3=False\nOption4=0\n");
    auto form = start();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(u"Type mismatch\r\nin Quillmere2021/08/31.Form1.Form_Load at line 9"_qs));
    EXPECT_TRUE(shown[1].startsWith(u"Invalid property value\r\n"_qs));
    EXPECT_FALSE(form->removeDuplicatesBox->isChecked());
    EXPECT_TRUE(form->ignoreCaseBox->isChecked());
    EXPECT_TRUE(form->bodyFieldBox->isChecked());
    EXPECT_EQ(form->lineNumbersBox->text(), u"1,3"_qs);
    EXPECT_FALSE(form->profileOption->isChecked()); // neither source chosen
    EXPECT_FALSE(form->pstFileOption->isChecked());
}

TEST_F(MainWindowTest, WithoutOutlookThePstOptionIsStoredAndTheExpressWindowOpensFirst)
{
    outlook.available = false;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shownTitle = dialog->windowTitle();
            dialog->close();
        }
    });
    auto form = start();
    EXPECT_EQ(shownTitle, u"Quillmere"_qs);
    EXPECT_TRUE(form->pstFileOption->isChecked());
    EXPECT_EQ(settings->value(u"Option3"_qs), u"False"_qs);
    EXPECT_EQ(settings->value(u"Option4"_qs), u"True"_qs);
    EXPECT_TRUE(desktop.loop.ended()); // closing that window ended the program
}

TEST_F(MainWindowTest, HelpMessages)
{
    auto form = start();
    form->helpButton->click();
    form->byNumberHelpButton->click();
    const QStringList shown = desktop.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(u"If you are getting a query message that says\r\n\r\n\"Allow access"_qs));
    EXPECT_TRUE(shown[0].endsWith(u"check all checkboxes in Where To Extract From area."_qs));
    EXPECT_TRUE(shown[1].startsWith(u"If one of the files has this for content:\r\rA\rB\r"_qs));
    EXPECT_FALSE(shown[1].contains(u'\n'));
}

TEST_F(MainWindowTest, PstChooserKeepsThePathWhenCancelled)
{
    auto form = start();
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

TEST_F(MainWindowTest, HoverPointersLeaveTheHourglassAlone)
{
    auto form = start();
    moveMouseOver(form->extractAllButton);
    EXPECT_EQ(form->pointer().pointer(), Pointer::Custom);
    moveMouseOver(form->foldersFrame);
    EXPECT_EQ(form->pointer().pointer(), Pointer::Default);
    form->pointer().setPointer(Pointer::Hourglass);
    moveMouseOver(form->extractAllButton);
    moveMouseOver(form->resultsView->viewport());
    EXPECT_EQ(form->pointer().pointer(), Pointer::Hourglass);
}

TEST_F(MainWindowTest, ListCommandsOnTheWindow)
{
    auto form = start();
    auto& list = form->results();
    for (const char* text : {"alpha", "Beta", "gamma"})
        list.add({QLatin1String(text), {}, false});
    QCoreApplication::processEvents();

    desktop.dialogs.answerInput(u"BETA"_qs);
    form->removeContainingButton->click();
    EXPECT_EQ(list.count(), 2);

    form->resultsView->setCurrentIndex(list.index(0, 0));
    form->pointer().setPointer(Pointer::Hourglass);
    form->onResultDoubleClicked();
    EXPECT_EQ(list.count(), 2); // busy: nothing removed
    form->pointer().setPointer(Pointer::Default);
    form->onResultDoubleClicked();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, u"gamma"_qs);

    form->clearListButton->click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 1);
}

TEST_F(MainWindowTest, ExtractionCommandsRunOnAPstFileEndToEnd)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "pst/backup_with_rules.pst");
    const testsupport::EnvGuard temp("TEMP", dir.path());
    const auto window = startOnPstFile(store);
    MainWindow& form = *window;
    form.draftsBox->setChecked(true); // all five folder boxes: every folder counts

    form.extractAllButton->click();
    const auto& list = form.results();
    ASSERT_GT(list.count(), 1);
    EXPECT_EQ(list.row(0).text, QString()); // the staging file's leading empty line
    EXPECT_EQ(list.count() % 2, 1);         // then a sender line and an empty body line per message
    for (qsizetype i = 2; i < list.count(); i += 2)
        EXPECT_EQ(list.row(i).text, QString());
    const qsizetype records = list.count() / 2;

    form.containingTextBox->setText(u"@"_qs);
    form.containingButton->click();
    EXPECT_GT(list.count(), 0);
    EXPECT_LE(list.count(), records);

    form.lineNumbersBox->setText(u"2"_qs);
    form.byNumberButton->click();
    ASSERT_EQ(list.count(), 1);
    EXPECT_FALSE(list.row(0).text.isEmpty());
    EXPECT_EQ(form.pointer().pointer(), Pointer::Default);
    EXPECT_EQ(form.progressBar->format(), u"Progress Bar"_qs);

    EXPECT_TRUE(desktop.dialogs.messages().isEmpty()) << desktop.dialogs.messageTexts().join(u'|').toStdString();

    // A damaged file chosen as the PST file is reported, and the results stay as they were.
    form.pstFileBox->setText(dir.write(u"damaged.pst"_qs, QByteArray(4096, '\x5a')));
    form.extractAllButton->click();
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

    form.extractAllButton->click();
    const auto& list = form.results();
    QStringList rows;
    for (qsizetype i = 0; i < list.count(); ++i)
        rows.append(list.row(i).text);
    EXPECT_EQ(rows,
              (QStringList{QString(), u"epfromer@gmail.com"_qs, QString(), u"no-reply@microsoft.com"_qs, QString()}));
    EXPECT_TRUE(desktop.dialogs.messages().isEmpty()) << desktop.dialogs.messageTexts().join(u'|').toStdString();

    QByteArray bytes = TempDir::read(ost);
    const QString subtree = u"IPM_SUBTREE"_qs;
    const QString renamed = u"IPM_SUBTREF"_qs;
    bytes.replace(QByteArray(reinterpret_cast<const char*>(subtree.utf16()), subtree.size() * 2),
                  QByteArray(reinterpret_cast<const char*>(renamed.utf16()), renamed.size() * 2));
    const QString broken = dir.write(u"no folders.ost"_qs, bytes);
    form.pstFileBox->setText(broken);
    form.extractAllButton->click();
    EXPECT_EQ(list.count(), rows.size());
    ASSERT_EQ(desktop.dialogs.messages().size(), 1);
    EXPECT_EQ(desktop.dialogs.messages()[0].title, u"Application Error"_qs);
    EXPECT_TRUE(desktop.dialogs.messages()[0].text.contains(broken)) << desktop.dialogs.messageTexts()[0].toStdString();
}

TEST_F(MainWindowTest, RuleDialogsNeedAFieldAndCloseForGoodWithTheMainWindow)
{
    auto form = start();
    form->fromFieldBox->setChecked(false);
    form->betweenButton->click();
    form->textSetsButton->click();
    EXPECT_EQ(desktop.dialogs.messageTexts(), QStringList(2, u"You must check at least one Field option"_qs));
    EXPECT_EQ(form->findChild<gui::BetweenDialog*>(), nullptr);

    form->fromFieldBox->setChecked(true);
    form->show();
    form->betweenButton->click();
    auto* between = form->findChild<gui::BetweenDialog*>();
    ASSERT_NE(between, nullptr);
    EXPECT_TRUE(between->isVisible());
    QCloseEvent whileOpen;
    QApplication::sendEvent(between, &whileOpen);
    EXPECT_FALSE(whileOpen.isAccepted()); // only hidden, keeping its texts
    EXPECT_FALSE(between->isVisible());

    form->betweenButton->click();
    form->close();
    QCloseEvent whileClosing;
    QApplication::sendEvent(between, &whileClosing);
    EXPECT_TRUE(whileClosing.isAccepted());
    EXPECT_TRUE(form->AppClosing());
    EXPECT_TRUE(desktop.loop.ended());
    EXPECT_GE(desktop.loop.yields(), 2);
}

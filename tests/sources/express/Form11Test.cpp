#include "app/Form1.h"
#include "app/Settings.h"
#include "app/TempFolder.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "sources/express/Form11.h"
#include "support/OutlookStub.h"
#include "support/TempDir.h"

#include <QCheckBox>
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

private:
    QByteArray m_oldTemp;
};

} // namespace

TEST_F(Form11Test, ControlsCaptionsAndSharedSettings)
{
    settings->store(QStringLiteral("Text1"), QStringLiteral("typed in the main window"));
    settings->store(QStringLiteral("Check2"), QStringLiteral("0"));
    Form11 form(*context, nullptr);
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
    Form11 form(*context, nullptr);
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
    Form11 form(*context, nullptr);
    addMessage(form, QStringLiteral("a.eml"), "Hello\r\nshared line\r\n");
    addMessage(form, QStringLiteral("b.eml"), "shared line\r\nbye\r\n");
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
        Form11 form(*context, nullptr);
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

// Builds MainWindow's own controls above the command panel. The Tab key takes the fields, the panel's
// options, the folders, the source, then the rest of the panel.
#include "gui/MainWindow.h"

#include "gui/WindowLook.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gui {

void MainWindow::buildControls()
{
    fieldsFrame = named(new QGroupBox(QStringLiteral("What To Extract")), "Frame1");
    bodyFieldBox = makeCheckBox("Check18", QStringLiteral("Extract emails from 'Body' field"), false);
    fromFieldBox = makeCheckBox("Check17", QStringLiteral("Extract emails from 'From' field"), true);
    auto* fields = new QVBoxLayout(fieldsFrame);
    fields->addWidget(bodyFieldBox);
    fields->addWidget(fromFieldBox);
    fields->addStretch();

    foldersFrame = named(new QGroupBox(QStringLiteral("Where To Extract From")), "Frame4");
    inboxBox = makeCheckBox("Check16", QStringLiteral("Inbox"), true);
    outboxBox = makeCheckBox("Check15", QStringLiteral("Outbox"), true);
    draftsBox = makeCheckBox("Check4", QStringLiteral("Drafts"), false);
    sentItemsBox = makeCheckBox("Check5", QStringLiteral("Sent Items"), true);
    deletedItemsBox = makeCheckBox("Check3", QStringLiteral("Deleted Items"), true);
    auto* folders = new QGridLayout(foldersFrame);
    folders->addWidget(inboxBox, 0, 0);
    folders->addWidget(outboxBox, 0, 1);
    folders->addWidget(draftsBox, 0, 2);
    folders->addWidget(sentItemsBox, 1, 0);
    folders->addWidget(deletedItemsBox, 1, 1);

    sourceFrame = named(new QGroupBox(QStringLiteral("Source")), "Frame5");
    profileOption = named(
        new QRadioButton(QStringLiteral("Outlook 2000/2002/2003/2007/2010/etc. (Outlook but not Outlook Express)")),
        "Option3");
    pstFileOption = named(new QRadioButton(QStringLiteral("PST File:")), "Option4");
    // The two options are kept exclusive by the window, which may also leave both unselected.
    profileOption->setAutoExclusive(false);
    pstFileOption->setAutoExclusive(false);
    profileOption->setChecked(true);
    pstFileBox = makeTextBox("Text6");
    choosePstFileButton = makeButton("PushButton3", QStringLiteral("..."));
    mailboxOption = named(new QRadioButton(QStringLiteral("Mailbox:")), "MailboxOption");
    mailboxOption->setAutoExclusive(false);
    mailboxPathBox = makeTextBox("MailboxPath");
    mailboxPathBox->setPlaceholderText(QStringLiteral("Thunderbird's mail, or an mbox file or mail folder"));
    chooseMailboxButton = makeButton("ChooseMailboxButton", QStringLiteral("..."));
    profileStoresButton = makeButton("ProfileStoresButton", QStringLiteral("Profile Stores..."));
    showExpressButton = makeButton("PushButton5", QStringLiteral("Show Outlook Express Options"));
    helpButton = makeButton("PushButton1", QStringLiteral("Help"));
    auto* source = new QGridLayout(sourceFrame);
    source->addWidget(profileOption, 0, 0, 1, 3);
    source->addWidget(pstFileOption, 1, 0);
    source->addWidget(pstFileBox, 1, 1);
    source->addWidget(choosePstFileButton, 1, 2);
    source->addWidget(mailboxOption, 2, 0);
    source->addWidget(mailboxPathBox, 2, 1);
    source->addWidget(chooseMailboxButton, 2, 2);
    auto* sourceButtons = new QHBoxLayout;
    sourceButtons->addWidget(profileStoresButton);
    sourceButtons->addWidget(showExpressButton);
    sourceButtons->addWidget(helpButton);
    sourceButtons->addStretch();
    source->addLayout(sourceButtons, 3, 0, 1, 3);

    // Says what the user should do when there is nothing to read; hidden otherwise.
    statusLabel = named(new QLabel, "StatusLabel");
    statusLabel->setWordWrap(true);
    statusLabel->hide();
    m_panel->addStatusLine(statusLabel);

    auto* top = new QHBoxLayout;
    top->addWidget(fieldsFrame);
    auto* rightTop = new QVBoxLayout;
    rightTop->addWidget(foldersFrame);
    rightTop->addWidget(sourceFrame);
    top->addLayout(rightTop, 1);
    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addWidget(m_panel, 1);

    // The options are read with the fields: the Tab key takes them before the folders and the source.
    QWidget::setTabOrder(fromFieldBox, m_panel->ignoreCaseBox);
    QWidget::setTabOrder(m_panel->ignoreCaseBox, m_panel->removeDuplicatesBox);
    QWidget::setTabOrder(m_panel->removeDuplicatesBox, m_panel->showSourceBox);
    resize(1000, 720);
    addButtonAccelerators(*this);
}

} // namespace gui

#include "gui/MainWindow.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "core/Startup.h"
#include "core/TempFolder.h"
#include "core/TextFiles.h"
#include "core/TimeSlice.h"
#include "gui/ExpressWindow.h"
#include "gui/HelpTexts.h"
#include "gui/ProfileStoresDialog.h"
#include "gui/WindowLook.h"
#include "platform/Dialogs.h"
#include "core/OrderedPool.h"
#include "results/ResultsList.h"
#include "rules/UnitSource.h"
#include "sources/mailbox/MailboxStaging.h"
#include "sources/outlook/OutlookModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace gui {

namespace {

const QString kModule = QStringLiteral("Form1");
const QString kNoStoreFound = QStringLiteral(
    "No mail store was found in the Outlook profile. Choose a PST file with \"PST File:\" above, or list your PST "
    "and OST files with \"Profile Stores...\".");

} // namespace

MainWindow::MainWindow(WindowContext context)
    : m_context(std::move(context)), m_fieldAndFileSettings(m_context.settings),
      m_folderAndSourceSettings(m_context.settings), m_mailboxSettings(m_context.settings)
{
    setObjectName(QStringLiteral("Form1"));
    m_panel = new CommandPanel(
        m_context,
        {.module = kModule,
         .optionCaptions = {QStringLiteral("Turn off case sensitivity"), QStringLiteral("Remove duplicate results"),
                            QStringLiteral("Show source filename next to extracted text")},
         .units =
             [this] {
                 return std::make_unique<rules::StagingSource>(
                     [] { return core::stagingFilePath(); },
                     [this](const QString& path) { return stageSelectedSource(path); });
             },
         .fieldChosen = [this] { return fromFieldBox->isChecked() || bodyFieldBox->isChecked(); },
         .mayOpenDialog = [this] { return fieldChosen(); },
         .modalDialogs = false,
         .betweenModule = QStringLiteral("Form2"),
         .textSetsModule = QStringLiteral("Form3"),
         .appClosing = [this] { return m_appClosing; }},
        *this);
    buildControls();
    sources::outlook::ReaderServices services{m_context.outlook, *this, m_context.platform.dialogs,
                                              m_context.platform.loop, m_panel->pointer()};
    services.storeStaged = [this](int done, int stores) { showStaged(done, stores); };
    m_reader = std::make_unique<sources::outlook::OutlookReader>(services);
    m_reader->setWorkers(core::coreCount()); // a profile's stores are staged on every core
    connectControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls()
{
    m_fieldAndFileSettings.add(fromFieldBox, core::Setting::FromField);
    m_fieldAndFileSettings.add(bodyFieldBox, core::Setting::BodyField);
    m_fieldAndFileSettings.add(pstFileBox, core::Setting::PstFile);
    m_folderAndSourceSettings.add(deletedItemsBox, core::Setting::DeletedItems);
    m_folderAndSourceSettings.add(draftsBox, core::Setting::Drafts);
    m_folderAndSourceSettings.add(sentItemsBox, core::Setting::SentItems);
    m_folderAndSourceSettings.add(outboxBox, core::Setting::Outbox);
    m_folderAndSourceSettings.add(inboxBox, core::Setting::Inbox);
    for (auto [option, setting] : {std::pair{profileOption, core::Setting::ProfileSource},
                                   std::pair{pstFileOption, core::Setting::PstFileSource}}) {
        m_folderAndSourceSettings.add(setting, [this, option](bool on) {
            if (on)
                selectOption(option);
            else
                option->setChecked(false);
        });
        connect(option, &QRadioButton::clicked, this, [this, option] { selectOption(option); });
    }
    m_mailboxSettings.add(mailboxPathBox, core::Setting::MailboxPath);
    m_mailboxSettings.add(core::Setting::MailboxSource, [this](bool on) {
        if (on)
            selectOption(mailboxOption);
        else
            mailboxOption->setChecked(false);
    });
    connect(mailboxOption, &QRadioButton::clicked, this, [this] { selectOption(mailboxOption); });
    connect(mailboxPathBox, &QLineEdit::editingFinished, this, &MainWindow::showProfileStatus);
    connect(chooseMailboxButton, &QPushButton::clicked, this, &MainWindow::onChooseMailboxClicked);

    connect(helpButton, &QPushButton::clicked, this, &MainWindow::onHelpClicked);
    m_panel->keepEnabledDuringRuns(helpButton);
    connect(choosePstFileButton, &QPushButton::clicked, this, &MainWindow::onChoosePstFileClicked);
    connect(showExpressButton, &QPushButton::clicked, this, &MainWindow::onShowExpressWindowClicked);
    connect(profileStoresButton, &QPushButton::clicked, this, &MainWindow::onProfileStoresClicked);

    HoverPointers& hover = m_panel->watchPointer();
    for (QWidget* w :
         std::initializer_list<QWidget*>{fieldsFrame, foldersFrame, sourceFrame, fromFieldBox, bodyFieldBox})
        hover.addPlain(w);
}

void MainWindow::selectOption(QRadioButton* option)
{
    for (QRadioButton* each : {profileOption, pstFileOption, mailboxOption})
        each->setChecked(each == option);
    persistOptions();
    showProfileStatus();
}

void MainWindow::showProfileStatus()
{
    if (mailboxOption->isChecked()) {
        // Without a path the mailbox source is Thunderbird's mail: say what there is of it.
        const bool thunderbird = mailboxPathBox->text().trimmed().isEmpty();
        QString found;
        if (thunderbird) {
            const sources::mailbox::ChosenMailboxes chosen =
                sources::mailbox::chooseMailboxes({{}, QDir::homePath(), {}, {true, true, true, true, true}});
            found = chosen.profiles == 0
                        ? sources::mailbox::noThunderbirdMail(QDir::homePath())
                        : sources::mailbox::describeFound(chosen.profiles, int(chosen.mailboxes.size()));
        }
        statusLabel->setText(found);
        statusLabel->setVisible(thunderbird);
        return;
    }
    const bool noStore = profileOption->isChecked() && m_context.profileStores && m_context.profileStores().isEmpty();
    statusLabel->setText(noStore ? kNoStoreFound : QString());
    statusLabel->setVisible(noStore);
}

bool MainWindow::stageSelectedSource(const QString& path)
{
    const bool staged = mailboxOption->isChecked() ? stageChosenMailboxes(path) : m_reader->stageSelectedMail(path);
    m_panel->progress().setValue(0); // the rule's reading of the text starts from rest
    return staged;
}

void MainWindow::showStaged(int done, int total)
{
    m_panel->progress().setValue(int(qint64(done) * 100 / total));
}

bool MainWindow::stageChosenMailboxes(const QString& path)
{
    sources::mailbox::MailboxChoice choice;
    const QString typed = mailboxPathBox->text().trimmed();
    if (!typed.isEmpty())
        choice.paths = {typed};
    choice.home = QDir::homePath();
    choice.fields = {fromFieldBox->isChecked(), bodyFieldBox->isChecked()};
    choice.folders = {inboxBox->isChecked(), outboxBox->isChecked(), draftsBox->isChecked(), sentItemsBox->isChecked(),
                      deletedItemsBox->isChecked()};
    choice.workers = core::coreCount();
    platform::PointerControl& pointer = m_panel->pointer();
    pointer.setPointer(platform::Pointer::Hourglass);
    // A message takes far longer than a line, so the clock is read often.
    core::TimeSlice slice(m_context.platform.loop, 20, 8);
    const bool staged = sources::mailbox::stageMailboxes(
        choice, path, m_context.platform.dialogs,
        [&] {
            slice.step();
            return !m_appClosing;
        },
        [this](int done, int mailboxes) { showStaged(done, mailboxes); });
    pointer.setPointer(platform::Pointer::Default);
    return staged;
}

void MainWindow::persistOptions()
{
    core::storeSwitch(m_context.settings, core::Setting::ProfileSource, profileOption->isChecked());
    core::storeSwitch(m_context.settings, core::Setting::PstFileSource, pstFileOption->isChecked());
    core::storeSwitch(m_context.settings, core::Setting::MailboxSource, mailboxOption->isChecked());
}

void MainWindow::loadWindow()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("Form_Load"));
    trap(1, [&] { applySkinLook(); });
    trap(2, [&] { m_appClosing = false; });
    trap(3, [&] { m_panel->loadHandCursor(); });
    trap(4, [&] { core::OpenHomePageAtRandom(m_context.platform.random, m_context.platform.opener); });
    trap(5, [&] { setWindowTitle(QStringLiteral("Quillmere")); });
    trap(6,
         [&] { QCoreApplication::setApplicationName(core::applicationTitle(QLatin1String(core::kProductFullName))); });
    trap(7, [&] { results::SetInitialLayout(m_panel->results()); });
    int line = 8;
    m_panel->restoreOptions(trap, line);
    m_fieldAndFileSettings.restore(trap, line);
    m_panel->restoreRuleTexts(trap, line);
    m_folderAndSourceSettings.restore(trap, line);
    trap(24, [&] {
        if (!sources::outlook::IsOutlookAvailable(m_context.outlook)) {
            selectOption(pstFileOption);
            onShowExpressWindowClicked();
        }
    });
    // Settings newer than the Outlook check follow it.
    m_panel->restorePatternText(trap, 25);
    int mailboxLine = 26;
    m_mailboxSettings.restore(trap, mailboxLine);
    showProfileStatus();
}

void MainWindow::applySkinLook()
{
    // Skins are not supported; with the skin file present the window takes the plain button-face look.
    if (core::FileExists(QDir(m_context.programFolder).filePath(QStringLiteral("x/o.cjs"))))
        applyPlainColours(*this);
}

void MainWindow::onHelpClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton1_Click"));
    trap(1, [&] { m_context.platform.dialogs.message(outlookAccessAdvice(foldersFrame->title())); });
}

bool MainWindow::fieldChosen()
{
    if (fromFieldBox->isChecked() || bodyFieldBox->isChecked())
        return true;
    m_context.platform.dialogs.message(QStringLiteral("You must check at least one Field option"));
    return false;
}

void MainWindow::onProfileStoresClicked()
{
    ProfileStoresDialog dialog(m_context.settings, m_context.platform.dialogs, this);
    dialog.exec();
    showProfileStatus();
}

void MainWindow::onChoosePstFileClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton3_Click"));
    platform::FileDialogAnswer answer;
    trap(1, [&] {
        answer = m_context.platform.dialogs.openFile(
            {QString(), 0, QStringLiteral("Select PST File"), QStringLiteral("All PST Files (*.pst)|*.pst|")});
    });
    trap(2, [&] {
        if (!answer.fileName.isEmpty())
            pstFileBox->setText(answer.fileName);
    });
}

void MainWindow::onChooseMailboxClicked()
{
    const platform::FileDialogAnswer answer = m_context.platform.dialogs.openFile(
        {mailboxPathBox->text(), platform::kFileOrFolder, QStringLiteral("Select Mailbox File or Folder"),
         QStringLiteral("All Files (*.*)|*.*|")});
    if (answer.fileName.isEmpty())
        return;
    mailboxPathBox->setText(answer.fileName);
    selectOption(mailboxOption);
}

void MainWindow::onShowExpressWindowClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton5_Click"));
    trap(1, [&] {
        ExpressWindow window(
            m_context, m_discovery, [this] { return m_appClosing; }, this);
        window.exec();
    });
}

bool MainWindow::fromField() const
{
    return fromFieldBox->isChecked();
}

bool MainWindow::bodyField() const
{
    return bodyFieldBox->isChecked();
}

bool MainWindow::profileSource() const
{
    return profileOption->isChecked();
}

bool MainWindow::pstFileSource() const
{
    return pstFileOption->isChecked();
}

QString MainWindow::pstFile() const
{
    return pstFileBox->text();
}

std::array<sources::outlook::FolderBox, 5> MainWindow::folderBoxes() const
{
    auto box = [](const QCheckBox* c) { return sources::outlook::FolderBox{c->isChecked(), c->text()}; };
    return {box(inboxBox), box(outboxBox), box(draftsBox), box(sentItemsBox), box(deletedItemsBox)};
}

void MainWindow::onCloseRequested()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("Form_QueryUnload"));
    trap(1, [&] { m_appClosing = true; });
    trap(2, [&] { m_context.platform.loop.yieldOnce(); });
    trap(3, [&] { m_context.platform.loop.yieldOnce(); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run going on stops at its next yield, so the program ends promptly.
    m_panel->cancelRun();
    onCloseRequested();
    event->accept();
    // Unloading the main window ends the program, closing every other window with it.
    m_context.platform.loop.endProgram();
}

} // namespace gui

#include "gui/MainWindow.h"

#include "core/AppError.h"
#include "gui/HelpTexts.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "core/TempFolder.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "rules/ResultsSink.h"
#include "gui/RuleHelp.h"
#include "core/TextFiles.h"
#include "gui/WindowLook.h"
#include "platform/Dialogs.h"
#include "platform/QtPlatform.h"
#include "platform/WindowPointer.h"
#include "results/ResultsList.h"
#include "gui/ResultsView.h"
#include "gui/ExpressWindow.h"
#include "gui/ProfileStoresDialog.h"
#include "sources/outlook/OutlookModel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace gui {

namespace {

const QString kModule = QStringLiteral("Form1");
const QString kNoStoreFound = QStringLiteral(
    "No mail store was found in the Outlook profile. Choose a PST file with \"PST File:\" above, or list your PST "
    "and OST files with \"Profile Stores...\".");

} // namespace

MainWindow::MainWindow(WindowContext context) : m_context(std::move(context))
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    m_pointer = std::make_unique<platform::WindowPointer>(*this);
    m_progress = std::make_unique<platform::QtProgressBar>(*progressBar);
    m_reader = std::make_unique<sources::outlook::OutlookReader>(sources::outlook::ReaderServices{
        m_context.outlook, *this, m_context.platform.dialogs, m_context.platform.loop, *m_pointer});
    m_hits = std::make_unique<rules::ResultsSink>(*m_results, listOptions());
    connectControls();
}

MainWindow::~MainWindow() = default;

platform::PointerControl& MainWindow::pointer()
{
    return *m_pointer;
}

platform::ProgressControl& MainWindow::progress()
{
    return *m_progress;
}

void MainWindow::connectControls()
{
    persistCheck(showSourceBox, QStringLiteral("Check14"));
    persistCheck(removeDuplicatesBox, QStringLiteral("Check1"));
    persistCheck(ignoreCaseBox, QStringLiteral("Check2"));
    persistCheck(fromFieldBox, QStringLiteral("From"));
    persistCheck(bodyFieldBox, QStringLiteral("Body"));
    persistCheck(deletedItemsBox, QStringLiteral("Check3"));
    persistCheck(draftsBox, QStringLiteral("Check4"));
    persistCheck(sentItemsBox, QStringLiteral("Check5"));
    persistCheck(outboxBox, QStringLiteral("Check15"));
    persistCheck(inboxBox, QStringLiteral("Check16"));
    persistText(pstFileBox, QStringLiteral("PST File"));
    persistText(containingTextBox, QStringLiteral("Text1"));
    persistText(notContainingTextBox, QStringLiteral("Text2"));
    persistText(lineNumbersBox, QStringLiteral("Text5"));
    connect(profileOption, &QRadioButton::clicked, this, [this] { selectOption(profileOption); });
    connect(pstFileOption, &QRadioButton::clicked, this, [this] { selectOption(pstFileOption); });

    connect(helpButton, &QPushButton::clicked, this, &MainWindow::onHelpClicked);
    connect(containingButton, &QPushButton::clicked, this, &MainWindow::onExtractContainingClicked);
    connect(choosePstFileButton, &QPushButton::clicked, this, &MainWindow::onChoosePstFileClicked);
    connect(betweenButton, &QPushButton::clicked, this, &MainWindow::onBetweenClicked);
    connect(textSetsButton, &QPushButton::clicked, this, &MainWindow::onTextSetsClicked);
    connect(betweenHelpButton, &QPushButton::clicked, this, &MainWindow::onBetweenHelpClicked);
    connect(textSetsHelpButton, &QPushButton::clicked, this, &MainWindow::onTextSetsHelpClicked);
    connect(showExpressButton, &QPushButton::clicked, this, &MainWindow::onShowExpressWindowClicked);
    connect(saveTextButton, &QPushButton::clicked, this, &MainWindow::onSaveTextFileClicked);
    connect(byNumberButton, &QPushButton::clicked, this, &MainWindow::onExtractByNumberClicked);
    connect(saveWorkbookButton, &QPushButton::clicked, this, &MainWindow::onSaveWorkbookClicked);
    connect(copyResultsButton, &QPushButton::clicked, this, &MainWindow::onCopyResultsClicked);
    connect(notContainingButton, &QPushButton::clicked, this, &MainWindow::onExtractNotContainingClicked);
    connect(extractAllButton, &QPushButton::clicked, this, &MainWindow::onExtractAllClicked);
    connect(profileStoresButton, &QPushButton::clicked, this, &MainWindow::onProfileStoresClicked);
    connect(clearListButton, &QPushButton::clicked, this, &MainWindow::onClearListClicked);
    connect(byNumberHelpButton, &QPushButton::clicked, this, &MainWindow::onByNumberHelpClicked);
    connect(removeContainingButton, &QPushButton::clicked, this, &MainWindow::onRemoveContainingClicked);
    connect(removeNotContainingButton, &QPushButton::clicked, this, &MainWindow::onRemoveNotContainingClicked);
    connect(resultsView, &QTreeView::doubleClicked, this, &MainWindow::onResultDoubleClicked);

    // Hover pointers: the hand over buttons, the default over the background, frames, fields and list.
    m_hover = std::make_unique<HoverPointers>(*m_pointer);
    for (QPushButton* b : findChildren<QPushButton*>())
        m_hover->addHand(b);
    for (QWidget* w : std::initializer_list<QWidget*>{this, fieldsFrame, optionsFrame, foldersFrame, sourceFrame,
                                                      fromFieldBox, bodyFieldBox, resultsView->viewport()})
        m_hover->addPlain(w);
}

void MainWindow::persistCheck(QCheckBox* box, const QString& key)
{
    connect(box, &QCheckBox::toggled, this,
            [this, key](bool checked) { m_context.settings.store(key, core::checkText(checked)); });
}

void MainWindow::persistText(QLineEdit* edit, const QString& key)
{
    connect(edit, &QLineEdit::textChanged, this,
            [this, key](const QString& text) { m_context.settings.store(key, text); });
}

void MainWindow::selectOption(QRadioButton* option)
{
    option->setChecked(true);
    (option == profileOption ? pstFileOption : profileOption)->setChecked(false);
    persistOptions();
    showProfileStatus();
}

void MainWindow::showProfileStatus()
{
    const bool noStore = profileOption->isChecked() && m_context.profileStores && m_context.profileStores().isEmpty();
    statusLabel->setText(noStore ? kNoStoreFound : QString());
    statusLabel->setVisible(noStore);
}

void MainWindow::persistOptions()
{
    m_context.settings.store(QStringLiteral("Option3"), core::booleanText(profileOption->isChecked()));
    m_context.settings.store(QStringLiteral("Option4"), core::booleanText(pstFileOption->isChecked()));
}

void MainWindow::loadWindow()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("Form_Load"));
    trap(1, [&] { ApplySkin(); });
    trap(2, [&] { m_appClosing = false; });
    trap(3, [&] { LoadHandCursor(*m_pointer, m_context.programFolder); });
    trap(4, [&] { core::OpenHomePageAtRandom(m_context.platform.random, m_context.platform.opener); });
    trap(5, [&] { setWindowTitle(QStringLiteral("Quillmere")); });
    trap(6,
         [&] { QCoreApplication::setApplicationName(core::applicationTitle(QLatin1String(core::kProductFullName))); });
    trap(7, [&] { results::SetInitialLayout(*m_results); });
    restoreSettings(8, trap);
    trap(24, [&] {
        if (!sources::outlook::IsOutlookAvailable(m_context.outlook)) {
            selectOption(pstFileOption);
            onShowExpressWindowClicked();
        }
    });
    showProfileStatus();
}

void MainWindow::restoreSettings(int firstLine, core::Trap& trap)
{
    core::Settings& s = m_context.settings;
    auto check = [&](QCheckBox* box, const char* key, bool byDefault) {
        trap(firstLine++, [&] { restoreCheck(box, s.value(QLatin1String(key)), byDefault); });
    };
    auto truth = [&](QCheckBox* box, const char* key, bool byDefault) {
        trap(firstLine++, [&] {
            const auto stored = s.value(QLatin1String(key));
            box->setChecked(stored ? core::toTruth(*stored) : byDefault);
        });
    };
    auto text = [&](QLineEdit* edit, const char* key) {
        trap(firstLine++, [&] { edit->setText(s.value(QLatin1String(key)).value_or(QString())); });
    };
    auto option = [&](QRadioButton* button, const char* key, bool byDefault) {
        trap(firstLine++, [&] {
            const auto stored = s.value(QLatin1String(key));
            if (stored ? core::toTruth(*stored) : byDefault)
                selectOption(button);
            else
                button->setChecked(false);
        });
    };
    check(showSourceBox, "Check14", false);
    check(removeDuplicatesBox, "Check1", false);
    check(ignoreCaseBox, "Check2", true);
    truth(fromFieldBox, "From", true);
    truth(bodyFieldBox, "Body", false);
    text(pstFileBox, "PST File");
    text(containingTextBox, "Text1");
    text(notContainingTextBox, "Text2");
    text(lineNumbersBox, "Text5");
    check(deletedItemsBox, "Check3", true);
    check(draftsBox, "Check4", false);
    check(sentItemsBox, "Check5", true);
    check(outboxBox, "Check15", true);
    check(inboxBox, "Check16", true);
    option(profileOption, "Option3", true);
    option(pstFileOption, "Option4", false);
}

void MainWindow::ApplySkin()
{
    // Skins are not supported; with the skin file present the window takes the plain button-face look.
    if (core::FileExists(QDir(m_context.programFolder).filePath(QStringLiteral("x/o.cjs"))))
        ApplyPlainColours(*this);
}

void MainWindow::onHelpClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton1_Click"));
    trap(1, [&] { m_context.platform.dialogs.message(outlookAccessAdvice(foldersFrame->title())); });
}

void MainWindow::onExtractContainingClicked()
{
    rules::runOutlookCommand(*this, rules::containingCommand());
}

results::SaveContext MainWindow::saveContext()
{
    const platform::Platform& p = m_context.platform;
    return {p.dialogs, p.loop, *m_pointer, *m_progress, p.clipboard, p.opener, p.associations, kModule};
}

void MainWindow::onSaveTextFileClicked()
{
    results::SaveResultsAsTextFile(*m_results, saveContext());
}

void MainWindow::onSaveWorkbookClicked()
{
    results::SaveResultsAsExcelFile(*m_results, saveContext());
}

void MainWindow::onCopyResultsClicked()
{
    results::CopyResultsToClipboard(*m_results, saveContext());
}

void MainWindow::onExtractByNumberClicked()
{
    rules::runOutlookCommand(*this, rules::lineNumbersCommand());
}

void MainWindow::onExtractNotContainingClicked()
{
    rules::runOutlookCommand(*this, rules::notContainingCommand());
}

void MainWindow::onExtractAllClicked()
{
    rules::runOutlookCommand(*this, rules::allEmailDataCommand());
}

bool MainWindow::fieldChosen()
{
    if (fromFieldBox->isChecked() || bodyFieldBox->isChecked())
        return true;
    m_context.platform.dialogs.message(QStringLiteral("You must check at least one Field option"));
    return false;
}

gui::DialogContext MainWindow::dialogContext()
{
    return {static_cast<rules::ServedWindow&>(*this),
            std::make_unique<rules::StagedFileSource>(static_cast<rules::MailStager&>(*this)), m_context.settings,
            m_context.programFolder};
}

void MainWindow::onBetweenClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton4_Click"));
    trap(1, [&] {
        if (!fieldChosen())
            return;
        if (!m_form2)
            m_form2 = new gui::BetweenDialog(dialogContext(), this);
        m_form2->showDialog(false);
    });
}

void MainWindow::onTextSetsClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton15_Click"));
    trap(1, [&] {
        if (!fieldChosen())
            return;
        if (!m_form3)
            m_form3 = new gui::TextSetsDialog(dialogContext(), this);
        m_form3->showDialog(false);
    });
}

void MainWindow::onBetweenHelpClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton16_Click"));
    trap(1, [&] { m_context.platform.dialogs.message(gui::betweenHelp()); });
}

void MainWindow::onTextSetsHelpClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton17_Click"));
    trap(1, [&] { m_context.platform.dialogs.message(gui::textSetsHelp()); });
}

void MainWindow::onProfileStoresClicked()
{
    gui::ProfileStoresDialog dialog(m_context.settings, m_context.platform.dialogs, this);
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

void MainWindow::onShowExpressWindowClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton5_Click"));
    trap(1, [&] {
        gui::ExpressWindow window(
            m_context, m_discovery, [this] { return m_appClosing; }, this);
        window.exec();
    });
}

void MainWindow::onClearListClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton9_Click"));
    trap(1, [&] { m_results->clear(); });
}

void MainWindow::onByNumberHelpClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton10_Click"));
    trap(1, [&] { m_context.platform.dialogs.message(linesByNumberHelp()); });
}

void MainWindow::onRemoveContainingClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton19_Click"));
    trap(1, [&] {
        results::RemoveResults(*m_results, results::RemoveWhen::Containing, m_context.platform.dialogs, *m_pointer);
    });
}

void MainWindow::onRemoveNotContainingClicked()
{
    core::Trap trap(m_context.platform.dialogs, kModule, QStringLiteral("PushButton20_Click"));
    trap(1, [&] {
        results::RemoveResults(*m_results, results::RemoveWhen::NotContaining, m_context.platform.dialogs, *m_pointer);
    });
}

void MainWindow::onResultDoubleClicked()
{
    results::RemoveSelectedRow(*m_results, gui::selectedRow(*resultsView), *m_pointer);
}

bool MainWindow::removeDuplicates() const
{
    return removeDuplicatesBox->isChecked();
}

bool MainWindow::showSource() const
{
    return showSourceBox->isChecked();
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

bool MainWindow::ignoreCase() const
{
    return ignoreCaseBox->isChecked();
}

QString MainWindow::containingText() const
{
    return containingTextBox->text();
}

QString MainWindow::notContainingText() const
{
    return notContainingTextBox->text();
}

QString MainWindow::lineNumbers() const
{
    return lineNumbersBox->text();
}

QString MainWindow::stagingPath() const
{
    return core::stagingFilePath();
}

rules::HitSink& MainWindow::hits()
{
    return *m_hits;
}

bool MainWindow::stageMail(const QString& stagingPath)
{
    return m_reader->getAllEmailOutlook(stagingPath);
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
    onCloseRequested();
    event->accept();
    // Unloading the main window ends the program, closing every other window with it.
    m_context.platform.loop.endProgram();
}

} // namespace gui

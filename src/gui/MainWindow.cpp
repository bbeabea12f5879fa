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

// Check boxes restored as values 0 or 1.
void restoreCheck(QCheckBox* box, const std::optional<QString>& stored, bool byDefault)
{
    bool checked = byDefault;
    if (stored) {
        const qint16 value = core::toInteger16(*stored);
        if (value != 0 && value != 1)
            throw core::AppError(core::errors::kInvalidPropertyValue, QStringLiteral("Invalid property value"));
        checked = value == 1;
    }
    box->setChecked(checked);
}

} // namespace

MainWindow::MainWindow(WindowContext context) : m_context(std::move(context))
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    m_pointer = std::make_unique<platform::WindowPointer>(*this);
    m_progress = std::make_unique<platform::QtProgressBar>(*ProgressBar1);
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
    persistCheck(Check14, QStringLiteral("Check14"));
    persistCheck(Check1, QStringLiteral("Check1"));
    persistCheck(Check2, QStringLiteral("Check2"));
    persistCheck(Check17, QStringLiteral("From"));
    persistCheck(Check18, QStringLiteral("Body"));
    persistCheck(Check3, QStringLiteral("Check3"));
    persistCheck(Check4, QStringLiteral("Check4"));
    persistCheck(Check5, QStringLiteral("Check5"));
    persistCheck(Check15, QStringLiteral("Check15"));
    persistCheck(Check16, QStringLiteral("Check16"));
    persistText(Text6, QStringLiteral("PST File"));
    persistText(Text1, QStringLiteral("Text1"));
    persistText(Text2, QStringLiteral("Text2"));
    persistText(Text5, QStringLiteral("Text5"));
    connect(Option3, &QRadioButton::clicked, this, [this] { selectOption(Option3); });
    connect(Option4, &QRadioButton::clicked, this, [this] { selectOption(Option4); });

    connect(PushButton1, &QPushButton::clicked, this, &MainWindow::onHelpClicked);
    connect(PushButton2, &QPushButton::clicked, this, &MainWindow::onExtractContainingClicked);
    connect(PushButton3, &QPushButton::clicked, this, &MainWindow::onChoosePstFileClicked);
    connect(PushButton4, &QPushButton::clicked, this, &MainWindow::onBetweenClicked);
    connect(PushButton15, &QPushButton::clicked, this, &MainWindow::onTextSetsClicked);
    connect(PushButton16, &QPushButton::clicked, this, &MainWindow::onBetweenHelpClicked);
    connect(PushButton17, &QPushButton::clicked, this, &MainWindow::onTextSetsHelpClicked);
    connect(PushButton5, &QPushButton::clicked, this, &MainWindow::onShowExpressWindowClicked);
    connect(PushButton6, &QPushButton::clicked, this, &MainWindow::onSaveTextFileClicked);
    connect(PushButton7, &QPushButton::clicked, this, &MainWindow::onExtractByNumberClicked);
    connect(PushButton12, &QPushButton::clicked, this, &MainWindow::onSaveWorkbookClicked);
    connect(PushButton18, &QPushButton::clicked, this, &MainWindow::onCopyResultsClicked);
    connect(PushButton8, &QPushButton::clicked, this, &MainWindow::onExtractNotContainingClicked);
    connect(PushButton13, &QPushButton::clicked, this, &MainWindow::onExtractAllClicked);
    connect(ProfileStoresButton, &QPushButton::clicked, this, &MainWindow::onProfileStoresClicked);
    connect(PushButton9, &QPushButton::clicked, this, &MainWindow::onClearListClicked);
    connect(PushButton10, &QPushButton::clicked, this, &MainWindow::onByNumberHelpClicked);
    connect(PushButton19, &QPushButton::clicked, this, &MainWindow::onRemoveContainingClicked);
    connect(PushButton20, &QPushButton::clicked, this, &MainWindow::onRemoveNotContainingClicked);
    connect(ListView2, &QTreeView::doubleClicked, this, &MainWindow::onResultDoubleClicked);

    // Hover pointers: the hand over buttons, the default over the background, frames, fields and list.
    m_hover = std::make_unique<HoverPointers>(*m_pointer);
    for (QPushButton* b : findChildren<QPushButton*>())
        m_hover->addHand(b);
    for (QWidget* w :
         std::initializer_list<QWidget*>{this, Frame1, Frame2, Frame4, Frame5, Check17, Check18, ListView2->viewport()})
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
    (option == Option3 ? Option4 : Option3)->setChecked(false);
    persistOptions();
    showProfileStatus();
}

void MainWindow::showProfileStatus()
{
    const bool noStore = Option3->isChecked() && m_context.profileStores && m_context.profileStores().isEmpty();
    StatusLabel->setText(noStore ? kNoStoreFound : QString());
    StatusLabel->setVisible(noStore);
}

void MainWindow::persistOptions()
{
    m_context.settings.store(QStringLiteral("Option3"), core::booleanText(Option3->isChecked()));
    m_context.settings.store(QStringLiteral("Option4"), core::booleanText(Option4->isChecked()));
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
            selectOption(Option4);
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
    check(Check14, "Check14", false);
    check(Check1, "Check1", false);
    check(Check2, "Check2", true);
    truth(Check17, "From", true);
    truth(Check18, "Body", false);
    text(Text6, "PST File");
    text(Text1, "Text1");
    text(Text2, "Text2");
    text(Text5, "Text5");
    check(Check3, "Check3", true);
    check(Check4, "Check4", false);
    check(Check5, "Check5", true);
    check(Check15, "Check15", true);
    check(Check16, "Check16", true);
    option(Option3, "Option3", true);
    option(Option4, "Option4", false);
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
    trap(1, [&] { m_context.platform.dialogs.message(outlookAccessAdvice(Frame4->title())); });
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
    if (Check17->isChecked() || Check18->isChecked())
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
            Text6->setText(answer.fileName);
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
    results::RemoveSelectedRow(*m_results, gui::selectedRow(*ListView2), *m_pointer);
}

bool MainWindow::removeDuplicates() const
{
    return Check1->isChecked();
}

bool MainWindow::showSource() const
{
    return Check14->isChecked();
}

bool MainWindow::fromField() const
{
    return Check17->isChecked();
}

bool MainWindow::bodyField() const
{
    return Check18->isChecked();
}

bool MainWindow::profileSource() const
{
    return Option3->isChecked();
}

bool MainWindow::pstFileSource() const
{
    return Option4->isChecked();
}

QString MainWindow::pstFile() const
{
    return Text6->text();
}

std::array<sources::outlook::FolderBox, 5> MainWindow::folderBoxes() const
{
    auto box = [](const QCheckBox* c) { return sources::outlook::FolderBox{c->isChecked(), c->text()}; };
    return {box(Check16), box(Check15), box(Check4), box(Check5), box(Check3)};
}

bool MainWindow::ignoreCase() const
{
    return Check2->isChecked();
}

QString MainWindow::containingText() const
{
    return Text1->text();
}

QString MainWindow::notContainingText() const
{
    return Text2->text();
}

QString MainWindow::lineNumbers() const
{
    return Text5->text();
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

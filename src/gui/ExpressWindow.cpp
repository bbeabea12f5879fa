#include "gui/ExpressWindow.h"

#include "gui/Accelerators.h"
#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "gui/MainWindow.h"
#include "gui/HelpTexts.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
#include "core/TempFolder.h"
#include "core/TextFiles.h"
#include "gui/WindowLook.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "rules/ResultsSink.h"
#include "gui/RuleHelp.h"
#include "platform/Dialogs.h"
#include "platform/QtPlatform.h"
#include "platform/WindowPointer.h"
#include "results/ResultsList.h"
#include "gui/ResultsView.h"
#include "sources/express/MessageBody.h"
#include "sources/express/RegistrySource.h"
#include "sources/outlook/OutlookModel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>

namespace gui {

namespace {

const QString kModule = QStringLiteral("Form11");

void addTickRow(QTreeWidget* list, const QStringList& cells)
{
    auto* item = new QTreeWidgetItem(list, cells);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
}

} // namespace

ExpressWindow::ExpressWindow(gui::WindowContext& context, sources::express::StoreDiscovery& discovery,
                             std::function<bool()> appClosing, QWidget* parent)
    : QDialog(parent), m_context(context), m_discovery(discovery), m_appClosing(std::move(appClosing))
{
    setObjectName(QStringLiteral("Form11"));
    buildControls();
    m_pointer = std::make_unique<platform::WindowPointer>(*this);
    m_progress = std::make_unique<platform::QtProgressBar>(*progressBar);
    m_hits = std::make_unique<rules::ResultsSink>(*m_results, listOptions());
    connectControls();
    loadWindow();
}

ExpressWindow::~ExpressWindow() = default;

platform::PointerControl& ExpressWindow::pointer()
{
    return *m_pointer;
}

platform::ProgressControl& ExpressWindow::progress()
{
    return *m_progress;
}

platform::Dialogs& ExpressWindow::dialogs()
{
    return m_context.platform.dialogs;
}

platform::EventLoop& ExpressWindow::loop()
{
    return m_context.platform.loop;
}

void ExpressWindow::connectControls()
{
    persistCheck(showSourceBox, QStringLiteral("Check14"));
    persistCheck(removeDuplicatesBox, QStringLiteral("Check1"));
    persistCheck(ignoreCaseBox, QStringLiteral("Check2"));
    persistText(containingTextBox, QStringLiteral("Text1"));
    persistText(notContainingTextBox, QStringLiteral("Text2"));
    persistText(lineNumbersBox, QStringLiteral("Text5"));

    const std::pair<QPushButton*, void (ExpressWindow::*)()> handlers[] = {
        {addStoreFilesButton, &ExpressWindow::onAddStoreFilesClicked},
        {containingButton, &ExpressWindow::onExtractContainingClicked},
        {deselectAllStoresButton, &ExpressWindow::onDeselectAllStoresClicked},
        {selectAllStoresButton, &ExpressWindow::onSelectAllStoresClicked},
        {saveTextButton, &ExpressWindow::onSaveTextFileClicked},
        {byNumberButton, &ExpressWindow::onExtractByNumberClicked},
        {notContainingButton, &ExpressWindow::onExtractNotContainingClicked},
        {clearListButton, &ExpressWindow::onClearListClicked},
        {byNumberHelpButton, &ExpressWindow::onByNumberHelpClicked},
        {convertStoresButton, &ExpressWindow::onConvertStoresClicked},
        {saveWorkbookButton, &ExpressWindow::onSaveWorkbookClicked},
        {extractAllButton, &ExpressWindow::onExtractAllClicked},
        {copyResultsButton, &ExpressWindow::onCopyResultsClicked},
        {removeContainingButton, &ExpressWindow::onRemoveContainingClicked},
        {removeNotContainingButton, &ExpressWindow::onRemoveNotContainingClicked},
        {selectAllMessagesButton, &ExpressWindow::onSelectAllMessagesClicked},
        {deselectAllMessagesButton, &ExpressWindow::onDeselectAllMessagesClicked},
        {helpButton, &ExpressWindow::onHelpClicked},
        {betweenButton, &ExpressWindow::onBetweenClicked},
        {searchExpressButton, &ExpressWindow::onSearchExpressClicked},
        {textSetsButton, &ExpressWindow::onTextSetsClicked},
        {betweenHelpButton, &ExpressWindow::onBetweenHelpClicked},
        {textSetsHelpButton, &ExpressWindow::onTextSetsHelpClicked},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, handler);
    connect(resultsView, &QTreeView::doubleClicked, this, &ExpressWindow::onResultDoubleClicked);
    searchExpressButton->setContextMenuPolicy(Qt::ActionsContextMenu);
    searchExpressButton->setToolTip(QStringLiteral("Right-click to choose which registry is searched."));
    auto* hive = new QAction(QStringLiteral("Search a Windows Registry Hive (NTUSER.DAT)..."), searchExpressButton);
    auto* wine = new QAction(QStringLiteral("Search the Wine Prefix"), searchExpressButton);
    connect(hive, &QAction::triggered, this, &ExpressWindow::ChooseRegistryHive);
    connect(wine, &QAction::triggered, this, &ExpressWindow::UseWinePrefix);
    searchExpressButton->addActions({hive, wine});

    // The hand over buttons and the two tick lists, the default over the window, the frame and the results.
    m_hover = std::make_unique<gui::HoverPointers>(*m_pointer);
    for (QPushButton* b : findChildren<QPushButton*>())
        m_hover->addHand(b);
    m_hover->addHand(storeList->viewport());
    m_hover->addHand(messageList->viewport());
    for (QWidget* w : std::initializer_list<QWidget*>{this, optionsFrame, resultsView->viewport()})
        m_hover->addPlain(w);
}

void ExpressWindow::onSearchExpressClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton14_Click"));
    trap(1, [&] {
        m_discovery.DBXFileList.clear();
        sources::express::SearchIdentities(m_discovery, *sources::express::registryFor(m_context.settings), dialogs());
    });
    trap(2, [&] {
        for (const QString& path : std::as_const(m_discovery.DBXFileList)) {
            if (!path.trimmed().isEmpty())
                addTickRow(storeList, {path});
        }
    });
    trap(3, [&] {
        if (storeList->topLevelItemCount() > 0)
            return;
        dialogs().message(QStringLiteral("You may be have no Outlook Express installed. \r\nPlease try to use ") +
                          gui::withoutAccelerator(addStoreFilesButton->text()) + QStringLiteral(" button."));
        addStoreFilesButton->setFocus();
    });
}

void ExpressWindow::ChooseRegistryHive()
{
    const platform::FileDialogAnswer answer =
        dialogs().openFile({QString(), 0, QStringLiteral("Choose the Windows user's registry hive (NTUSER.DAT)"),
                            QStringLiteral("Registry Hives (NTUSER.DAT)|NTUSER.DAT;ntuser.dat|All Files (*.*)|*.*|")});
    if (!answer.fileName.isEmpty())
        m_context.settings.store(QLatin1String(sources::express::kRegistryHiveKey), answer.fileName);
}

void ExpressWindow::UseWinePrefix()
{
    m_context.settings.store(QLatin1String(sources::express::kRegistryHiveKey), QString());
}

gui::DialogContext ExpressWindow::dialogContext()
{
    return {static_cast<rules::ServedWindow&>(*this),
            std::make_unique<rules::TickedMessagesSource>(static_cast<rules::MessagesWindow&>(*this)),
            m_context.settings, m_context.programFolder};
}

void ExpressWindow::onBetweenClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton4_Click"));
    trap(1, [&] {
        if (!m_form22)
            m_form22 = new gui::BetweenDialog(dialogContext(), this, QStringLiteral("Form22"));
        m_form22->showDialog(true);
    });
}

void ExpressWindow::onTextSetsClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton15_Click"));
    trap(1, [&] {
        if (!m_form33)
            m_form33 = new gui::TextSetsDialog(dialogContext(), this, QStringLiteral("Form33"));
        m_form33->showDialog(true);
    });
}

void ExpressWindow::onBetweenHelpClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton16_Click"));
    trap(1, [&] { dialogs().message(gui::betweenHelp()); });
}

void ExpressWindow::onTextSetsHelpClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton17_Click"));
    trap(1, [&] { dialogs().message(gui::textSetsHelp()); });
}

void ExpressWindow::persistCheck(QCheckBox* box, const QString& key)
{
    connect(box, &QCheckBox::toggled, this,
            [this, key](bool checked) { m_context.settings.store(key, core::checkText(checked)); });
}

void ExpressWindow::persistText(QLineEdit* edit, const QString& key)
{
    connect(edit, &QLineEdit::textChanged, this,
            [this, key](const QString& text) { m_context.settings.store(key, text); });
}

void ExpressWindow::loadWindow()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("Form_Load"));
    trap(1, [&] { gui::ApplyPlainColours(*this); });
    trap(2, [&] { setWindowTitle(QStringLiteral("Quillmere")); });
    trap(3, [&] { gui::LoadHandCursor(*m_pointer, m_context.programFolder); });
    trap(4, [&] { results::SetInitialLayout(*m_results); });
    restoreSettings(trap);
}

void ExpressWindow::restoreSettings(core::Trap& trap)
{
    core::Settings& s = m_context.settings;
    int line = 5;
    auto check = [&](QCheckBox* box, const char* key, bool byDefault) {
        trap(line++, [&] { restoreCheck(box, s.value(QLatin1String(key)), byDefault); });
    };
    auto text = [&](QLineEdit* edit, const char* key) {
        trap(line++, [&] { edit->setText(s.value(QLatin1String(key)).value_or(QString())); });
    };
    check(showSourceBox, "Check14", false);
    check(removeDuplicatesBox, "Check1", false);
    check(ignoreCaseBox, "Check2", true);
    text(containingTextBox, "Text1");
    text(notContainingTextBox, "Text2");
    text(lineNumbersBox, "Text5");
}

void ExpressWindow::onAddStoreFilesClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton1_Click"));
    platform::FileDialogAnswer answer;
    trap(1, [&] {
        answer = dialogs().openFile({QString(), 0x280201,
                                     QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files"),
                                     QStringLiteral("DBX Files (*.dbx)|*.dbx|")});
    });
    if (answer.fileName.isEmpty())
        return;
    trap(2, [&] {
        const QStringList parts = answer.fileName.split(QChar(u'\0'));
        if (parts.size() == 1) {
            addTickRow(storeList, {parts.first()});
            return;
        }
        for (qsizetype i = 1; i < parts.size(); ++i)
            addTickRow(storeList, {core::NormalizePath(parts.first() + u'/' + parts[i])});
    });
}

void ExpressWindow::setAllTicks(QTreeWidget* list, bool ticked)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void ExpressWindow::onSelectAllStoresClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton5_Click"));
    trap(1, [&] { setAllTicks(storeList, true); });
}

void ExpressWindow::onDeselectAllStoresClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton3_Click"));
    trap(1, [&] { setAllTicks(storeList, false); });
}

void ExpressWindow::onSelectAllMessagesClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton21_Click"));
    trap(1, [&] { setAllTicks(messageList, true); });
}

void ExpressWindow::onDeselectAllMessagesClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton22_Click"));
    trap(1, [&] { setAllTicks(messageList, false); });
}

void ExpressWindow::onHelpClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton23_Click"));
    trap(1, [&] {
        dialogs().message(QStringLiteral("You must install Outlook that comes with MS Office in order to work with PST "
                                         "files \r\nbecause Outlook Express cannot handle PST files."));
    });
}

void ExpressWindow::onByNumberHelpClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton10_Click"));
    trap(1, [&] { dialogs().message(gui::linesByNumberHelp()); });
}

void ExpressWindow::runLineCommand(const rules::LineCommand& command)
{
    rules::runExpressCommand(*this, command);
}

void ExpressWindow::onExtractAllClicked()
{
    runLineCommand(rules::allEmailDataCommand());
}

void ExpressWindow::onExtractContainingClicked()
{
    runLineCommand(rules::containingCommand());
}

void ExpressWindow::onExtractNotContainingClicked()
{
    runLineCommand(rules::notContainingCommand());
}

void ExpressWindow::onExtractByNumberClicked()
{
    runLineCommand(rules::lineNumbersCommand());
}

results::SaveContext ExpressWindow::saveContext()
{
    const platform::Platform& p = m_context.platform;
    return {p.dialogs, p.loop, *m_pointer, *m_progress, p.clipboard, p.opener, p.associations, kModule};
}

void ExpressWindow::onSaveTextFileClicked()
{
    results::SaveResultsAsTextFile(*m_results, saveContext());
}

void ExpressWindow::onSaveWorkbookClicked()
{
    results::SaveResultsAsExcelFile(*m_results, saveContext());
}

void ExpressWindow::onCopyResultsClicked()
{
    results::CopyResultsToClipboard(*m_results, saveContext());
}

void ExpressWindow::onClearListClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton9_Click"));
    trap(1, [&] { m_results->clear(); });
}

void ExpressWindow::onRemoveContainingClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton19_Click"));
    trap(1, [&] { results::RemoveResults(*m_results, results::RemoveWhen::Containing, dialogs(), *m_pointer); });
}

void ExpressWindow::onRemoveNotContainingClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton20_Click"));
    trap(1, [&] { results::RemoveResults(*m_results, results::RemoveWhen::NotContaining, dialogs(), *m_pointer); });
}

void ExpressWindow::onResultDoubleClicked()
{
    results::RemoveSelectedRow(*m_results, gui::selectedRow(*resultsView), *m_pointer);
}

bool ExpressWindow::removeDuplicates() const
{
    return removeDuplicatesBox->isChecked();
}

bool ExpressWindow::showSource() const
{
    return showSourceBox->isChecked();
}

bool ExpressWindow::ignoreCase() const
{
    return ignoreCaseBox->isChecked();
}

QString ExpressWindow::containingText() const
{
    return containingTextBox->text();
}

QString ExpressWindow::notContainingText() const
{
    return notContainingTextBox->text();
}

QString ExpressWindow::lineNumbers() const
{
    return lineNumbersBox->text();
}

int ExpressWindow::messageCount() const
{
    return messageList->topLevelItemCount();
}

bool ExpressWindow::messageTicked(int row) const
{
    return messageList->topLevelItem(row - 1)->checkState(0) == Qt::Checked;
}

QString ExpressWindow::messagePath(int row) const
{
    return QDir(core::privateTempFolder()).filePath(m_emlFiles.value(row - 1));
}

QString ExpressWindow::loadMessageBody(const QString& path)
{
    return sources::express::LoadMessageBody(path);
}

int ExpressWindow::dbxRowCount() const
{
    return storeList->topLevelItemCount();
}

QString ExpressWindow::dbxPath(int row) const
{
    return storeList->topLevelItem(row)->text(0);
}

bool ExpressWindow::dbxTicked(int row) const
{
    return storeList->topLevelItem(row)->checkState(0) == Qt::Checked;
}

void ExpressWindow::clearMessages()
{
    messageList->clear();
    m_emlFiles.clear();
}

void ExpressWindow::appendMessages(const sources::express::MessageListing& messages)
{
    for (const sources::express::EmlMessage& m : messages) {
        addTickRow(messageList, {m.from, m.to, m.subject, m.date});
        m_emlFiles.append(m.fileName);
    }
}

QString ExpressWindow::programFolder() const
{
    return m_context.programFolder;
}

QString ExpressWindow::stagingFolder() const
{
    return core::privateTempFolder();
}

void ExpressWindow::onConvertStoresClicked()
{
    sources::express::convertTickedStores(*this);
}

void ExpressWindow::onCloseRequested()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("Form_QueryUnload"));
    trap(1, [&] { loop().yieldOnce(); });
    trap(2, [&] { loop().yieldOnce(); });
    trap(3, [&] { core::DeleteFiles(QDir(core::privateTempFolder()).filePath(QStringLiteral("*.eml"))); });
    trap(4, [&] { loop().yieldOnce(); });
    trap(5, [&] { loop().yieldOnce(); });
}

void ExpressWindow::onClosed()
{
    // Without Outlook this window is the program.
    if (!sources::outlook::IsOutlookAvailable(m_context.outlook))
        loop().endProgram();
}

void ExpressWindow::done(int result)
{
    // Every way of closing (title bar, Escape) passes here once.
    onCloseRequested();
    QDialog::done(result);
    onClosed();
}

} // namespace gui

#include "gui/ExpressWindow.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "core/TempFolder.h"
#include "core/TextFiles.h"
#include "gui/Accelerators.h"
#include "gui/WindowContext.h"
#include "gui/WindowLook.h"
#include "platform/Dialogs.h"
#include "results/ResultsList.h"
#include "sources/express/MessageBody.h"
#include "sources/express/RegistrySource.h"
#include "sources/outlook/OutlookModel.h"

#include <QAction>
#include <cmath>
#include <QDir>
#include <QPushButton>
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

ExpressWindow::ExpressWindow(WindowContext& context, sources::express::StoreDiscovery& discovery,
                             std::function<bool()> appClosing, QWidget* parent)
    : QDialog(parent), m_context(context), m_discovery(discovery), m_appClosing(std::move(appClosing))
{
    setObjectName(QStringLiteral("Form11"));
    // Its rule dialogs are modal copies of their own, reading the ticked messages.
    m_panel = new CommandPanel(
        m_context,
        {.module = kModule,
         .optionCaptions = {QStringLiteral("Turn Off Case Sensitivity"), QStringLiteral("Remove Duplicate Results"),
                            QStringLiteral("Show Source Filename Next To Extracted Text")},
         .units =
             [this] {
                 return std::make_unique<rules::MessagesSource>([this] { return tickedMessages(); },
                                                                sources::express::LoadMessageBody);
             },
         .fieldChosen = {},
         .mayOpenDialog = {},
         .modalDialogs = true,
         .betweenModule = QStringLiteral("Form22"),
         .textSetsModule = QStringLiteral("Form33"),
         .appClosing = [this] { return m_appClosing(); }},
        *this);
    buildControls();
    connectControls();
    loadWindow();
}

ExpressWindow::~ExpressWindow() = default;

platform::PointerControl& ExpressWindow::pointer()
{
    return m_panel->pointer();
}

platform::ProgressControl& ExpressWindow::progress()
{
    return m_panel->progress();
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
    const std::pair<QPushButton*, std::function<void()>> handlers[] = {
        {addStoreFilesButton, [this] { onAddStoreFilesClicked(); }},
        {searchExpressButton, [this] { onSearchExpressClicked(); }},
        {convertStoresButton, [this] { onConvertStoresClicked(); }},
        {helpButton, [this] { onHelpClicked(); }},
        {selectAllStoresButton, [this] { setAllTicks(storeList, true); }},
        {deselectAllStoresButton, [this] { setAllTicks(storeList, false); }},
        {selectAllMessagesButton, [this] { setAllTicks(messageList, true); }},
        {deselectAllMessagesButton, [this] { setAllTicks(messageList, false); }},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, handler);
    m_panel->keepEnabledDuringRuns(helpButton);
    searchExpressButton->setContextMenuPolicy(Qt::ActionsContextMenu);
    searchExpressButton->setToolTip(QStringLiteral("Right-click to choose which registry is searched."));
    auto* hive = new QAction(QStringLiteral("Search a Windows Registry Hive (NTUSER.DAT)..."), searchExpressButton);
    auto* wine = new QAction(QStringLiteral("Search the Wine Prefix"), searchExpressButton);
    connect(hive, &QAction::triggered, this, &ExpressWindow::chooseRegistryHive);
    connect(wine, &QAction::triggered, this, &ExpressWindow::useWinePrefix);
    searchExpressButton->addActions({hive, wine});

    // The hand also over the two tick lists.
    HoverPointers& hover = m_panel->watchPointer();
    hover.addHand(storeList->viewport());
    hover.addHand(messageList->viewport());
}

void ExpressWindow::onSearchExpressClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton14_Click"));
    trap(1, [&] {
        m_discovery.dbxFiles.clear();
        sources::express::searchIdentities(m_discovery, *sources::express::registryFor(m_context.settings), dialogs());
    });
    trap(2, [&] {
        for (const QString& path : std::as_const(m_discovery.dbxFiles)) {
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

void ExpressWindow::chooseRegistryHive()
{
    const platform::FileDialogAnswer answer =
        dialogs().openFile({QString(), 0, QStringLiteral("Choose the Windows user's registry hive (NTUSER.DAT)"),
                            QStringLiteral("Registry Hives (NTUSER.DAT)|NTUSER.DAT;ntuser.dat|All Files (*.*)|*.*|")});
    if (!answer.fileName.isEmpty())
        m_context.settings.store(QLatin1String(sources::express::kRegistryHiveKey), answer.fileName);
}

void ExpressWindow::useWinePrefix()
{
    m_context.settings.store(QLatin1String(sources::express::kRegistryHiveKey), QString());
}

void ExpressWindow::loadWindow()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("Form_Load"));
    trap(1, [&] { applyPlainColours(*this); });
    trap(2, [&] { setWindowTitle(QStringLiteral("Quillmere")); });
    trap(3, [&] { m_panel->loadHandCursor(); });
    trap(4, [&] { results::SetInitialLayout(m_panel->results()); });
    int line = 5;
    m_panel->restoreOptions(trap, line);
    m_panel->restoreRuleTexts(trap, line);
    m_panel->restorePatternText(trap, line);
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
    // Select All and Deselect All of the two lists, as error reports name them.
    const char* procedure = list == storeList ? (ticked ? "PushButton5_Click" : "PushButton3_Click")
                                              : (ticked ? "PushButton21_Click" : "PushButton22_Click");
    core::Trap trap(dialogs(), kModule, QLatin1String(procedure));
    trap(1, [&] {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    });
}

void ExpressWindow::onHelpClicked()
{
    core::Trap trap(dialogs(), kModule, QStringLiteral("PushButton23_Click"));
    trap(1, [&] {
        dialogs().message(QStringLiteral("PST and OST files are read in the main window: choose one with \"PST File:\" "
                                         "there, \r\nor list your stores with \"Profile Stores...\"."));
    });
}

QList<rules::MessageFile> ExpressWindow::tickedMessages() const
{
    QList<rules::MessageFile> ticked;
    const int rows = messageList->topLevelItemCount();
    for (int row = 0; row < rows; ++row) {
        if (messageList->topLevelItem(row)->checkState(0) == Qt::Checked)
            ticked.append({QDir(core::privateTempFolder()).filePath(m_messageFiles.value(row)),
                           int(std::nearbyint(double(row + 1) / rows * 100))});
    }
    return ticked;
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
    m_messageFiles.clear();
}

void ExpressWindow::appendMessages(const sources::express::MessageListing& messages)
{
    for (const sources::express::EmlMessage& m : messages) {
        addTickRow(messageList, {m.from, m.to, m.subject, m.date});
        m_messageFiles.append(m.fileName);
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
    m_panel->runExclusive(QStringLiteral("Cancelled. The messages listed so far are kept."),
                          [this] { sources::express::convertTickedStores(*this); });
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
    // Every way of closing (title bar, Escape) passes here once; a run going on stops at its next yield.
    m_panel->cancelRun();
    onCloseRequested();
    QDialog::done(result);
    onClosed();
}

} // namespace gui

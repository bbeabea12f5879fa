#pragma once

#include "core/OrderedPool.h"
#include "gui/CommandPanel.h"
#include "rules/UnitSource.h"
#include "sources/express/StoreDiscovery.h"
#include "sources/express/ExpressConversion.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QPushButton;
class QTreeWidget;

namespace gui {

struct WindowContext;

// The window for Outlook Express stores: the DBX list and the message list of the converted stores above the
// command panel, whose commands run over the ticked messages. Shown modally over the main window.
class ExpressWindow : public QDialog, private sources::express::ExpressConversionWindow
{
    Q_OBJECT
public:
    // The discovery outlives the window, as its last successful search counts for the whole run; the rule
    // dialogs close for good once the main window is closing.
    ExpressWindow(WindowContext& context, sources::express::StoreDiscovery& discovery, std::function<bool()> appClosing,
                  QWidget* parent);
    ~ExpressWindow() override;

    void loadWindow();
    void onCloseRequested();
    void onClosed();
    CommandPanel& panel() { return *m_panel; }
    // The file names behind the rows of messageList, in step with them.
    QStringList& messageFiles() { return m_messageFiles; }
    // How many converters run at once: one per core unless set.
    void setConversionWorkers(int workers) { m_conversionWorkers = workers; }

    void onAddStoreFilesClicked();
    void onSearchExpressClicked();
    void onConvertStoresClicked();
    void onHelpClicked();
    // The registry the search reads: a Windows user hive, or the Wine prefix.
    void chooseRegistryHive();
    void useWinePrefix();

protected:
    void done(int result) override;

private:
    void buildControls();
    void connectControls();
    void setAllTicks(QTreeWidget* list, bool ticked);

    platform::PointerControl& pointer() override;
    platform::ProgressControl& progress() override;
    platform::Dialogs& dialogs() override;
    platform::EventLoop& loop() override;
    // The ticked messages in list order, each with its row's share of the list.
    QList<rules::MessageFile> tickedMessages() const;
    int dbxRowCount() const override;
    QString dbxPath(int row) const override;
    bool dbxTicked(int row) const override;
    void clearMessages() override;
    void appendMessages(const sources::express::MessageListing& messages) override;
    QString programFolder() const override;
    QString stagingFolder() const override;
    int conversionWorkers() const override { return m_conversionWorkers; }

    WindowContext& m_context;
    sources::express::StoreDiscovery& m_discovery;
    std::function<bool()> m_appClosing;
    CommandPanel* m_panel = nullptr;
    QStringList m_messageFiles;
    int m_conversionWorkers = core::coreCount();

public:
    // Controls, by the names the commands use.
    QPushButton* searchExpressButton = nullptr;
    QPushButton* addStoreFilesButton = nullptr;
    QTreeWidget* storeList = nullptr;
    QPushButton* selectAllStoresButton = nullptr;
    QPushButton* deselectAllStoresButton = nullptr;
    QPushButton* convertStoresButton = nullptr;
    QTreeWidget* messageList = nullptr;
    QPushButton* selectAllMessagesButton = nullptr;
    QPushButton* deselectAllMessagesButton = nullptr;
    QPushButton* helpButton = nullptr;
};

} // namespace gui

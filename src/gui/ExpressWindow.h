#pragma once

#include "gui/CommandControls.h"
#include "rules/ExpressExtraction.h"
#include "gui/RuleDialog.h"
#include "sources/express/Express1.h"
#include "sources/express/ExpressConversion.h"
#include "results/ResultsCommands.h"
#include "results/SaveCommands.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace gui {
struct WindowContext;
class HoverPointers;
class BetweenDialog;
class TextSetsDialog;
} // namespace gui
namespace platform {
class QtProgressBar;
class WindowPointer;
} // namespace platform

namespace gui {

// The window for Outlook Express stores: the DBX list, the message list of the converted stores, and the same
// rule and result commands as the main window, run over the ticked messages. Shown modally over the main
// window.
class ExpressWindow : public QDialog,
                      public gui::CommandControls,
                      private results::ListOptions,
                      private rules::MessagesWindow,
                      private rules::ServedWindow,
                      private sources::express::ExpressConversionWindow
{
    Q_OBJECT
public:
    // The discovery outlives the window, as its last successful search counts for the whole run; the rule
    // dialogs close for good once the main window is closing.
    ExpressWindow(gui::WindowContext& context, sources::express::StoreDiscovery& discovery,
                  std::function<bool()> appClosing, QWidget* parent);
    ~ExpressWindow() override;

    void loadWindow();
    void onCloseRequested();
    void onClosed();
    results::ResultsList& results() { return *m_results; }
    platform::PointerControl& pointer() override;
    // The file names behind the rows of messageList, in step with them.
    QStringList& mColEMLFiles() { return m_emlFiles; }

    void onAddStoreFilesClicked();
    void onExtractContainingClicked();
    void onDeselectAllStoresClicked();
    void onBetweenClicked();
    void onSelectAllStoresClicked();
    void onSaveTextFileClicked();
    void onExtractByNumberClicked();
    void onExtractNotContainingClicked();
    void onClearListClicked();
    void onByNumberHelpClicked();
    void onConvertStoresClicked();
    void onSaveWorkbookClicked();
    void onExtractAllClicked();
    void onSearchExpressClicked();
    void onTextSetsClicked();
    void onBetweenHelpClicked();
    void onTextSetsHelpClicked();
    // The registry the search reads: a Windows user hive, or the Wine prefix.
    void ChooseRegistryHive();
    void UseWinePrefix();
    void onCopyResultsClicked();
    void onRemoveContainingClicked();
    void onRemoveNotContainingClicked();
    void onSelectAllMessagesClicked();
    void onDeselectAllMessagesClicked();
    void onHelpClicked();
    void onResultDoubleClicked();

protected:
    void done(int result) override;

private:
    void buildControls();
    void connectControls();
    void persistCheck(QCheckBox* box, const QString& key);
    void persistText(QLineEdit* edit, const QString& key);
    void restoreSettings(class core::Trap& trap);
    void setAllTicks(QTreeWidget* list, bool ticked);
    void runLineCommand(const rules::LineCommand& command);
    results::SaveContext saveContext();

    // The options as the list and the line commands read them.
    bool removeDuplicates() const override;
    bool showSource() const override;
    bool ignoreCase() const override;
    QString containingText() const override;
    QString notContainingText() const override;
    QString lineNumbers() const override;
    results::ResultsList& resultsList() override { return *m_results; }
    const results::ListOptions& listOptions() const override { return *this; }
    rules::HitSink& hits() override { return *m_hits; }
    platform::ProgressControl& progress() override;
    platform::Dialogs& dialogs() override;
    platform::EventLoop& loop() override;
    int messageCount() const override;
    bool messageTicked(int row) const override;
    QString messagePath(int row) const override;
    QString loadMessageBody(const QString& path) override;
    int dbxRowCount() const override;
    QString dbxPath(int row) const override;
    bool dbxTicked(int row) const override;
    void clearMessages() override;
    void appendMessages(const sources::express::MessageListing& messages) override;
    QString programFolder() const override;
    QString stagingFolder() const override;
    bool AppClosing() const override { return m_appClosing(); }
    gui::DialogContext dialogContext();

    gui::WindowContext& m_context;
    std::unique_ptr<platform::WindowPointer> m_pointer;
    std::unique_ptr<platform::QtProgressBar> m_progress;
    std::unique_ptr<rules::HitSink> m_hits;
    std::unique_ptr<gui::HoverPointers> m_hover;
    results::ResultsList* m_results = nullptr;
    QStringList m_emlFiles;
    sources::express::StoreDiscovery& m_discovery;
    std::function<bool()> m_appClosing;
    gui::BetweenDialog* m_form22 = nullptr;
    gui::TextSetsDialog* m_form33 = nullptr;

public:
    // Controls, by the names the commands and settings use.
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

#pragma once

#include "gui/CommandControls.h"
#include "core/ErrorReport.h"
#include "rules/OutlookExtraction.h"
#include "gui/RuleDialog.h"
#include "platform/Desktop.h"
#include "results/ResultsCommands.h"
#include "results/SaveCommands.h"
#include "sources/express/Express1.h"
#include "sources/outlook/OutlookReader.h"

#include <QWidget>
#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace results {
class ResultsList;
}
namespace platform {
class WindowPointer;
class QtProgressBar;
} // namespace platform

namespace core {
class Settings;
}

namespace gui {

class BetweenDialog;
class TextSetsDialog;

// What the windows are built with; main() passes the real desktop, tests a scripted one.
struct WindowContext
{
    platform::Platform platform;
    core::Settings& settings;
    sources::outlook::ApplicationFactory& outlook;
    QString programFolder;
    // The stores the profile would read, for telling the user when there are none; unset, nothing is told.
    std::function<QStringList()> profileStores = {};
};

// The main window, for Microsoft Outlook as the mail source.
class MainWindow : public QWidget,
                   public CommandControls,
                   private results::ListOptions,
                   private sources::outlook::ReaderOptions,
                   private rules::StagingWindow,
                   private rules::ServedWindow
{
    Q_OBJECT
public:
    explicit MainWindow(WindowContext context);
    ~MainWindow() override;

    void loadWindow();
    bool AppClosing() const override { return m_appClosing; }
    results::ResultsList& results() { return *m_results; }
    platform::PointerControl& pointer() override;

    void onHelpClicked();
    void onExtractContainingClicked();
    void onChoosePstFileClicked();
    void onBetweenClicked();
    void onShowExpressWindowClicked();
    void onSaveTextFileClicked();
    void onExtractByNumberClicked();
    void onExtractNotContainingClicked();
    void onClearListClicked();
    void onByNumberHelpClicked();
    void onSaveWorkbookClicked();
    void onExtractAllClicked();
    void onTextSetsClicked();
    void onBetweenHelpClicked();
    void onTextSetsHelpClicked();
    void onCopyResultsClicked();
    void onRemoveContainingClicked();
    void onRemoveNotContainingClicked();
    void onResultDoubleClicked();
    void onProfileStoresClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void persistCheck(QCheckBox* box, const QString& key);
    void persistText(QLineEdit* edit, const QString& key);
    void persistOptions();
    void selectOption(QRadioButton* option);
    void showProfileStatus();
    void restoreSettings(int firstLine, core::Trap& trap);
    void onCloseRequested();
    void ApplySkin();
    results::SaveContext saveContext();
    bool fieldChosen();
    gui::DialogContext dialogContext();
    // The options as the list, the Outlook reader and the extraction commands read them.
    bool removeDuplicates() const override;
    bool showSource() const override;
    bool fromField() const override;
    bool bodyField() const override;
    bool profileSource() const override;
    bool pstFileSource() const override;
    QString pstFile() const override;
    std::array<sources::outlook::FolderBox, 5> folderBoxes() const override;
    bool fromFieldChecked() const override { return fromField(); }
    bool bodyFieldChecked() const override { return bodyField(); }
    bool ignoreCase() const override;
    QString containingText() const override;
    QString notContainingText() const override;
    QString lineNumbers() const override;
    QString stagingPath() const override;
    bool stageMail(const QString& stagingPath) override;
    rules::HitSink& hits() override;
    results::ResultsList& resultsList() override { return *m_results; }
    const results::ListOptions& listOptions() const override { return *this; }
    platform::ProgressControl& progress() override;
    platform::Dialogs& dialogs() override { return m_context.platform.dialogs; }
    platform::EventLoop& loop() override { return m_context.platform.loop; }

    WindowContext m_context;
    bool m_appClosing = false;
    std::unique_ptr<platform::WindowPointer> m_pointer;
    std::unique_ptr<platform::QtProgressBar> m_progress;
    std::unique_ptr<sources::outlook::OutlookReader> m_reader;
    std::unique_ptr<rules::HitSink> m_hits;
    std::unique_ptr<class HoverPointers> m_hover;
    sources::express::StoreDiscovery m_discovery;
    gui::BetweenDialog* m_form2 = nullptr;
    gui::TextSetsDialog* m_form3 = nullptr;
    results::ResultsList* m_results = nullptr;

public:
    // Controls, by the names the commands and settings use.
    QGroupBox* fieldsFrame = nullptr;
    QCheckBox* bodyFieldBox = nullptr;
    QCheckBox* fromFieldBox = nullptr;
    QGroupBox* foldersFrame = nullptr;
    QCheckBox* inboxBox = nullptr;
    QCheckBox* outboxBox = nullptr;
    QCheckBox* draftsBox = nullptr;
    QCheckBox* sentItemsBox = nullptr;
    QCheckBox* deletedItemsBox = nullptr;
    QGroupBox* sourceFrame = nullptr;
    QRadioButton* profileOption = nullptr;
    QRadioButton* pstFileOption = nullptr;
    QLineEdit* pstFileBox = nullptr;
    QPushButton* choosePstFileButton = nullptr;
    QPushButton* showExpressButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* profileStoresButton = nullptr;
    QLabel* statusLabel = nullptr;
};

} // namespace gui

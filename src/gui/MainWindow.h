#pragma once

#include "gui/CommandPanel.h"
#include "gui/SettingControls.h"
#include "gui/WindowContext.h"
#include "sources/express/StoreDiscovery.h"
#include "sources/outlook/OutlookReader.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace gui {

// The main window, for Microsoft Outlook as the mail source: the fields, folders and source to read, above
// the command panel.
class MainWindow : public QWidget, private sources::outlook::ReaderOptions
{
    Q_OBJECT
public:
    explicit MainWindow(WindowContext context);
    ~MainWindow() override;

    void loadWindow();
    CommandPanel& panel() { return *m_panel; }
    bool appClosing() const { return m_appClosing; }

    void onHelpClicked();
    void onChoosePstFileClicked();
    void onShowExpressWindowClicked();
    void onProfileStoresClicked();
    void onChooseMailboxClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void persistOptions();
    void selectOption(QRadioButton* option);
    void showProfileStatus();
    bool stageSelectedSource(const QString& path);
    bool stageChosenMailboxes(const QString& path);
    // The progress bar while a source is staged: one step per store or mailbox.
    void showStaged(int done, int total);
    void onCloseRequested();
    void applySkinLook();
    bool fieldChosen();
    // The options as the Outlook reader and the extraction commands read them.
    bool fromField() const override;
    bool bodyField() const override;
    bool profileSource() const override;
    bool pstFileSource() const override;
    QString pstFile() const override;
    std::array<sources::outlook::FolderBox, 5> folderBoxes() const override;

    WindowContext m_context;
    bool m_appClosing = false;
    CommandPanel* m_panel = nullptr;
    std::unique_ptr<sources::outlook::OutlookReader> m_reader;
    sources::express::StoreDiscovery m_discovery;
    // The load restores the panel's options, these, the panel's rule texts, then the folders and the source.
    SettingControls m_fieldAndFileSettings;
    SettingControls m_folderAndSourceSettings;
    SettingControls m_mailboxSettings;

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
    QRadioButton* mailboxOption = nullptr;
    QLineEdit* mailboxPathBox = nullptr;
    QPushButton* chooseMailboxButton = nullptr;
    QPushButton* showExpressButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* profileStoresButton = nullptr;
    QLabel* statusLabel = nullptr;
};

} // namespace gui

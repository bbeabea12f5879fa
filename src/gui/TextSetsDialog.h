#pragma once

#include "gui/RuleDialog.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace gui {

// "Extract Lines Containing These Text Sets". The main window's copy reads the staging file, the Outlook
// Express window's copy the ticked messages; module names the copy in error reports ("Form3" or "Form33").
// Both keep the list under the same setting.
class TextSetsDialog : public RuleDialog
{
    Q_OBJECT
public:
    TextSetsDialog(DialogContext context, QWidget* parent, const QString& module = QStringLiteral("Form3"));

    void loadWindow() override;
    void onRemoveItemClicked();
    void onAddItemClicked();
    void onLoadItemsClicked();
    void onStartClicked();
    void onClearItemsClicked();
    void onHelpClicked();

    QGroupBox* itemsFrame = nullptr;
    QComboBox* itemsBox = nullptr;
    QPushButton* addItemButton = nullptr;
    QPushButton* removeItemButton = nullptr;
    QPushButton* clearItemsButton = nullptr;
    QPushButton* loadItemsButton = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* helpButton = nullptr;

private:
    void buildControls();
    void storeList();
    void loadFile(const QString& path);
    QStringList items() const;
};

} // namespace gui

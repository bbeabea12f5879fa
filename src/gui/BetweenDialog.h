#pragma once

#include "gui/RuleDialog.h"
#include "gui/SettingControls.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace gui {

// "Extract Between X and Y (Repeatedly)". The main window's copy reads the staging file, the Outlook Express
// window's copy the ticked messages; module names the copy in error reports ("Form2" or "Form22").
class BetweenDialog : public RuleDialog
{
    Q_OBJECT
public:
    BetweenDialog(DialogContext context, QWidget* parent, const QString& module = QStringLiteral("Form2"));

    void loadWindow() override;
    void onStartClicked();
    void onHelpClicked();
    void onCloseClicked();

    QGroupBox* startFrame = nullptr;
    QLineEdit* startTextBox = nullptr;
    QGroupBox* endFrame = nullptr;
    QLineEdit* endTextBox = nullptr;
    QGroupBox* includeFrame = nullptr;
    QCheckBox* includeStartBox = nullptr;
    QCheckBox* includeEndBox = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* closeButton = nullptr;

private:
    void buildControls();

    SettingControls m_stored;
};

} // namespace gui

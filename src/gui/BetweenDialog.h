#pragma once

#include "rules/RuleCommands.h"
#include "gui/RuleDialog.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace gui {

// "Extract Between X and Y (Repeatedly)". The main window's copy reads the staging file, the Outlook Express
// window's copy the ticked messages; module names the copy in error reports ("Form2" or "Form22").
class BetweenDialog : public RuleDialog, private rules::BetweenInputs
{
    Q_OBJECT
public:
    BetweenDialog(DialogContext context, QWidget* parent, const QString& module = QStringLiteral("Form2"));

    void loadWindow() override;
    void onStartClicked();
    void onHelpClicked();
    void onCloseClicked();

    QGroupBox* Frame2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton1 = nullptr;

private:
    void buildControls();
    QString startText() const override;
    QString endText() const override;
    bool includeStart() const override;
    bool includeEnd() const override;
    platform::PointerControl& pointer() override { return dialogPointer(); }
};

} // namespace gui

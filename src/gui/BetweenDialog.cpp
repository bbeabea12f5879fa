#include "gui/BetweenDialog.h"

#include "gui/CommandPanel.h"
#include "core/ErrorReport.h"
#include "gui/WindowLook.h"
#include "gui/RuleHelp.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

BetweenDialog::BetweenDialog(DialogContext context, QWidget* parent, const QString& module)
    : RuleDialog(std::move(context), module, parent), m_stored(m_context.settings)
{
    buildControls();
    m_stored.add(startTextBox, core::Setting::BetweenStart);
    m_stored.add(endTextBox, core::Setting::BetweenEnd);
    m_stored.add(includeStartBox, core::Setting::IncludeStart);
    m_stored.add(includeEndBox, core::Setting::IncludeEnd);
    connect(startButton, &QPushButton::clicked, this, &BetweenDialog::onStartClicked);
    connect(helpButton, &QPushButton::clicked, this, &BetweenDialog::onHelpClicked);
    connect(closeButton, &QPushButton::clicked, this, &BetweenDialog::onCloseClicked);
    m_context.panel.keepEnabledDuringRuns(helpButton);
    m_context.panel.keepEnabledDuringRuns(closeButton);
    watchPointer({endFrame, startFrame, includeFrame});
}

void BetweenDialog::buildControls()
{
    setWindowTitle(QStringLiteral("Extract Between X and Y (Repeatedly)"));
    startFrame = named(new QGroupBox(QStringLiteral("Start with (X)")), "Frame2");
    startTextBox = named(new QLineEdit, "Text1");
    (new QVBoxLayout(startFrame))->addWidget(startTextBox);
    endFrame = named(new QGroupBox(QStringLiteral("End with (Y)")), "Frame1");
    endTextBox = named(new QLineEdit, "Text2");
    (new QVBoxLayout(endFrame))->addWidget(endTextBox);
    includeFrame = named(new QGroupBox(QStringLiteral("Include Option")), "Frame3");
    includeStartBox = named(new QCheckBox(QStringLiteral("Include (X) text in Results")), "Check1");
    includeEndBox = named(new QCheckBox(QStringLiteral("Include (Y) text in Results")), "Check2");
    includeStartBox->setChecked(true);
    includeEndBox->setChecked(true);
    auto* include = new QVBoxLayout(includeFrame);
    include->addWidget(includeStartBox);
    include->addWidget(includeEndBox);
    startButton = named(new QPushButton(QStringLiteral("Start Extracting")), "PushButton4");
    helpButton = named(new QPushButton(QStringLiteral("Help")), "PushButton11");
    closeButton = named(new QPushButton(QStringLiteral("Close This Window")), "PushButton1");
    startButton->setAutoDefault(false);
    helpButton->setAutoDefault(false);
    closeButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(startFrame);
    layout->addWidget(endFrame);
    layout->addWidget(includeFrame);
    layout->addLayout(buttons);
    gui::addButtonAccelerators(*this);
}

void BetweenDialog::loadWindow()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("Form_Load"));
    applyLook(trap, 1);
    int line = 3;
    m_stored.restore(trap, line);
}

void BetweenDialog::onStartClicked()
{
    rules::RunRequest request;
    request.rule = rules::RuleKind::Between;
    request.startText = startTextBox->text();
    request.endText = endTextBox->text();
    request.includeStart = includeStartBox->isChecked();
    request.includeEnd = includeEndBox->isChecked();
    request.module = m_module;
    runRule(request);
}

void BetweenDialog::onHelpClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton11_Click"));
    trap(1, [&] { m_context.panel.dialogs().message(betweenHelp()); });
}

void BetweenDialog::onCloseClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton1_Click"));
    trap(1, [&] { close(); });
}

} // namespace gui

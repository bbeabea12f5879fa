#include "gui/BetweenDialog.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "core/SettingValues.h"
#include "core/Settings.h"
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
    : RuleDialog(std::move(context), module, parent)
{
    buildControls();
    core::Settings& settings = m_context.settings;
    connect(Text1, &QLineEdit::textChanged, this,
            [&settings](const QString& text) { settings.store(QStringLiteral("StartWith"), text); });
    connect(Text2, &QLineEdit::textChanged, this,
            [&settings](const QString& text) { settings.store(QStringLiteral("EndWith"), text); });
    connect(Check1, &QCheckBox::toggled, this,
            [&settings](bool on) { settings.store(QStringLiteral("Check21"), core::checkText(on)); });
    connect(Check2, &QCheckBox::toggled, this,
            [&settings](bool on) { settings.store(QStringLiteral("Check22"), core::checkText(on)); });
    connect(PushButton4, &QPushButton::clicked, this, &BetweenDialog::onStartClicked);
    connect(PushButton11, &QPushButton::clicked, this, &BetweenDialog::onHelpClicked);
    connect(PushButton1, &QPushButton::clicked, this, &BetweenDialog::onCloseClicked);
    watchPointer({Frame1, Frame2, Frame3});
}

void BetweenDialog::buildControls()
{
    setWindowTitle(QStringLiteral("Extract Between X and Y (Repeatedly)"));
    Frame2 = named(new QGroupBox(QStringLiteral("Start with (X)")), "Frame2");
    Text1 = named(new QLineEdit, "Text1");
    (new QVBoxLayout(Frame2))->addWidget(Text1);
    Frame1 = named(new QGroupBox(QStringLiteral("End with (Y)")), "Frame1");
    Text2 = named(new QLineEdit, "Text2");
    (new QVBoxLayout(Frame1))->addWidget(Text2);
    Frame3 = named(new QGroupBox(QStringLiteral("Include Option")), "Frame3");
    Check1 = named(new QCheckBox(QStringLiteral("Include (X) text in Results")), "Check1");
    Check2 = named(new QCheckBox(QStringLiteral("Include (Y) text in Results")), "Check2");
    Check1->setChecked(true);
    Check2->setChecked(true);
    auto* include = new QVBoxLayout(Frame3);
    include->addWidget(Check1);
    include->addWidget(Check2);
    PushButton4 = named(new QPushButton(QStringLiteral("Start Extracting")), "PushButton4");
    PushButton11 = named(new QPushButton(QStringLiteral("Help")), "PushButton11");
    PushButton1 = named(new QPushButton(QStringLiteral("Close This Window")), "PushButton1");
    PushButton4->setAutoDefault(false);
    PushButton11->setAutoDefault(false);
    PushButton1->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PushButton4);
    buttons->addWidget(PushButton11);
    buttons->addWidget(PushButton1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addLayout(buttons);
    gui::AddButtonAccelerators(*this);
}

void BetweenDialog::loadWindow()
{
    core::Trap trap(m_context.window.dialogs(), m_module, QStringLiteral("Form_Load"));
    applyLook(trap, 1);
    const core::Settings& s = m_context.settings;
    trap(3, [&] { Text1->setText(s.value(QStringLiteral("StartWith")).value_or(QString())); });
    trap(4, [&] { Text2->setText(s.value(QStringLiteral("EndWith")).value_or(QString())); });
    trap(5, [&] { restoreCheck(Check1, s.value(QStringLiteral("Check21")), true); });
    trap(6, [&] { restoreCheck(Check2, s.value(QStringLiteral("Check22")), true); });
}

void BetweenDialog::onStartClicked()
{
    rules::StartBetween(m_module, *this, m_context.window, *m_context.units);
}

void BetweenDialog::onHelpClicked()
{
    core::Trap trap(m_context.window.dialogs(), m_module, QStringLiteral("PushButton11_Click"));
    trap(1, [&] { m_context.window.dialogs().message(betweenHelp()); });
}

void BetweenDialog::onCloseClicked()
{
    core::Trap trap(m_context.window.dialogs(), m_module, QStringLiteral("PushButton1_Click"));
    trap(1, [&] { close(); });
}

QString BetweenDialog::startText() const
{
    return Text1->text();
}

QString BetweenDialog::endText() const
{
    return Text2->text();
}

bool BetweenDialog::includeStart() const
{
    return Check1->isChecked();
}

bool BetweenDialog::includeEnd() const
{
    return Check2->isChecked();
}

} // namespace gui

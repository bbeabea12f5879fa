#include "gui/RuleDialog.h"

#include "gui/CommandPanel.h"
#include "core/ErrorReport.h"
#include "gui/WindowLook.h"
#include "platform/WindowPointer.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScopeGuard>

namespace gui {

RuleDialog::RuleDialog(DialogContext context, QString module, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)), m_module(std::move(module)),
      m_pointer(std::make_unique<platform::WindowPointer>(*this))
{
    setObjectName(m_module);
    m_context.panel.addRuleDialog(this);
}

RuleDialog::~RuleDialog() = default;

platform::PointerControl& RuleDialog::dialogPointer()
{
    return *m_pointer;
}

void RuleDialog::showDialog(bool modal)
{
    if (!m_loaded) {
        m_loaded = true;
        loadWindow();
    }
    if (modal) {
        exec();
        return;
    }
    show();
    raise();
    activateWindow();
}

void RuleDialog::runRule(const rules::RunRequest& request)
{
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });
    m_context.panel.run(request, *m_context.units, dialogPointer());
}

void RuleDialog::applyLook(core::Trap& trap, int line)
{
    trap(line, [&] { gui::applyPlainColours(*this); });
    trap(line + 1, [&] { gui::loadHandCursorFile(*m_pointer, m_context.programFolder); });
}

void RuleDialog::watchPointer(const QList<QWidget*>& frames)
{
    m_hover = std::make_unique<gui::HoverPointers>(*m_pointer);
    for (QPushButton* b : findChildren<QPushButton*>())
        m_hover->addHand(b);
    m_hover->addPlain(this);
    for (QWidget* w : frames)
        m_hover->addPlain(w);
}

void RuleDialog::onCloseRequested(bool& cancel)
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("Form_QueryUnload"));
    trap(1, [&] {
        if (!m_context.panel.appClosing()) {
            cancel = true;
            hide();
        }
    });
}

void RuleDialog::closeEvent(QCloseEvent* event)
{
    // Closing a dialog during its own run cancels the run.
    if (m_running)
        m_context.panel.cancelRun();
    bool cancel = false;
    onCloseRequested(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    // Really closing: the next opening loads the dialog afresh.
    m_loaded = false;
    event->accept();
}

} // namespace gui

#include "extract/RuleDialog.h"

#include "app/ErrorReport.h"
#include "app/TextFiles.h"
#include "platform/WindowPointer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace extract {

void ApplyPlainColours(QWidget& window)
{
    const QColor face = window.palette().color(QPalette::Button);
    QList<QWidget*> widgets{&window};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w) ||
            qobject_cast<QGroupBox*>(w))
            widgets.append(w);
    }
    for (QWidget* w : widgets) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, face);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

RuleDialog::RuleDialog(DialogContext context, QString module, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)), m_module(std::move(module)),
      m_pointer(std::make_unique<platform::WindowPointer>(*this))
{
    setObjectName(m_module);
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
        Form_Load();
    }
    if (modal) {
        exec();
        return;
    }
    show();
    raise();
    activateWindow();
}

void RuleDialog::applyLook(app::Trap& trap, int line)
{
    trap(line, [&] { ApplyPlainColours(*this); });
    trap(line + 1, [&] {
        const QString cursorFile = QDir(m_context.programFolder).filePath(QStringLiteral("HAND-M.CUR"));
        if (app::FileExists(cursorFile)) {
            if (const auto cursor = platform::loadCursorFile(cursorFile))
                m_pointer->setCustomCursor(*cursor);
        }
    });
}

void RuleDialog::watchPointer(const QList<QWidget*>& frames)
{
    QList<QWidget*> watched = frames;
    watched.append(this);
    for (QPushButton* b : findChildren<QPushButton*>())
        watched.append(b);
    for (QWidget* w : watched) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void RuleDialog::Form_QueryUnload(bool& cancel)
{
    app::Trap trap(m_context.window.dialogs(), m_module, QStringLiteral("Form_QueryUnload"));
    trap(1, [&] {
        if (!m_context.window.AppClosing()) {
            cancel = true;
            hide();
        }
    });
}

void RuleDialog::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    // Really closing: the next opening loads the dialog afresh.
    m_loaded = false;
    event->accept();
}

bool RuleDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return QDialog::eventFilter(watched, event);
    const bool onButton = qobject_cast<QPushButton*>(watched) != nullptr;
    if (!m_pointer->isBusy())
        m_pointer->setPointer(onButton ? platform::Pointer::Custom : platform::Pointer::Default);
    // A button ignores moves while no mouse button is down; stop them here so the frame behind it does not
    // take the pointer back to the default.
    return onButton && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
}

} // namespace extract

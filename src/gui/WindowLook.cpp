#include "gui/WindowLook.h"

#include "gui/Accelerators.h"
#include "core/TextFiles.h"
#include "platform/WindowPointer.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QRadioButton>
#include <QWidget>

namespace gui {

QCheckBox* makeCheckBox(const char* name, const QString& caption, bool checked)
{
    auto* box = named(new QCheckBox(caption), name);
    box->setChecked(checked);
    return box;
}

QPushButton* makeButton(const char* name, const QString& caption)
{
    return named(new QPushButton(caption), name);
}

QLineEdit* makeTextBox(const char* name)
{
    return named(new QLineEdit, name);
}

QList<QWidget*> tabChain(QWidget& window)
{
    QList<QWidget*> chain;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain()) {
        if (w->window() == &window && (w->focusPolicy() & Qt::TabFocus))
            chain.append(w);
    }
    return chain;
}

namespace {

constexpr char kAddedLater[] = "quillmereAddedLater";

// Gives accelerators to the buttons of the window, or to those not added later; captions that have one keep it.
void assignAccelerators(QWidget& window, bool addedLaterToo)
{
    QList<QPushButton*> buttons;
    QStringList captions;
    for (QWidget* w : tabChain(window)) {
        auto* button = qobject_cast<QPushButton*>(w);
        if (button && (addedLaterToo || !button->property(kAddedLater).toBool())) {
            buttons.append(button);
            captions.append(button->text());
        }
    }
    const QStringList marked = withAccelerators(captions);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        buttons[i]->setText(marked[i]);
}

} // namespace

void addButtonAccelerators(QWidget& window)
{
    assignAccelerators(window, false);
    assignAccelerators(window, true);
}

void markAddedLater(QPushButton* button)
{
    button->setProperty(kAddedLater, true);
}

void applyPlainColours(QWidget& window)
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

void loadHandCursorFile(platform::WindowPointer& pointer, const QString& programFolder)
{
    const QString cursorFile = QDir(programFolder).filePath(QStringLiteral("HAND-M.CUR"));
    if (!core::FileExists(cursorFile))
        return;
    if (const auto cursor = platform::loadCursorFile(cursorFile))
        pointer.setCustomCursor(*cursor);
}

void HoverPointers::addHand(QWidget* widget)
{
    m_hand.append(widget);
    watch(widget);
}

void HoverPointers::addPlain(QWidget* widget)
{
    watch(widget);
}

void HoverPointers::watch(QWidget* widget)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool HoverPointers::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const bool hand = m_hand.contains(watched);
    if (!m_pointer.isBusy())
        m_pointer.setPointer(hand ? platform::Pointer::Custom : platform::Pointer::Default);
    // A button ignores moves while no mouse button is down; stop them here so the frame behind it does not
    // take the pointer back to the default.
    return hand && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
}

} // namespace gui

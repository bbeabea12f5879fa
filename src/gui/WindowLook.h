#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {
class PointerControl;
class WindowPointer;
} // namespace platform

namespace gui {

// Controls carry the names the commands use, so that tests find them.
template <class Control>
Control* named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}
QCheckBox* makeCheckBox(const char* name, const QString& caption, bool checked);
QPushButton* makeButton(const char* name, const QString& caption);
QLineEdit* makeTextBox(const char* name);

// The controls the Tab key reaches in the window, in the order it reaches them.
QList<QWidget*> tabChain(QWidget& window);

// Gives the window's push buttons accelerators in tab order, so that earlier buttons get the first picks. Buttons
// marked as added later pick after all the others, from the keys they leave, so that the keys users know stay.
void addButtonAccelerators(QWidget& window);
void markAddedLater(QPushButton* button);

// The window and its labels, option buttons, check boxes and frames take the button-face colour.
void applyPlainColours(QWidget& window);

// Makes "HAND-M.CUR" of the program folder the window's custom pointer, when the file is there.
void loadHandCursorFile(platform::WindowPointer& pointer, const QString& programFolder);

// The hover rule of the windows: moving over one of the hand widgets shows the custom (hand) pointer,
// over one of the plain widgets the default pointer; neither while a command shows the hourglass.
class HoverPointers : public QObject
{
public:
    explicit HoverPointers(platform::PointerControl& pointer) : m_pointer(pointer) {}
    void addHand(QWidget* widget);
    void addPlain(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);

    platform::PointerControl& m_pointer;
    QList<QObject*> m_hand;
};

} // namespace gui

#pragma once

#include "platform/Desktop.h"

#include <QCursor>
#include <optional>

class QWidget;

namespace platform {

// A window's mouse pointer shown on a widget: the hourglass as Qt's wait cursor, the custom pointer as the
// cursor loaded from the program folder (or the normal arrow when there is none).
class WindowPointer : public PointerControl
{
public:
    explicit WindowPointer(QWidget& window) : m_window(window) {}
    Pointer pointer() const override { return m_pointer; }
    void setPointer(Pointer pointer) override;
    void setCustomCursor(const QCursor& cursor) { m_custom = cursor; }

private:
    QWidget& m_window;
    Pointer m_pointer = Pointer::Default;
    std::optional<QCursor> m_custom;
};

// Loads a Windows cursor file (.cur) with its hot spot; nothing when the file cannot be read as one.
std::optional<QCursor> loadCursorFile(const QString& path);

} // namespace platform

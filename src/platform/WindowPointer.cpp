#include "platform/WindowPointer.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

namespace platform {

void WindowPointer::setPointer(Pointer pointer)
{
    m_pointer = pointer;
    switch (pointer) {
    case Pointer::Hourglass:
        m_window.setCursor(Qt::WaitCursor);
        break;
    case Pointer::Custom:
        if (m_custom)
            m_window.setCursor(*m_custom);
        else
            m_window.unsetCursor();
        break;
    case Pointer::Default:
        m_window.unsetCursor();
        break;
    }
}

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The header is reserved(2) type(2) count(2), then the first entry; a cursor entry holds its hot spot
    // where an icon entry holds planes and bit count.
    const QByteArray head = file.peek(22);
    if (head.size() < 22 || qFromLittleEndian<quint16>(head.constData() + 2) != 2)
        return std::nullopt;
    const int hotX = qFromLittleEndian<quint16>(head.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(head.constData() + 12);
    QImage image;
    if (!image.load(&file, "cur") && !(file.seek(0) && image.load(&file, "ico")))
        return std::nullopt;
    if (image.isNull())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace platform

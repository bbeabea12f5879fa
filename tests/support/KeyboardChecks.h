#pragma once

#include <QApplication>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace testsupport {

// Names written as one space-separated list.
inline QStringList names(const char* spaced)
{
    return QString::fromLatin1(spaced).split(u' ', Qt::SkipEmptyParts);
}

// The names of the controls that real Tab presses visit, starting at the window's first control and going
// round once: a control missing here cannot be reached without the mouse.
inline QStringList tabbedNames(QWidget& window, QWidget& first)
{
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    first.setFocus(Qt::TabFocusReason);
    QStringList names;
    for (QWidget* at = QApplication::focusWidget(); at && names.size() < 200;) {
        names.append(at->objectName());
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == &first)
            break;
    }
    return names;
}

// Every push button of the window, but those named in `without`, has an accelerator, and no two share one.
inline void expectDistinctAccelerators(QWidget& window, const QStringList& without = {})
{
    QSet<QChar> keys;
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (without.contains(button->objectName()))
            continue;
        const QString text = button->text();
        const qsizetype at = text.indexOf(u'&');
        ASSERT_TRUE(at >= 0 && at + 1 < text.size()) << button->objectName().toStdString();
        const QChar key = text[at + 1].toLower();
        EXPECT_FALSE(keys.contains(key)) << button->objectName().toStdString() << " repeats Alt+" << key.toLatin1();
        keys.insert(key);
    }
}

} // namespace testsupport

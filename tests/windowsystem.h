#pragma once
// Input as the window system delivers it: queued, and handed to the program by its event loop.
// Keys and clicks sent this way are held back by a loop that excludes user input, exactly as a
// real player's clicks are, where QTest's events would be delivered at once.

#include <qpa/qwindowsysteminterface.h>

#include <QWidget>
#include <QWindow>

namespace windowsystem {

/// Queues a left click at pos of widget (a press and a release).
inline void queueClick(QWidget *widget, QPoint pos)
{
    QWindow *window = widget->window()->windowHandle();
    const QPointF local = widget->mapTo(widget->window(), pos);
    const QPointF global = widget->mapToGlobal(pos);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

/// Queues a key press and release typed into widget's window.
inline void queueKey(QWidget *widget, Qt::Key key, const QString &text)
{
    QWindow *window = widget->window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyPress, key, Qt::NoModifier, text);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyRelease, key, Qt::NoModifier, text);
}

} // namespace windowsystem

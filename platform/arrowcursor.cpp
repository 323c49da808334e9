#include "arrowcursor.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

ArrowCursor::ArrowCursor(const QCursor &arrow, QObject *parent) : QObject(parent), m_arrow(arrow)
{
    qApp->installEventFilter(this);
}

ArrowCursor::~ArrowCursor()
{
    qApp->removeEventFilter(this);
}

void ArrowCursor::apply(QWidget *widget) const
{
    const bool own = widget->testAttribute(Qt::WA_SetCursor);
    if ((!own && widget->isWindow()) || (own && widget->cursor().shape() == Qt::ArrowCursor))
        widget->setCursor(m_arrow);
}

bool ArrowCursor::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Polish || event->type() == QEvent::Show) && watched->isWidgetType())
        apply(static_cast<QWidget *>(watched));
    return QObject::eventFilter(watched, event);
}

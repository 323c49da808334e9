#include "focusframe.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QGraphicsView>
#include <QPainter>

namespace {
constexpr int kWidth = 2;
} // namespace

FocusFrame::FocusFrame(QWidget *target) : QWidget(target), m_target(target)
{
    // Over the target's own drawing, and never in the way of the mouse or the keyboard.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(target->rect());
    hide();
    target->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::FocusIn:
            setGeometry(m_target->rect());
            // The target's own children (a view's viewport) were made later: stay above them.
            raise();
            show();
            break;
        case QEvent::FocusOut:
            hide();
            break;
        case QEvent::Resize:
            setGeometry(m_target->rect());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight), kWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
}

void FrameFocusOfViews(QWidget *window)
{
    for (QAbstractScrollArea *view : window->findChildren<QAbstractScrollArea *>()) {
        if (qobject_cast<QAbstractItemView *>(view) || qobject_cast<QGraphicsView *>(view))
            new FocusFrame(view);
    }
}

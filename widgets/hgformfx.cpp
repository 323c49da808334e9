#include "hgformfx.h"

#include <QEvent>
#include <QPainter>

ThgFormFx::ThgFormFx(QWidget *owner) : QObject(owner), m_owner(owner)
{
    if (m_owner)
        m_owner->installEventFilter(this);
}

ThgFormFx::~ThgFormFx()
{
    if (m_owner)
        m_owner->removeEventFilter(this);
}

void ThgFormFx::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    repaintOwner();
}

void ThgFormFx::repaintOwner()
{
    if (m_owner)
        m_owner->update();
}

bool ThgFormFx::eventFilter(QObject *watched, QEvent *event)
{
    // The owner is inside its paint event here, so a painter may be opened on it; the event
    // goes on to the owner afterwards and its own painting lands on top of the effect.
    if (m_enabled && watched == m_owner && event->type() == QEvent::Paint) {
        QPainter painter(m_owner);
        PaintEffect(painter, m_owner);
    }
    return QObject::eventFilter(watched, event);
}

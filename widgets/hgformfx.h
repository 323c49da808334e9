#pragma once
// An effect drawn on a window's background at every repaint, beneath the window's own painting
// and its children.
//
// Qt offers no paint handler to chain in front of, so the effect watches its owner's paint
// events: it paints first and lets the event go on, and the owner's paintEvent then paints over
// it. An owner that fills its own background opaquely (autoFillBackground, an opaque style sheet
// or a paintEvent that clears the whole widget) hides the effect; the window's plain palette
// background, which Qt draws before the paint event, is fine.

#include <QObject>
#include <QPointer>
#include <QWidget>

class QPainter;

class ThgFormFx : public QObject
{
    Q_OBJECT
public:
    /// Hooks the effect into owner's painting; the effect lives as long as its owner.
    explicit ThgFormFx(QWidget *owner);
    ~ThgFormFx() override;

    /// The window the effect is drawn on.
    QWidget *owner() const { return m_owner; }

    /// Whether the effect is drawn; the default is true.
    bool Enabled() const { return m_enabled; }
    /// Switches the effect and repaints the whole owner when the value changes.
    void setEnabled(bool enabled);

    /// Draws the effect on owner; the painter is already open on it.
    virtual void PaintEffect(QPainter &painter, QWidget *owner) = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Repaints the whole owner, for the settings of derived effects.
    void repaintOwner();

private:
    QPointer<QWidget> m_owner;
    bool m_enabled = true;
};

#pragma once
// The application's own normal arrow. Qt has no setting for the arrow every window shows, so
// this watcher gives the arrow to each window as it is first polished (the main window, its
// menus, boxes and hints) and to every control that asks for the plain arrow itself (read-only
// text fields do). Controls with a cursor of their own, such as the hand, keep it.

#include <QCursor>
#include <QObject>

class ArrowCursor : public QObject
{
    Q_OBJECT

public:
    /// Watches the whole application from now on, until this object is destroyed.
    explicit ArrowCursor(const QCursor &arrow, QObject *parent = nullptr);
    ~ArrowCursor() override;

    /// Gives the arrow to widget when it shows no cursor of its own or the plain arrow.
    void apply(QWidget *widget) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QCursor m_arrow;
};

#pragma once
// A frame around a control that paints itself (a chart) while it holds the keyboard focus: a
// teacher working with the keyboard alone sees where Tab has got to.

#include <QWidget>

class FocusFrame final : public QWidget
{
public:
    /// Frames target while it has the focus; owned by target.
    explicit FocusFrame(QWidget *target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_target;
};

/// Gives every item view (tables, lists) and every chart under window a FocusFrame: an empty
/// table shows no current cell, and a chart nothing at all, when Tab comes to it.
void FrameFocusOfViews(QWidget *window);

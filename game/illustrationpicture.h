#pragma once
// The illustration pane's own picture view. A local picture is drawn here rather than in the
// browser because the browser engine needs about half a second to start: the picture would
// come late to its question. It is drawn the way a browser draws a picture opened alone, so
// that a teacher sees the same on either path.

#include <QColor>
#include <QImage>
#include <QWidget>

/// Shows a picture centred on a dark ground, scaled down with smooth scaling when it does not
/// fit and never scaled up.
class IllustrationPicture final : public QWidget
{
    Q_OBJECT

public:
    /// The ground around the picture: the colour a browser gives a picture opened alone.
    static inline const QColor kGround = QColor(0x0e, 0x0e, 0x0e);

    explicit IllustrationPicture(QWidget *parent = nullptr);

    /// The picture shown; a null image leaves the ground bare. Its device pixel ratio gives
    /// its natural size on screen.
    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

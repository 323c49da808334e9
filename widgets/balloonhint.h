#pragma once
// Hints drawn as yellow speech balloons: an ellipse with a pointer tail, a 2 px shadow and the
// text centred, in place of the platform's rectangular tool tips.

#include <QPointer>
#include <QWidget>

class QTimer;

/// One balloon window showing one hint.
class TBalloonHint : public QWidget
{
    Q_OBJECT

public:
    explicit TBalloonHint(QWidget *parent = nullptr);

    /// Shows text with the tail's tip at the screen point tip.
    void showHint(const QString &text, const QPoint &tip);
    QString text() const { return m_text; }
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

    /// The size of the balloon for a text: the ellipse around the text, the tail and the shadow.
    static QSize balloonSize(const QFontMetrics &metrics, const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_colour = QColor(0xFF, 0xFF, 0x00);
};

/// Replaces the tool tips of the whole application by balloons while it lives.
class BalloonHints : public QObject
{
    Q_OBJECT

public:
    explicit BalloonHints(QObject *parent = nullptr);
    ~BalloonHints() override;

    /// The balloon on screen, or nullptr.
    TBalloonHint *current() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hide();

    QPointer<TBalloonHint> m_balloon;
    QTimer *m_hideTimer = nullptr;
};

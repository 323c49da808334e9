#include "balloonhint.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {
constexpr int kShadow = 2;
constexpr int kTail = 14;
constexpr int kHintMs = 5000;
} // namespace

TBalloonHint::TBalloonHint(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

QSize TBalloonHint::balloonSize(const QFontMetrics &metrics, const QString &text)
{
    // An ellipse holds its inscribed text when its axes are the text box's sides times sqrt 2.
    const int w = metrics.horizontalAdvance(text) * 141 / 100 + 16;
    const int h = metrics.height() * 141 / 100 + 12;
    return {w + kShadow, h + kTail + kShadow};
}

void TBalloonHint::setColour(const QColor &colour)
{
    if (m_colour == colour)
        return;
    m_colour = colour;
    update();
}

void TBalloonHint::showHint(const QString &text, const QPoint &tip)
{
    m_text = text;
    resize(balloonSize(fontMetrics(), text));
    // The tail points up-left at the spot the pointer is on.
    move(tip.x() - width() / 5, tip.y());
    show();
    raise();
    update();
}

void TBalloonHint::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0, kTail, width() - kShadow - 1, height() - kTail - kShadow - 1);
    QPainterPath shape;
    shape.addEllipse(body);
    QPainterPath tail;
    const qreal x = width() / 5.0;
    tail.moveTo(x, 0);
    tail.lineTo(x + body.width() * 0.12, body.top() + body.height() * 0.35);
    tail.lineTo(x + body.width() * 0.32, body.top() + body.height() * 0.2);
    tail.closeSubpath();
    shape = shape.united(tail);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(shape.translated(kShadow, kShadow));
    p.setBrush(m_colour);
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(shape);
    p.setPen(Qt::black);
    p.drawText(body, Qt::AlignCenter, m_text);
}

BalloonHints::BalloonHints(QObject *parent) : QObject(parent)
{
    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(kHintMs);
    connect(m_hideTimer, &QTimer::timeout, this, &BalloonHints::hide);
    qApp->installEventFilter(this);
}

BalloonHints::~BalloonHints()
{
    delete m_balloon;
}

TBalloonHint *BalloonHints::current() const
{
    return m_balloon && m_balloon->isVisible() ? m_balloon.data() : nullptr;
}

void BalloonHints::hide()
{
    if (m_balloon)
        m_balloon->hide();
}

bool BalloonHints::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->toolTip().isEmpty())
            return false;
        if (!m_balloon)
            m_balloon = new TBalloonHint;
        m_balloon->showHint(widget->toolTip(), static_cast<QHelpEvent *>(event)->globalPos() + QPoint(2, 16));
        m_hideTimer->start();
        return true;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::WindowDeactivate:
        hide();
        return false;
    default:
        return false;
    }
}

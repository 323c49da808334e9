#include "lcd99.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <thread>

namespace {

constexpr int kRestoreOrder = 3; // the plain top-to-bottom order, also used for anNone
constexpr int kSteps = 8;

// The rest of a delay after `spent` ms, never below 0.
int remaining(qint64 delay, qint64 spent)
{
    return int(std::clamp<qint64>(delay - spent, 0, std::numeric_limits<int>::max()));
}

} // namespace

TLCD99::TLCD99(QWidget *parent) : QWidget(parent)
{
    m_steadyClock.start();
    // The canvas covers every pixel, so there is nothing underneath worth erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(92, 34);
    drawPicture(Pace::AtOnce);
}

TLCD99::~TLCD99() = default;

QSize TLCD99::sizeHint() const
{
    return QSize(92, 34);
}

TLCD99::Metrics TLCD99::metrics() const
{
    return MetricsFor(size(), m_digitNum, m_digitSpacing, m_gapX, m_gapY, m_segmentSize);
}

// --- properties ---------------------------------------------------------------------------

void TLCD99::setValue(const QString &value)
{
    if (value == m_value)
        return;
    QString v = value;
    for (QChar &ch : v) {
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
    }
    const bool allowed = std::all_of(v.cbegin(), v.cend(), [](QChar ch) {
        return SegmentRow(ch) >= 0 || ch == u' ' || ch == u'.';
    });
    if (!allowed)
        v.clear();
    if (v.endsWith(u'.'))
        v.chop(1);
    // "ab" over "AB" ends where it started; the picture already shows it.
    if (v == m_value)
        return;
    m_value = v;
    Paint();
    // What the display shows is what a reader reads.
    QAccessibleEvent shown(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&shown);
}

void TLCD99::setInt(int &member, int value)
{
    if (member == value)
        return;
    member = value;
    Paint();
}

void TLCD99::setColorMember(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    Paint();
}

void TLCD99::setDigitNum(int digitNum)
{
    if (digitNum < 1 || digitNum > kMaxDigits)
        return;
    setInt(m_digitNum, digitNum);
}

void TLCD99::setDigitSpacing(int spacing) { setInt(m_digitSpacing, spacing); }
void TLCD99::setGapX(int gap) { setInt(m_gapX, gap); }
void TLCD99::setGapY(int gap) { setInt(m_gapY, gap); }
void TLCD99::setSegmentSize(int size) { setInt(m_segmentSize, size); }
void TLCD99::setOnColor(const QColor &color) { setColorMember(m_onColor, color); }
void TLCD99::setOffColor(const QColor &color) { setColorMember(m_offColor, color); }
void TLCD99::setColor(const QColor &color) { setColorMember(m_color, color); }

void TLCD99::setAbout(TLCDAbout about)
{
    // The property always reads abNone, so there is nothing to store and nothing to redraw.
    if (about != abAbout)
        return;
    const QString title = QStringLiteral("TLCD99");
    const QString text = QStringLiteral("TLCD99 seven-segment display, version 1.0");
    if (m_aboutHook)
        m_aboutHook(title, text);
    else
        QMessageBox::information(this, title, text);
}

// --- drawing ------------------------------------------------------------------------------

void TLCD99::Paint()
{
    redraw(Pace::Animated);
}

void TLCD99::redraw(Pace pace)
{
    // The waits of an animation may run the program's event loop, and a handler there may
    // change the value or the size. Drawing into the canvas from inside would mix two
    // pictures, so the change is drawn after the one in progress.
    if (m_drawing) {
        m_drawAgain = true;
        return;
    }
    QPointer<TLCD99> alive(this);
    m_drawing = true;
    do {
        m_drawAgain = false;
        drawPicture(pace);
        if (!alive)
            return;
    } while (m_drawAgain);
    m_drawing = false;
    update();
}

void TLCD99::drawPicture(Pace pace)
{
    const QString value = m_value;
    m_drawMetrics = metrics();
    // Nobody sees the steps of a hidden display, and a resize has nothing new to show.
    m_paced = pace == Pace::Animated && isVisible();
    if (m_canvas.size() != size())
        m_canvas = QImage(size(), QImage::Format_RGB32);
    const int order = chooseOrder();
    if (!m_canvas.isNull()) {
        QPainter(&m_canvas).fillRect(m_canvas.rect(), m_color);
        const int n = m_drawMetrics.digitNum;
        const Cells blank = SplitDots(QString(), n);
        const Cells previous = SplitDots(m_previousValue, n);
        if (!value.isEmpty()) {
            const qint64 start = now();
            DrawDigits(kRestoreOrder, 0, Redraw::AllCells, previous, blank);
            const int delay = remaining(m_animationDelay, now() - start);
            if (!DrawDigits(order, delay, Redraw::ChangedCells, SplitDots(value, n), previous))
                return;
        } else if (!DrawDigits(order, m_animationDelay, Redraw::AllCells, blank, previous)) {
            return;
        }
    }
    m_previousValue = value;
}

int TLCD99::chooseOrder()
{
    switch (m_animation) {
    case anSpiral: return 1;
    case anUp: return 2;
    case anDown: return 3;
    case anLeft: return 4;
    case anRight: return 5;
    case anRandom: {
        const int n = int(AnimationOrders.size());
        const int pick = m_random ? m_random(n) : int(QRandomGenerator::global()->bounded(n));
        return 1 + std::clamp(pick, 0, n - 1);
    }
    case anNone: break;
    }
    return kRestoreOrder;
}

// Draws one picture over another: the points, then the eight segment positions in the
// order's sequence. Returns false when the display was deleted during a wait.
bool TLCD99::DrawDigits(int order, int delay, Redraw redraw, const Cells &current,
                        const Cells &previous)
{
    const qint64 start = now();
    drawPoints(redraw, current, previous);
    delay = remaining(delay, now() - start);
    const bool waits = m_paced && m_animation != anNone && delay / 7 > 0;
    QPointer<TLCD99> alive(this);
    for (int step = 0; step < kSteps; ++step) {
        const qint64 stepStart = now();
        drawStep(AnimationOrders[order - 1][step], redraw, current, previous);
        if (!waits)
            continue;
        repaint(); // shown now: the wait below may not run the event loop at all
        const qint64 left = delay / 7 - (now() - stepStart);
        if (left > 0)
            wait(int(left));
        if (!alive)
            return false;
    }
    return true;
}

void TLCD99::drawPoints(Redraw redraw, const Cells &current, const Cells &previous)
{
    QPainter painter(&m_canvas);
    for (int j = 1; j <= m_drawMetrics.digitNum; ++j) {
        const QChar point = current.points.at(j - 1);
        if (redraw == Redraw::ChangedCells && point == previous.points.at(j - 1))
            continue;
        painter.fillRect(PointRect(m_drawMetrics, j), point == u'.' ? m_onColor : m_offColor);
    }
}

// Segment position g of every cell to be drawn, lit or unlit as its character says.
void TLCD99::drawStep(int g, Redraw redraw, const Cells &current, const Cells &previous)
{
    QPainter painter(&m_canvas);
    for (int j = 1; j <= m_drawMetrics.digitNum; ++j) {
        const QChar ch = current.chars.at(j - 1);
        if (redraw == Redraw::ChangedCells && ch == previous.chars.at(j - 1))
            continue;
        drawSegment(painter, j, g, Lights(ch, g) ? m_onColor : m_offColor);
    }
}

void TLCD99::drawSegment(QPainter &painter, int j, int segment, const QColor &color) const
{
    // Filled and outlined in one colour: the outline lights the corner pixels themselves, so
    // even a dot two pixels high is solid.
    painter.setBrush(color);
    painter.setPen(QPen(color, 1));
    if (segment != 8) {
        painter.drawPolygon(SegmentPolygon(m_drawMetrics, j, segment));
        return;
    }
    for (const QRect &dot : ColonDots(m_drawMetrics, j)) {
        // The outline runs on the pixels inside the box's right and bottom edges.
        if (!dot.isEmpty())
            painter.drawEllipse(dot.adjusted(0, 0, -1, -1));
    }
}

qint64 TLCD99::now() const
{
    return m_clock ? m_clock() : m_steadyClock.elapsed();
}

void TLCD99::wait(int ms)
{
    if (m_waiter) {
        m_waiter(ms);
        return;
    }
    // Stand-alone, the display holds the thread like a busy wait would, but without burning
    // the processor: no event, and so no click or key, is handled meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// --- events -------------------------------------------------------------------------------

void TLCD99::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Between a resize and the redraw it asks for, the canvas may not cover the control yet.
    if (m_canvas.size() != size())
        painter.fillRect(rect(), m_color);
    painter.drawImage(0, 0, m_canvas);
}

void TLCD99::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    redraw(Pace::AtOnce);
}

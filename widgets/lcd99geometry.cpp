// The display's tables and geometry: which segments a character lights, how a value splits
// into cells and points, and where every segment, colon dot and point lies in a given size.
// Pure functions of their arguments, so the tests can check them without painting.

#include "lcd99.h"

#include <algorithm>
#include <cstdlib>

int TLCD99::RoundDiv(int a, int b)
{
    int q = a / b;
    const int r = a % b;
    const int sign = ((a < 0) != (b < 0)) ? -1 : 1;
    const int twice = 2 * std::abs(r);
    if (twice > std::abs(b) || (twice == std::abs(b) && q % 2 != 0))
        q += sign;
    return q;
}

int TLCD99::SegmentRow(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c == u'-')
        return 10;
    if (c == u':')
        return 11;
    if (c >= u'A' && c <= u'Z')
        return 12 + (c - u'A');
    return -1;
}

bool TLCD99::Lights(QChar ch, int segment)
{
    const int row = SegmentRow(ch);
    return row >= 0 && segment >= 1 && segment <= 8 && (SegmentTable[row] >> (segment - 1)) & 1u;
}

TLCD99::Cells TLCD99::SplitDots(const QString &value, int digitNum)
{
    Cells cells;
    bool pending = false;
    for (const QChar ch : value) {
        if (ch == u'.') {
            cells.points += u'.';
            if (pending)
                cells.chars += u' '; // a point without a character of its own: an empty cell
            pending = true;
            continue;
        }
        if (pending)
            pending = false; // this character's cell takes the point
        else
            cells.points += u' ';
        cells.chars += ch;
    }
    // A value may still end in a point ("1.." keeps one). It goes in front of an empty cell
    // of its own, just after the last character, so both strings stay cell for cell.
    if (pending)
        cells.chars += u' ';
    for (QString *s : {&cells.chars, &cells.points}) {
        if (s->size() < digitNum)
            s->prepend(QString(digitNum - s->size(), u' '));
        else
            s->truncate(digitNum);
    }
    return cells;
}

TLCD99::Metrics TLCD99::MetricsFor(QSize size, int digitNum, int digitSpacing, int gapX,
                                   int gapY, int segmentSize)
{
    // Bounded measures keep every sum and product below within int.
    auto bounded = [](int v) { return std::clamp(v, -kMaxMeasure, kMaxMeasure); };
    Metrics m;
    m.digitNum = std::clamp(digitNum, 1, kMaxDigits);
    m.spacing = bounded(digitSpacing);
    m.gapX = bounded(gapX);
    m.gapY = bounded(gapY);
    m.W = ((size.width() - 1) - m.digitNum * (m.spacing + 1)) / m.digitNum;
    m.H = size.height() - 1;
    m.M = m.H / 2;
    m.L = m.W - 2 * m.gapX;
    m.V = m.M - 2 * m.gapY;
    m.S = bounded(segmentSize);
    return m;
}

int TLCD99::CellLeft(const Metrics &m, int j)
{
    return (j - 1) * m.W + j * (m.spacing + 1);
}

namespace {

// Segments 1, 7: a horizontal bar along y0, growing by t (downwards when t > 0).
QPolygon horizontalBar(const TLCD99::Metrics &m, int x0, int y0, int t)
{
    const int S = m.S, L = m.L, r = TLCD99::RoundDiv(t, 4);
    return QPolygon({QPoint(x0, y0 + r), QPoint(x0 + S / 2, y0), QPoint(x0 + L - S / 2, y0),
                     QPoint(x0 + L, y0 + r), QPoint(x0 + L - S, y0 + t), QPoint(x0 + S, y0 + t)});
}

// Segments 2, 3, 5, 6: a vertical bar along x0, growing by t (to the right when t > 0).
QPolygon verticalBar(const TLCD99::Metrics &m, int x0, int y0, int t)
{
    const int S = m.S, V = m.V, q = TLCD99::RoundDiv(t, 4);
    return QPolygon({QPoint(x0 + q, y0), QPoint(x0, y0 + S / 2), QPoint(x0, y0 + V - S / 2),
                     QPoint(x0 + q, y0 + V), QPoint(x0 + t, y0 + V - S), QPoint(x0 + t, y0 + S)});
}

} // namespace

QPolygon TLCD99::SegmentPolygon(const Metrics &m, int j, int segment)
{
    const int xj = CellLeft(m, j), S = m.S, L = m.L;
    switch (segment) {
    case 1: return horizontalBar(m, xj + m.gapX, 0, S);
    case 7: return horizontalBar(m, xj + m.gapX, m.H, -S);
    case 4: {
        const int x0 = xj + m.gapX, y0 = m.M - S / 2, r = RoundDiv(S, 2);
        return QPolygon({QPoint(x0, y0 + r), QPoint(x0 + S, y0), QPoint(x0 + L - S, y0),
                         QPoint(x0 + L, y0 + r), QPoint(x0 + L - S, y0 + S),
                         QPoint(x0 + S, y0 + S)});
    }
    case 2: return verticalBar(m, xj, m.gapY, S);
    case 5: return verticalBar(m, xj, m.M + m.gapY, S);
    case 3: return verticalBar(m, xj + m.W, m.gapY, -S);
    case 6: return verticalBar(m, xj + m.W, m.M + m.gapY, -S);
    default: return QPolygon();
    }
}

std::array<QRect, 2> TLCD99::ColonDots(const Metrics &m, int j)
{
    const int dx = m.L / 3, dy = m.V / 3;
    const int x0 = CellLeft(m, j) + (m.W - dx) / 2;
    return {QRect(x0, m.M - 2 * dy, dx, dy), QRect(x0, m.M + dy, dx, dy)};
}

QRect TLCD99::PointRect(const Metrics &m, int j)
{
    const int pj = (j - 1) * (m.W + m.spacing + 1) + 2;
    const int side = m.spacing - 2;
    if (side <= 0)
        return QRect();
    return QRect(pj, m.H - m.spacing + 2, side, side);
}

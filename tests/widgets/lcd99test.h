#pragma once
// Helpers of the seven-segment display tests: the call window's display, screenshots, segment
// centres and the timeline of paced drawing steps.

#include "lcd99.h"
#include <QImage>
#include <QList>
#include <algorithm>
#include <gtest/gtest.h>

namespace lcd99test {

const QRgb kRed = 0xFF0000;
const QRgb kLime = 0x00FF00;
const QRgb kBlack = 0x000000;

// The call window's display: 93 x 21, seven red cells on black.
struct CallDisplay : TLCD99
{
    CallDisplay()
    {
        resize(93, 21);
        setColor(Qt::black);
        setDigitNum(7);
        setDigitSpacing(1);
        setGapX(1);
        setGapY(1);
        setOnColor(QColor(0xFF, 0x00, 0x00));
        setOffColor(Qt::black);
        setSegmentSize(2);
    }
};

inline QImage shot(TLCD99 &lcd)
{
    return lcd.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb px(const QImage &image, QPoint p)
{
    return image.pixel(p) & 0xFFFFFF;
}

inline QImage blankImage(QSize size)
{
    QImage blank(size, QImage::Format_RGB32);
    blank.fill(Qt::black);
    return blank;
}

// A pixel well inside segment g (1..8) of cell j.
inline QPoint segmentCentre(const TLCD99 &lcd, int j, int g)
{
    if (g == 8)
        return TLCD99::ColonDots(lcd.metrics(), j)[0].center();
    return lcd.SegmentPolygon(j, g).boundingRect().center();
}

// The segments of cell j that show the colour `on`, as SegmentTable bits.
inline int litSegments(const QImage &image, const TLCD99 &lcd, int j, QRgb on)
{
    int bits = 0;
    for (int g = 1; g <= 8; ++g) {
        if (px(image, segmentCentre(lcd, j, g)) == on)
            bits |= 1 << (g - 1);
    }
    return bits;
}

inline int rowOf(char c)
{
    return TLCD99::SegmentTable[TLCD99::SegmentRow(QChar(c))];
}

// The characters of SegmentTable's rows, in order.
const char *const kChars = "0123456789-:ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// What each cell of a red display shows: its character, blank when nothing is lit.
inline QString shown(TLCD99 &lcd)
{
    const QImage image = shot(lcd);
    QString cells;
    for (int j = 1; j <= lcd.DigitNum(); ++j) {
        const int lit = litSegments(image, lcd, j, kRed);
        const char *end = kChars + 38;
        const char *match = std::find_if(kChars, end, [lit](char c) { return rowOf(c) == lit; });
        cells += lit == 0 ? QChar(' ') : match == end ? QChar('?') : QChar(*match);
    }
    return cells;
}

// Time stands still except while the display waits; every wait is written down together
// with the picture on screen when it began.
struct Timeline
{
    qint64 now = 0;
    QList<int> waits;
    QList<QImage> shots;
};

inline void pace(TLCD99 &lcd, Timeline &t)
{
    lcd.setClock([&t] { return t.now; });
    lcd.setWaiter([&t, &lcd](int ms) {
        t.waits << ms;
        t.shots << shot(lcd);
        t.now += ms;
    });
}

} // namespace lcd99test

#pragma once
// A row of seven-segment cells, like a calculator's or a telephone's display: digits, the minus
// sign, a colon, the letters A to Z in seven-segment shapes, blanks and decimal points.
//
// The picture lives in a canvas of the control's size. A change of value draws into that canvas
// (the unchanged picture restored at once, then the changed cells segment by segment in the
// animation order, with a wait after each step) and paintEvent only copies the canvas out. Qt
// flushes a paint only after paintEvent returns and forbids waiting inside it, so the steps of
// an animation must be drawn outside it and shown with repaint() one by one.

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>

class QPainter;

namespace lcd99 {
/// The SegmentTable bits of a list of lit segments.
constexpr std::uint8_t lit(std::initializer_list<int> segments)
{
    std::uint8_t bits = 0;
    for (int g : segments)
        bits |= std::uint8_t(1u << (g - 1));
    return bits;
}
} // namespace lcd99

class TLCD99 : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Value READ Value WRITE setValue)
    Q_PROPERTY(int DigitNum READ DigitNum WRITE setDigitNum)
    Q_PROPERTY(int DigitSpacing READ DigitSpacing WRITE setDigitSpacing)
    Q_PROPERTY(int GapX READ GapX WRITE setGapX)
    Q_PROPERTY(int GapY READ GapY WRITE setGapY)
    Q_PROPERTY(int SegmentSize READ SegmentSize WRITE setSegmentSize)
    Q_PROPERTY(QColor OnColor READ OnColor WRITE setOnColor)
    Q_PROPERTY(QColor OffColor READ OffColor WRITE setOffColor)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(TLCDAnimation Animation READ Animation WRITE setAnimation)
    Q_PROPERTY(int AnimationDelay READ AnimationDelay WRITE setAnimationDelay)
    Q_PROPERTY(TLCDAbout About READ About WRITE setAbout)

public:
    // Declaration order is the stored value 0, 1, ...
    enum TLCDAnimation { anNone, anSpiral, anUp, anDown, anLeft, anRight, anRandom };
    Q_ENUM(TLCDAnimation)
    enum TLCDAbout { abNone, abAbout };
    Q_ENUM(TLCDAbout)

    /// Lit segments of the 38 displayable characters, rows as SegmentRow() numbers them; bit
    /// g - 1 stands for segment g (1 top, 2 upper left, 3 upper right, 4 middle, 5 lower left,
    /// 6 lower right, 7 bottom, 8 colon).
    static constexpr std::array<std::uint8_t, 38> SegmentTable = {
        lcd99::lit({1, 2, 3, 5, 6, 7}),        //  0 "0"
        lcd99::lit({3, 6}),                    //  1 "1"
        lcd99::lit({1, 3, 4, 5, 7}),           //  2 "2"
        lcd99::lit({1, 3, 4, 6, 7}),           //  3 "3"
        lcd99::lit({2, 3, 4, 6}),              //  4 "4"
        lcd99::lit({1, 2, 4, 6, 7}),           //  5 "5"
        lcd99::lit({1, 2, 4, 5, 6, 7}),        //  6 "6"
        lcd99::lit({1, 3, 6}),                 //  7 "7"
        lcd99::lit({1, 2, 3, 4, 5, 6, 7}),     //  8 "8"
        lcd99::lit({1, 2, 3, 4, 6, 7}),        //  9 "9"
        lcd99::lit({4}),                       // 10 "-"
        lcd99::lit({8}),                       // 11 ":"
        lcd99::lit({1, 2, 3, 4, 5, 6}),        // 12 "A"
        lcd99::lit({2, 4, 5, 6, 7}),           // 13 "B"
        lcd99::lit({1, 2, 5, 7}),              // 14 "C"
        lcd99::lit({3, 4, 5, 6, 7}),           // 15 "D"
        lcd99::lit({1, 2, 4, 5, 7}),           // 16 "E"
        lcd99::lit({1, 2, 4, 5}),              // 17 "F"
        lcd99::lit({1, 2, 4, 5, 6, 7}),        // 18 "G"
        lcd99::lit({2, 4, 5, 6}),              // 19 "H"
        lcd99::lit({3, 6}),                    // 20 "I"
        lcd99::lit({3, 6, 7}),                 // 21 "J"
        lcd99::lit({2, 3, 4, 5, 6}),           // 22 "K"
        lcd99::lit({2, 5, 7}),                 // 23 "L"
        lcd99::lit({4, 5, 6}),                 // 24 "M"
        lcd99::lit({4, 5, 6}),                 // 25 "N"
        lcd99::lit({4, 5, 6, 7}),              // 26 "O"
        lcd99::lit({1, 2, 3, 4, 5}),           // 27 "P"
        lcd99::lit({1, 2, 3, 4, 6}),           // 28 "Q"
        lcd99::lit({4, 5}),                    // 29 "R"
        lcd99::lit({1, 2, 4, 6, 7}),           // 30 "S"
        lcd99::lit({2, 4, 5}),                 // 31 "T"
        lcd99::lit({2, 3, 5, 6, 7}),           // 32 "U"
        lcd99::lit({2, 3, 5, 6, 7}),           // 33 "V"
        lcd99::lit({2, 3, 5, 6, 7}),           // 34 "W"
        lcd99::lit({2, 3, 4, 5, 6}),           // 35 "X"
        lcd99::lit({2, 3, 4, 6}),              // 36 "Y"
        lcd99::lit({1, 3, 4, 5, 7}),           // 37 "Z"
    };
    /// The five drawing orders of the eight segment positions: spiral, up, down, left, right.
    /// Order n, 1 to 5 as the animation picks it, is index n - 1.
    static constexpr std::array<std::array<int, 8>, 5> AnimationOrders = {{
        {8, 4, 2, 1, 3, 6, 7, 5}, // anSpiral
        {7, 6, 5, 8, 4, 3, 2, 1}, // anUp
        {1, 2, 3, 8, 4, 5, 6, 7}, // anDown, anNone
        {6, 3, 7, 8, 4, 1, 5, 2}, // anLeft
        {2, 5, 1, 8, 4, 7, 3, 6}, // anRight
    }};

    /// One entry per cell, right-aligned: the cell's character and whether a decimal point
    /// ("." or blank) stands in the gap in front of it.
    struct Cells
    {
        QString chars;
        QString points;
    };

    /// The whole-pixel measures of a display: cell width W, H = height - 1, mid-line M,
    /// horizontal segment length L, vertical segment length V, thickness S.
    struct Metrics
    {
        int digitNum = 1;
        int spacing = 0;
        int gapX = 0;
        int gapY = 0;
        int W = 0;
        int H = 0;
        int M = 0;
        int L = 0;
        int V = 0;
        int S = 0;
    };

    /// The most cells a display takes, and the largest gap, inset or thickness it draws with
    /// (larger ones act as this).
    static constexpr int kMaxDigits = 1024;
    static constexpr int kMaxMeasure = 65536;

    /// A 92 x 34 display of 4 blank lime-on-black cells.
    explicit TLCD99(QWidget *parent = nullptr);
    ~TLCD99() override;

    /// a / b rounded to the nearest integer, halves to the even neighbour; b must not be 0.
    static int RoundDiv(int a, int b);
    /// The SegmentTable row of a character: "0".."9" 0..9, "-" 10, ":" 11, "A".."Z" 12..37;
    /// -1 for a blank or anything else, which lights nothing.
    static int SegmentRow(QChar ch);
    /// Whether segment (1..8) is lit for the character.
    static bool Lights(QChar ch, int segment);
    /// Splits a value into cells: a point goes with the character after it; both strings are
    /// padded on the left to digitNum entries, and longer ones keep their first digitNum.
    static Cells SplitDots(const QString &value, int digitNum);

    static Metrics MetricsFor(QSize size, int digitNum, int digitSpacing, int gapX, int gapY,
                              int segmentSize);
    /// Left edge of cell j (1..digitNum).
    static int CellLeft(const Metrics &m, int j);
    /// Corner points of segment 1..7 of cell j, in drawing order.
    static QPolygon SegmentPolygon(const Metrics &m, int j, int segment);
    /// The two colon dots of cell j: the boxes of their ellipses, right and bottom edges
    /// excluded (the box's width is the dot's width in pixels).
    static std::array<QRect, 2> ColonDots(const Metrics &m, int j);
    /// The decimal point in front of cell j; empty when the spacing is below 3.
    static QRect PointRect(const Metrics &m, int j);

    /// The measures of this display at its current size and properties.
    Metrics metrics() const;
    int CellWidth() const { return metrics().W; }
    int CellLeft(int j) const { return CellLeft(metrics(), j); }
    QPolygon SegmentPolygon(int j, int segment) const
    {
        return SegmentPolygon(metrics(), j, segment);
    }

    /// The text shown, as filtered by setValue(); empty by default.
    QString Value() const { return m_value; }
    /// Stores a value: a..z become A..Z; a text with any character other than digits, blank,
    /// "-", ".", ":" and A..Z becomes empty; one trailing "." is dropped. Then redraws.
    void setValue(const QString &value);
    /// The writer's design name; the same as setValue().
    void SetValue(const QString &value) { setValue(value); }
    /// The value the picture shows (what the last drawing drew).
    QString PreviousValue() const { return m_previousValue; }

    /// Number of cells; 4 by default.
    int DigitNum() const { return m_digitNum; }
    /// Values outside 1..kMaxDigits are ignored: the width is divided by the number of cells.
    void setDigitNum(int digitNum);
    /// Gap in front of each cell, where the decimal points go; 5 by default.
    int DigitSpacing() const { return m_digitSpacing; }
    void setDigitSpacing(int spacing);
    /// Horizontal inset of the horizontal segments; 2 by default.
    int GapX() const { return m_gapX; }
    void setGapX(int gap);
    /// Vertical inset of the vertical segments in each half of a cell; 2 by default.
    int GapY() const { return m_gapY; }
    void setGapY(int gap);
    /// Segment thickness in pixels; 2 by default.
    int SegmentSize() const { return m_segmentSize; }
    void setSegmentSize(int size);
    /// Lit segments and points; lime by default.
    QColor OnColor() const { return m_onColor; }
    void setOnColor(const QColor &color);
    /// Unlit segments and points; black by default.
    QColor OffColor() const { return m_offColor; }
    void setOffColor(const QColor &color);
    /// Background; black by default.
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    /// Order and pacing of the segment drawing; anNone by default.
    TLCDAnimation Animation() const { return m_animation; }
    void setAnimation(TLCDAnimation animation) { m_animation = animation; }
    /// Time in ms that one animated change should take; 0 by default. Each of the 8 steps
    /// waits a seventh of it.
    int AnimationDelay() const { return m_animationDelay; }
    void setAnimationDelay(int delay) { m_animationDelay = delay; }
    /// Always abNone; setting abAbout shows the component's name and version.
    TLCDAbout About() const { return abNone; }
    void setAbout(TLCDAbout about);

    /// Draws the display into its canvas: the background, the picture of the value drawn last
    /// at once, then the cells that changed segment by segment, waiting after each step when
    /// animated and shown. Runs by itself when the value or a property of the look changes.
    void Paint();

    /// The wait between animation steps; the program hands in its pacer. An empty function
    /// restores the default, which sleeps without handling any event.
    void setWaiter(std::function<void(int ms)> waiter) { m_waiter = std::move(waiter); }
    /// The chance for anRandom: a number 0..n-1. Empty restores the global generator.
    void setRandom(std::function<int(int n)> random) { m_random = std::move(random); }
    /// The millisecond clock the waits are measured with. Empty restores the steady clock.
    void setClock(std::function<qint64()> msNow) { m_clock = std::move(msNow); }
    /// Shows the about text; by default an information box.
    void setAboutHook(std::function<void(const QString &title, const QString &text)> hook)
    {
        m_aboutHook = std::move(hook);
    }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Pace { Animated, AtOnce };
    enum class Redraw { AllCells, ChangedCells };

    void setInt(int &member, int value);
    void setColorMember(QColor &member, const QColor &color);
    void redraw(Pace pace);
    void drawPicture(Pace pace);
    int chooseOrder();
    bool DrawDigits(int order, int delay, Redraw redraw, const Cells &current,
                    const Cells &previous);
    void drawPoints(Redraw redraw, const Cells &current, const Cells &previous);
    void drawStep(int g, Redraw redraw, const Cells &current, const Cells &previous);
    void drawSegment(QPainter &painter, int j, int segment, const QColor &color) const;
    qint64 now() const;
    void wait(int ms);

    QString m_value;
    QString m_previousValue;
    int m_digitNum = 4;
    int m_digitSpacing = 5;
    int m_gapX = 2;
    int m_gapY = 2;
    int m_segmentSize = 2;
    QColor m_onColor{0x00, 0xFF, 0x00};
    QColor m_offColor{0x00, 0x00, 0x00};
    QColor m_color{0x00, 0x00, 0x00};
    TLCDAnimation m_animation = anNone;
    int m_animationDelay = 0;

    QImage m_canvas;           ///< the display's picture; paintEvent copies it out
    Metrics m_drawMetrics;     ///< the measures the drawing in progress uses
    bool m_paced = false;      ///< the drawing in progress shows and waits after each step
    bool m_drawing = false;    ///< a drawing is in progress (its waits may run events)
    bool m_drawAgain = false;  ///< something changed while drawing: draw once more after it
    QElapsedTimer m_steadyClock;
    std::function<void(int)> m_waiter;
    std::function<int(int)> m_random;
    std::function<qint64()> m_clock;
    std::function<void(const QString &, const QString &)> m_aboutHook;
};

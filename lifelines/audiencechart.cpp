// The audience's poll chart, built as a module of its own: the program loads it, and with it the
// chart library, only the first time the audience is asked.

#include "audiencepane.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QFont>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kBevel = 2;          // the panel's raised bevel, left uncovered
constexpr qreal kArrow = 8;        // from a bar's top up to its mark
constexpr qreal kBarWidth = 0.7;   // of a category's width
constexpr qreal kMarksZ = 100;     // above the bars and the axes

QFont arial(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(false);
    return font;
}

// The value axis runs from 0 to a round number of at most five steps, some 40 % above the
// tallest bar, so that the tallest mark still has room above its bar.
struct Scale {
    int top;
    int step;
};

Scale scaleFor(int tallest)
{
    const int wanted = tallest * 7 / 5 + 1;
    int step = 1;
    for (int candidate : std::array{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}) {
        step = candidate;
        if ((wanted + step - 1) / step <= 5)
            break;
    }
    return {(wanted + step - 1) / step * step, step};
}

/// The chart that fills the audience panel, made on the first poll and kept for the next ones.
class PollChart : public QChartView
{
    Q_OBJECT

public:
    explicit PollChart(QWidget *panel);
    void showPoll(const QList<AudienceBar> &bars, const QStringList &marks);

private:
    /// A bar's mark: an arrow up from the bar's top and a box with the text on it.
    struct Mark {
        QGraphicsLineItem *arrow = nullptr;
        QGraphicsRectItem *box = nullptr;
    };

    void setUpLook();
    void setUpAxes();
    void replaceMarks(const QStringList &texts);
    void placeMarks();

    QChart *m_chart = new QChart;
    QStackedBarSeries *m_series = new QStackedBarSeries;
    QBarCategoryAxis *m_letters = new QBarCategoryAxis;
    QValueAxis *m_votes = new QValueAxis;
    QList<qreal> m_values; ///< the shares in per cent of the bars on show, in order
    QList<Mark> m_marks;   ///< one per bar, in the same order
};

PollChart::PollChart(QWidget *panel)
    : QChartView(panel)
{
    setChart(m_chart);
    setFrameShape(QFrame::NoFrame);
    // The chart is to be looked at: clicked or scrolled, it must not take the keyboard, which
    // Qt would hand to answer A when the panel hides, for a stray Enter to answer it.
    setFocusPolicy(Qt::NoFocus);
    for (QWidget *part : findChildren<QWidget *>())
        part->setFocusPolicy(Qt::NoFocus);
    setUpLook();
    m_series->setBarWidth(kBarWidth);
    m_chart->addSeries(m_series);
    setUpAxes();
    // The marks are not part of the chart's layout: put them back whenever it lays out anew.
    connect(m_chart, &QChart::plotAreaChanged, this, &PollChart::placeMarks);
}

void PollChart::setUpLook()
{
    m_chart->setMargins(QMargins());
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_chart->setBackgroundBrush(Qt::black);
    m_chart->setBackgroundPen(Qt::NoPen);
    m_chart->setDropShadowEnabled(false);
    m_chart->setPlotAreaBackgroundBrush(Qt::white);
    m_chart->setPlotAreaBackgroundPen(QPen(Qt::black));
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->setTitle(QStringLiteral("Мнения аудитории:"));
    m_chart->setTitleFont(arial(16));
    m_chart->setTitleBrush(QColor(0x00, 0xFF, 0x00));
    m_chart->legend()->hide();
    m_chart->setAnimationOptions(QChart::NoAnimation);
}

void PollChart::setUpAxes()
{
    // Axis texts sit on the black background around the white plot area.
    for (QAbstractAxis *axis : QList<QAbstractAxis *>{m_letters, m_votes}) {
        axis->setLabelsFont(arial(10));
        axis->setLabelsColor(Qt::white);
        axis->setLinePenColor(Qt::white);
        axis->setGridLineColor(QColor(0xC0, 0xC0, 0xC0));
    }
    m_letters->setGridLineVisible(false);
    // The bars stand at their shares of the votes shown, as the marks say them.
    m_votes->setLabelFormat(QStringLiteral("%d %%"));
    m_chart->addAxis(m_letters, Qt::AlignBottom);
    m_chart->addAxis(m_votes, Qt::AlignLeft);
    m_series->attachAxis(m_letters);
    m_series->attachAxis(m_votes);
}

void PollChart::showPoll(const QList<AudienceBar> &bars, const QStringList &marks)
{
    setGeometry(parentWidget()->rect().adjusted(kBevel, kBevel, -kBevel, -kBevel));
    m_series->clear();
    m_values.clear();
    QStringList letters;
    int total = 0;
    for (const AudienceBar &bar : bars)
        total += bar.votes;
    // Stacked, each bar its own set holding its share in its own category and nothing in the
    // others: so every bar has a colour of its own.
    for (qsizetype i = 0; i < bars.size(); ++i) {
        auto *set = new QBarSet(bars[i].label);
        set->setColor(bars[i].colour);
        set->setBorderColor(Qt::black);
        QList<qreal> values(bars.size(), 0);
        values[i] = total > 0 ? 100.0 * bars[i].votes / total : 0;
        set->append(values);
        m_series->append(set);
        m_values.append(values[i]);
        letters.append(bars[i].label);
    }
    m_letters->setCategories(letters);
    const qreal tallest = m_values.isEmpty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
    const Scale scale = scaleFor(int(std::ceil(tallest)));
    m_votes->setRange(0, scale.top);
    m_votes->setTickCount(scale.top / scale.step + 1);
    replaceMarks(marks);
    placeMarks();
    show();
}

void PollChart::replaceMarks(const QStringList &texts)
{
    for (const Mark &mark : std::as_const(m_marks)) {
        delete mark.arrow;
        delete mark.box;
    }
    m_marks.clear();
    for (const QString &text : texts) {
        Mark mark{new QGraphicsLineItem(m_chart), new QGraphicsRectItem(m_chart)};
        mark.arrow->setPen(QPen(Qt::black));
        mark.box->setPen(QPen(Qt::black));
        mark.box->setBrush(QColor(0xFF, 0xFF, 0xE1));
        auto *label = new QGraphicsSimpleTextItem(text, mark.box);
        label->setFont(arial(11));
        label->setPos(2, 1);
        mark.box->setRect(QRectF(QPointF(0, 0), label->boundingRect().size() + QSizeF(4, 2)));
        mark.arrow->setZValue(kMarksZ);
        mark.box->setZValue(kMarksZ);
        m_marks.append(mark);
    }
}

void PollChart::placeMarks()
{
    for (qsizetype i = 0; i < m_marks.size() && i < m_values.size(); ++i) {
        const QPointF top = m_chart->mapToPosition(QPointF(i, m_values[i]), m_series);
        const QPointF tip = top - QPointF(0, kArrow);
        m_marks[i].arrow->setLine(QLineF(top, tip));
        const QRectF box = m_marks[i].box->rect();
        m_marks[i].box->setPos(tip - QPointF(box.width() / 2, box.height()));
    }
}

} // namespace

/// Fills panel with the poll chart, made on the first poll and reused by the next ones.
extern "C" Q_DECL_EXPORT void tallory_audience(QWidget *panel, const QList<AudienceBar> &bars,
                                               const QStringList &marks)
{
    auto *chart = panel->findChild<PollChart *>();
    if (!chart)
        chart = new PollChart(panel);
    chart->showPoll(bars, marks);
}

#include "audiencechart.moc"

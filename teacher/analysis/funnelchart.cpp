#include "funnelchart.h"

#include "countaxes.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int kLevels = 15;
const QColor kReachedColor(0x9D, 0xB9, 0xD8);
const QColor kPassedColor(0x3A, 0x6E, 0xA5);

} // namespace

FunnelChart::FunnelChart(QWidget *parent)
    : QChartView(parent)
{
    m_reached = new QBarSet(QStringLiteral("Дошли"));
    m_reached->setColor(kReachedColor);
    m_passed = new QBarSet(QStringLiteral("Прошли"));
    m_passed->setColor(kPassedColor);
    QStringList categories;
    for (int level = 1; level <= kLevels; ++level) {
        m_reached->append(0);
        m_passed->append(0);
        categories.append(QString::number(level));
    }
    auto *series = new QBarSeries;
    series->append(m_reached);
    series->append(m_passed);

    auto *chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("Сколько игр дошли до уровня и прошли его"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    // A refresh after each game redraws the chart; an animation would replay every time.
    chart->setAnimationOptions(QChart::NoAnimation);
    m_axisY = AttachCountAxes(chart, series, categories, QStringLiteral("Уровень"));
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
}

void FunnelChart::setLevels(const std::array<LevelFigures, 16> &levels)
{
    m_levels = levels;
    m_drawn = false;
    // The chart lays itself out anew for every bar changed: a chart nobody sees waits.
    if (isVisible())
        drawLevels();
}

void FunnelChart::showEvent(QShowEvent *event)
{
    QChartView::showEvent(event);
    if (!m_drawn)
        drawLevels();
}

void FunnelChart::drawLevels()
{
    m_drawn = true;
    int top = 1;
    for (int level = 1; level <= kLevels; ++level) {
        const LevelFigures &f = m_levels[size_t(level)];
        m_reached->replace(level - 1, f.reached);
        m_passed->replace(level - 1, f.passed);
        top = std::max({top, f.reached, f.passed});
    }
    SetCountRange(m_axisY, top, false);
}

int FunnelChart::reached(int level) const
{
    return int(m_reached->at(level - 1));
}

int FunnelChart::passed(int level) const
{
    return int(m_passed->at(level - 1));
}

#include "gradechart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

namespace {

const QColor kBarColor(0x3A, 0x6E, 0xA5);

} // namespace

GradeChart::GradeChart(QWidget *parent)
    : QChartView(parent)
{
    m_set = new QBarSet(QStringLiteral("Учеников"));
    m_set->setColor(kBarColor);
    m_set->setLabelColor(Qt::black);
    for (int g = 0; g < kGradeCount; ++g)
        m_set->append(0);
    auto *series = new QBarSeries;
    series->append(m_set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);

    auto *chart = new QChart;
    chart->addSeries(series);
    chart->legend()->hide();
    // Each change of the filter redraws the chart; an animation would lag behind the typing.
    chart->setAnimationOptions(QChart::NoAnimation);

    auto *axisX = new QBarCategoryAxis;
    axisX->append(GradeTitles());
    axisX->setTitleText(QStringLiteral("Оценка"));
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    m_axisY = new QValueAxis;
    m_axisY->setLabelFormat(QStringLiteral("%d"));
    m_axisY->setRange(0, 1);
    m_axisY->setTickCount(2);
    chart->addAxis(m_axisY, Qt::AlignLeft);
    series->attachAxis(m_axisY);

    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setSubject(QStringLiteral("все занятия"));
}

void GradeChart::setCounts(const Counts &counts)
{
    if (counts == m_counts)
        return;
    m_counts = counts;
    for (int g = 0; g < kGradeCount; ++g)
        m_set->replace(g, counts[size_t(g)]);
    // Whole pupils on the axis, with room above the tallest bar for its label.
    const int top = std::max(1, *std::max_element(counts.begin(), counts.end()));
    const int step = std::max(1, (top + 4) / 5);
    const int max = ((top + step) / step) * step;
    m_axisY->setRange(0, max);
    m_axisY->setTickCount(max / step + 1);
}

void GradeChart::setSubject(const QString &subject)
{
    if (subject == m_subject)
        return;
    m_subject = subject;
    chart()->setTitle(QStringLiteral("Оценки: ") + subject);
}

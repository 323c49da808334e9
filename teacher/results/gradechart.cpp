#include "gradechart.h"

#include "countaxes.h"

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

    m_axisY = AttachCountAxes(chart, series, GradeTitles(), QStringLiteral("Оценка"));

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
    SetCountRange(m_axisY, *std::max_element(counts.begin(), counts.end()), true);
}

void GradeChart::setSubject(const QString &subject)
{
    if (subject == m_subject)
        return;
    m_subject = subject;
    chart()->setTitle(QStringLiteral("Оценки: ") + subject);
}

#pragma once
// How many pupils earned each grade: one bar per grade, from "Неудовлетворительно" to "Отлично".

#include "resultsmerge.h"

#include <QChartView>
#include <QString>

#include <array>

class QBarCategoryAxis;
class QBarSet;
class QValueAxis;

class GradeChart : public QChartView
{
    Q_OBJECT

public:
    using Counts = std::array<int, kGradeCount>;

    explicit GradeChart(QWidget *parent = nullptr);

    /// The number of records of each grade, in Grade order.
    void setCounts(const Counts &counts);
    Counts counts() const { return m_counts; }

    /// What the counts are of, shown as the chart's title.
    void setSubject(const QString &subject);
    QString subject() const { return m_subject; }

private:
    Counts m_counts{};
    QString m_subject;
    QBarSet *m_set = nullptr;    ///< the one set: a value per grade
    QValueAxis *m_axisY = nullptr; ///< pupils, whole numbers from 0
};

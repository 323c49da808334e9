#include "countaxes.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

QValueAxis *AttachCountAxes(QChart *chart, QAbstractBarSeries *series, const QStringList &categories,
                            const QString &categoryTitle)
{
    auto *axisX = new QBarCategoryAxis;
    axisX->append(categories);
    axisX->setTitleText(categoryTitle);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto *axisY = new QValueAxis;
    axisY->setLabelFormat(QStringLiteral("%d"));
    axisY->setRange(0, 1);
    axisY->setTickCount(2);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    return axisY;
}

void SetCountRange(QValueAxis *axis, int top, bool roomAbove)
{
    top = std::max(1, top);
    const int step = std::max(1, (top + 4) / 5);
    const int max = ((top + (roomAbove ? step : step - 1)) / step) * step;
    axis->setRange(0, max);
    axis->setTickCount(max / step + 1);
}

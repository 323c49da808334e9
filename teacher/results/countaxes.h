#pragma once
// The axes of the workbench's bar charts of counts (pupils, games): named categories along the
// bottom, whole numbers up the left in a few ticks.

#include <QString>
#include <QStringList>

class QAbstractBarSeries;
class QChart;
class QValueAxis;

/// Adds the two axes to chart and attaches series to them; returns the count axis.
QValueAxis *AttachCountAxes(QChart *chart, QAbstractBarSeries *series, const QStringList &categories,
                            const QString &categoryTitle);

/// Whole numbers from 0 past top in about five steps; with roomAbove a step is left above the
/// tallest bar, for the label a bar carries.
void SetCountRange(QValueAxis *axis, int top, bool roomAbove);

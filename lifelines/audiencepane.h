#pragma once
// The audience's poll chart in its panel. The chart library is large, so the chart lives in a
// module next to the program, loaded the first time the audience is asked.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

/// One bar of the poll: the answer's letter, its votes and its colour.
struct AudienceBar {
    QString label;
    int votes = 0;
    QColor colour;
};

/// Fills panel with the poll chart (made on first use, kept for later polls) showing bars, in
/// their order, each marked with its label and its share of the votes shown.
void ShowAudienceChart(QWidget *panel, const QList<AudienceBar> &bars);

/// A share of votes in total as a mark shows it: at most two decimals, trailing zeros dropped,
/// then " %" ("40 %", "33,33 %", "12,5 %"). No votes at all are a share of "0 %".
QString AudiencePercent(int votes, int total);

/// The marks of bars, in their order: each label, a space and its share of all their votes.
QStringList AudienceMarks(const QList<AudienceBar> &bars);

/// Loads the chart from the module at path rather than the one beside the executable; takes
/// effect only before the first poll.
void SetAudienceChartModule(const QString &path);

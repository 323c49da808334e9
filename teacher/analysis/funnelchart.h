#pragma once
// Where the class falls: for each level of the ladder, how many games reached it and how many
// passed it, two bars side by side, narrowing as the ladder climbs.

#include "answeranalysis.h"

#include <QChartView>

class QBarSet;
class QValueAxis;

class FunnelChart : public QChartView
{
    Q_OBJECT

public:
    explicit FunnelChart(QWidget *parent = nullptr);

    /// Shows these figures; on a page in the back, once the chart is seen.
    void setLevels(const std::array<LevelFigures, 16> &levels);
    /// The bars as drawn, [1..15]: games that reached the level and games that passed it.
    int reached(int level) const;
    int passed(int level) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void drawLevels();

    std::array<LevelFigures, 16> m_levels{};
    bool m_drawn = true; ///< the bars show m_levels
    QBarSet *m_reached = nullptr;
    QBarSet *m_passed = nullptr;
    QValueAxis *m_axisY = nullptr; ///< games, whole numbers from 0
};

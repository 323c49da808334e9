#include "tablefit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace {

// Shares `extra` pixels (taken away when negative) among the columns of weight above 0, a pixel
// at a time to the column narrowest (from the widest) for its weight: widths tend to be in
// proportion to the weights, and none falls below its least.
QList<int> shareWidth(QList<int> widths, const QList<int> &least, const QList<int> &weights, int extra)
{
    const int step = extra > 0 ? 1 : -1;
    for (; extra != 0; extra -= step) {
        int chosen = -1;
        for (int c = 0; c < widths.size(); ++c) {
            if (weights.value(c) <= 0 || (step < 0 && widths[c] <= least[c]))
                continue;
            // widths[c] / weights[c] against the chosen one's, without division.
            const qint64 mine = qint64(widths[c]) * weights[chosen < 0 ? c : chosen];
            const qint64 theirs = chosen < 0 ? mine : qint64(widths[chosen]) * weights[c];
            if (chosen < 0 || (step > 0 ? mine < theirs : mine > theirs))
                chosen = c;
        }
        if (chosen < 0)
            break;
        widths[chosen] += step;
    }
    return widths;
}

} // namespace

TableFit::TableFit(QTableView *table, QList<int> weights)
    : QObject(table), m_table(table), m_weights(std::move(weights))
{
    QHeaderView *header = table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    table->viewport()->installEventFilter(this);
}

void TableFit::setPreferred(QList<int> widths)
{
    m_preferred = std::move(widths);
    fit();
}

QList<int> TableFit::leastWidths() const
{
    // The header's own hint: the title with the header's margins and room for a sort mark.
    const QHeaderView *header = m_table->horizontalHeader();
    QList<int> least;
    for (int c = 0; c < header->count(); ++c)
        least.append(header->isSectionHidden(c) ? 0 : std::max(header->sectionSizeHint(c), header->minimumSectionSize()));
    return least;
}

void TableFit::fit()
{
    QHeaderView *header = m_table->horizontalHeader();
    const QList<int> least = leastWidths();
    QList<int> widths;
    QList<int> weights;
    int total = 0;
    for (int c = 0; c < header->count(); ++c) {
        const bool shown = !header->isSectionHidden(c);
        widths.append(shown ? std::max(least[c], m_preferred.value(c)) : 0);
        weights.append(shown ? m_weights.value(c) : 0);
        total += widths.back();
    }
    widths = shareWidth(widths, least, weights, m_table->viewport()->width() - total);
    for (int c = 0; c < header->count(); ++c) {
        if (!header->isSectionHidden(c) && header->sectionSize(c) != widths[c])
            header->resizeSection(c, widths[c]);
    }
}

bool TableFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize)
        fit();
    return QObject::eventFilter(watched, event);
}

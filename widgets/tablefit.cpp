#include "tablefit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace {

// Shares `extra` pixels (taken away when negative) among the widths by weight; no width falls
// below its least.
QList<int> shareWidth(QList<int> widths, const QList<int> &least, const QList<int> &weights, int extra)
{
    // Rounds down each share and goes round again with what is left, so the widths add up to
    // the room exactly; a column at its least drops out of the sharing.
    while (extra != 0) {
        int weightSum = 0;
        for (int c = 0; c < widths.size(); ++c) {
            if (weights.value(c) > 0 && (extra > 0 || widths[c] > least[c]))
                weightSum += weights[c];
        }
        if (weightSum == 0)
            break;
        int shared = 0;
        for (int c = 0; c < widths.size() && shared != extra; ++c) {
            if (weights.value(c) <= 0 || (extra < 0 && widths[c] <= least[c]))
                continue;
            int share = extra * weights[c] / weightSum;
            if (share == 0)
                share = extra > 0 ? 1 : -1;
            share = extra > 0 ? std::min(share, extra - shared) : std::max({share, extra - shared, least[c] - widths[c]});
            widths[c] += share;
            shared += share;
        }
        extra -= shared;
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

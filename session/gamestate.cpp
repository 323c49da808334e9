#include "gamestate.h"

#include "randomsource.h"

namespace {
constexpr std::array<int, kLevels + 1> kPoints = {0,     100,    200,    300,    500,    1000,   2000,   4000,
                                                  8000,  16000,  32000,  64000,  125000, 250000, 500000, 1000000};

// Points with "." between thousands: 1000000 reads 1.000.000.
QByteArray withThousands(int value)
{
    QByteArray digits = QByteArray::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, '.');
    return digits;
}
} // namespace

int PointsTable(int level)
{
    Q_ASSERT(level >= 1 && level <= kLevels);
    if (level < 1 || level > kLevels)
        return 0;
    return kPoints[static_cast<size_t>(level)];
}

bool IsMilestone(int level)
{
    return level == 5 || level == 10 || level == 15;
}

QByteArray LadderRowText(int level)
{
    QByteArray row = QByteArray::number(level).rightJustified(3, ' ') + " - "
        + withThousands(PointsTable(level)).rightJustified(9, ' ');
    if (IsMilestone(level))
        row += " - " + QByteArray::number(level / 5 + 2);
    return row;
}

void AdvanceCounters(GameState &state)
{
    state.RemarkIndex += 1;
    if (state.RemarkIndex >= 10 || state.RemarkIndex < 1)
        state.RemarkIndex = 1;
    state.SoundIndex += 1;
    if (state.SoundIndex >= 5 || state.SoundIndex < 1)
        state.SoundIndex = 1;
}

QByteArray NextField(QByteArray &remainder)
{
    const qsizetype bar = remainder.indexOf('|');
    if (bar < 0)
        return remainder;
    QByteArray field = remainder.left(bar);
    remainder = remainder.mid(bar + 1);
    return field;
}

QByteArray ShuffleAnswers(RandomSource &random)
{
    QByteArray order;
    while (order.size() < 4) {
        const int r = random.below(5);
        if (r >= 1 && !order.contains(static_cast<char>('0' + r)))
            order.append(static_cast<char>('0' + r));
    }
    return order;
}

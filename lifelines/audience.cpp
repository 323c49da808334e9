#include "audience.h"

QList<AudienceBar> AudienceBars(const std::array<int, 5> &votes, const std::array<QString, 5> &captions)
{
    static const std::array<QColor, 5> colours = {QColor(), QColor(0xFF, 0x00, 0x00), QColor(0x00, 0xFF, 0x00),
                                                  QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0xFF, 0x00)};
    QList<AudienceBar> bars;
    for (size_t b = 1; b <= 4; ++b) {
        // A blanked answer keeps its votes but shows no bar.
        if (captions[b].isEmpty())
            continue;
        bars.append({QString(QLatin1Char(static_cast<char>('A' + b - 1))), votes[b], colours[b]});
    }
    return bars;
}

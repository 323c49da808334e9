#include "largeprint.h"

#include <cmath>

namespace {
constexpr int kLadderTop = 45;
constexpr int kAnswerBottomGap = 52; // from the screen's bottom edge to the lower answers' bottom
constexpr int kAnswerGap = 4;
constexpr int kQuestionGap = 8;

int scaled(int value, double scale)
{
    return int(std::lround(value * scale));
}

bool fits(const GameLayout &g, QSize screen)
{
    const int ladderBottom = kLadderTop + g.ladderHeight;
    return g.profile.ladderLeft >= 0 && ladderBottom + kQuestionGap <= g.profile.questionTop
           && g.profile.questionTop + g.questionHeight + kQuestionGap <= g.answerRows[0]
           && g.profile.ladderLeft + g.profile.ladderWidth <= screen.width();
}
} // namespace

GameLayout LayOutGame(const LayoutProfile &profile, QSize screen, double scale)
{
    GameLayout g;
    g.scale = scale;
    g.profile = profile;
    g.normal = profile;
    g.profile.answerFont = scaled(profile.answerFont, scale);
    g.profile.questionFont = scaled(profile.questionFont, scale);
    g.profile.ladderWidth = scaled(profile.ladderWidth, scale);
    g.profile.ladderLeft = profile.ladderLeft + profile.ladderWidth - g.profile.ladderWidth;
    g.profile.rowIndent = scaled(profile.rowIndent, scale);
    g.profile.boardHeight = scaled(profile.boardHeight, scale);
    g.answerHeight = scaled(28, scale);
    g.answerRows[1] = screen.height() - kAnswerBottomGap - g.answerHeight;
    g.answerRows[0] = g.answerRows[1] - kAnswerGap - g.answerHeight;
    g.questionHeight = scaled(70, scale);
    g.rowHeight = scaled(15, scale);
    g.ladderHeight = 15 * g.rowHeight + 4;
    // At the normal size the profile's place for the question stands as it is; in large print
    // the question takes the room down to the answers, for its larger lines.
    if (scale > 1.0) {
        g.profile.questionTop = std::min(profile.questionTop, g.answerRows[0] - kQuestionGap - g.questionHeight);
        g.questionHeight = g.answerRows[0] - kQuestionGap - g.profile.questionTop;
    }
    return g;
}

double LargePrintScale(const LayoutProfile &profile, QSize screen)
{
    for (int step = 10; step >= 1; --step) {
        const double scale = 1.0 + 0.05 * step;
        if (fits(LayOutGame(profile, screen, scale), screen))
            return scale;
    }
    return 1.0;
}

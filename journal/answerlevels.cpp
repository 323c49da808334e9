// «Предложить уровни»: where each question belongs by the class's answers. A level's typical
// share right is the median of its questions' shares, so one misplaced question does not drag
// its level along; the typical shares are then made to climb (a higher level never easier than
// a lower one) before any question is moved to the level whose share is nearest its own.

#include "answeranalysis.h"

#include <algorithm>
#include <cmath>

namespace {

struct Level {
    std::vector<double> shares; ///< of its questions that answered enough
    double typical = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Pools adjacent levels that break the climb (pool adjacent violators, weighted by their
// questions), so that the typical share never rises with the level.
void makeClimb(std::array<Level, 16> &levels)
{
    struct Block {
        double value;
        double weight;
        std::vector<int> levels;
    };
    std::vector<Block> blocks;
    for (int l = 1; l <= 15; ++l) {
        Level &level = levels[static_cast<size_t>(l)];
        if (level.shares.empty())
            continue;
        blocks.push_back({level.typical, static_cast<double>(level.shares.size()), {l}});
        while (blocks.size() > 1 && blocks[blocks.size() - 2].value < blocks.back().value) {
            Block top = blocks.back();
            blocks.pop_back();
            Block &below = blocks.back();
            below.value = (below.value * below.weight + top.value * top.weight) / (below.weight + top.weight);
            below.weight += top.weight;
            below.levels.insert(below.levels.end(), top.levels.begin(), top.levels.end());
        }
    }
    for (const Block &b : blocks) {
        for (int l : b.levels)
            levels[static_cast<size_t>(l)].typical = b.value;
    }
}

// The level whose typical share is nearest share; of two as near, the one nearer from.
int nearestLevel(const std::array<Level, 16> &levels, double share, int from)
{
    int best = 0;
    for (int l = 1; l <= 15; ++l) {
        if (levels[static_cast<size_t>(l)].shares.empty())
            continue;
        const double d = std::abs(levels[static_cast<size_t>(l)].typical - share);
        const double bestD = best ? std::abs(levels[static_cast<size_t>(best)].typical - share) : 2.0;
        if (!best || d < bestD - 1e-12 || (std::abs(d - bestD) <= 1e-12 && std::abs(l - from) < std::abs(best - from)))
            best = l;
    }
    return best;
}

QString percent(double share)
{
    return QStringLiteral("%1 %").arg(qRound(share * 100));
}

QString moveReason(const QuestionFigures &q, const LevelMove &move, const std::array<Level, 16> &levels,
                   const AnalysisSettings &settings)
{
    // Two standard errors of a share measured on n answers are at most 1/sqrt(n): a difference
    // beyond that is not one student more or less.
    const double spread = 1.0 / std::sqrt(static_cast<double>(q.answered));
    const QString enough = spread < settings.margin
                               ? QStringLiteral("меньше порога %1 п. п., так что разница не случайна.")
                               : QStringLiteral("не меньше порога %1 п. п., так что разница может быть случайной.");
    return QStringLiteral("Верно ответили %1 (%2 из %3) — так отвечают на уровне %4 (обычно %5), а на уровне %6 "
                          "обычно %7. Ответов %3, нужно не меньше %8: при стольких ответах доля случайно колеблется "
                          "не больше чем на %9 п. п., ")
               .arg(percent(q.rightShare()))
               .arg(q.chosen[1])
               .arg(q.answered)
               .arg(move.toLevel)
               .arg(percent(levels[static_cast<size_t>(move.toLevel)].typical))
               .arg(move.fromLevel)
               .arg(percent(levels[static_cast<size_t>(move.fromLevel)].typical))
               .arg(settings.minAnswersToMove)
               .arg(qRound(spread * 100))
           + enough.arg(qRound(settings.margin * 100));
}

} // namespace

QList<LevelMove> ProposeLevels(const LessonAnalysis &analysis, const AnalysisSettings &settings)
{
    const int enough = std::max(1, settings.minAnswersToMove);
    const auto counts = [&](const QuestionFigures &q) { return q.level >= 1 && q.level <= 15 && q.answered >= enough; };
    std::array<Level, 16> levels{};
    for (const QuestionFigures &q : analysis.questions) {
        if (counts(q))
            levels[static_cast<size_t>(q.level)].shares.push_back(q.rightShare());
    }
    for (Level &level : levels) {
        if (!level.shares.empty())
            level.typical = median(level.shares);
    }
    makeClimb(levels);
    QList<LevelMove> moves;
    for (const QuestionFigures &q : analysis.questions) {
        if (!counts(q) || std::abs(q.rightShare() - levels[static_cast<size_t>(q.level)].typical) <= settings.margin)
            continue;
        const int to = nearestLevel(levels, q.rightShare(), q.level);
        if (to == q.level || to == 0)
            continue;
        LevelMove move{q.sha256, q.question, q.bankIndex, q.level, to, q.rightShare(), q.answered, {}};
        move.reason = moveReason(q, move, levels, settings);
        moves << move;
    }
    return moves;
}

// The judgements the analysis makes from the figures alone: the flags of a question and the
// moves that make the ladder climb. Nothing here reads a file, so the teacher's thresholds can
// be changed and the flags redrawn without reading the journals again.

#include "answeranalysis.h"
#include "answertally.h"

#include <algorithm>
#include <cmath>

namespace {

QString percent(double share)
{
    return QStringLiteral("%1 %").arg(qRound(share * 100));
}

QString points(double difference)
{
    return QString::number(qRound(std::abs(difference) * 100));
}

// The answers to the other questions of a level, right and all, as one pool.
struct Pool {
    int right = 0;
    int answered = 0;
};

std::array<Pool, 17> levelPools(const LessonAnalysis &analysis)
{
    std::array<Pool, 17> pools{};
    for (const QuestionFigures &q : analysis.questions) {
        if (q.level < 1 || q.level > 15)
            continue;
        pools[static_cast<size_t>(q.level)].right += q.chosen[1];
        pools[static_cast<size_t>(q.level)].answered += q.answered;
    }
    return pools;
}

// The share right of a question's level and the levels just below and above, each level
// counted once (a lower level has more answers only because more students reach it), the
// question itself left out. Nothing when none of them has other answers.
std::optional<double> neighbourShare(const QuestionFigures &q, const std::array<Pool, 17> &pools)
{
    double sum = 0;
    int levels = 0;
    for (int level = q.level - 1; level <= q.level + 1; ++level) {
        if (level < 1 || level > 15)
            continue;
        Pool pool = pools[static_cast<size_t>(level)];
        if (level == q.level) {
            pool.right -= q.chosen[1];
            pool.answered -= q.answered;
        }
        if (pool.answered <= 0)
            continue;
        sum += static_cast<double>(pool.right) / pool.answered;
        ++levels;
    }
    return levels ? std::optional<double>(sum / levels) : std::nullopt;
}

QString answerName(const QuestionFigures &q, int k)
{
    const QString &text = q.answers[static_cast<size_t>(k)];
    const QString which = k == 1 ? QStringLiteral("верный ответ") : QStringLiteral("неверный ответ %1").arg(k - 1);
    return text.isEmpty() ? which : which + QStringLiteral(" «") + text + QStringLiteral("»");
}

std::optional<QuestionFlag> wrongBeatsRight(const QuestionFigures &q)
{
    int worst = 0;
    for (int k = 2; k <= 4; ++k) {
        if (q.chosen[static_cast<size_t>(k)] > q.chosen[1] && (!worst || q.chosen[static_cast<size_t>(k)] > q.chosen[static_cast<size_t>(worst)]))
            worst = k;
    }
    if (!worst)
        return std::nullopt;
    const int wrong = q.chosen[static_cast<size_t>(worst)];
    // One pass over the pattern: a text of the bank with "%2" in it stays as it is.
    const auto n = [](int v) { return QString::number(v); };
    QString reason = QStringLiteral("%1 выбран чаще верного: %2 ответов (%3 из %4), а %5 — %6 (%7 из %4). ")
                         .arg(answerName(q, worst), percent(q.share(worst)), n(wrong), n(q.answered),
                              answerName(q, 1), percent(q.rightShare()), n(q.chosen[1]));
    reason[0] = reason[0].toUpper();
    reason += QStringLiteral("До этого вопроса доходят только те, кто верно ответил на все вопросы ниже, так что "
                             "дело, скорее всего, не в слабом классе, а в неверном ключе или двусмысленном вопросе.");
    return QuestionFlag{QuestionFlagKind::WrongBeatsRight, reason};
}

std::optional<QuestionFlag> apartFromLevel(const QuestionFigures &q, const std::array<Pool, 17> &pools,
                                           double margin)
{
    const std::optional<double> typical = neighbourShare(q, pools);
    if (!typical)
        return std::nullopt;
    const double difference = q.rightShare() - *typical;
    if (std::abs(difference) <= margin)
        return std::nullopt;
    const bool harder = difference < 0;
    const QString reason = QStringLiteral("Верно ответили %1 (%2 из %3), а на уровне %4 и соседних — в среднем %5: "
                                          "%6 на %7 п. п. (порог %8 п. п.).")
                               .arg(percent(q.rightShare()))
                               .arg(q.chosen[1])
                               .arg(q.answered)
                               .arg(q.level)
                               .arg(percent(*typical), harder ? QStringLiteral("ниже") : QStringLiteral("выше"),
                                    points(difference), points(margin));
    return QuestionFlag{harder ? QuestionFlagKind::Harder : QuestionFlagKind::Easier, reason};
}

std::optional<QuestionFlag> guessable(const QuestionFigures &q, const AnalysisSettings &settings)
{
    const double quick = static_cast<double>(q.quickRight) / q.answered;
    if (quick <= settings.quickShare)
        return std::nullopt;
    return QuestionFlag{QuestionFlagKind::Guessable,
                        QStringLiteral("Верно и быстрее чем за %1 мс ответили %2 из %3 (%4), больше порога %5: "
                                       "ответ, похоже, угадывается или подсказан самим вопросом.")
                            .arg(settings.quickMs)
                            .arg(q.quickRight)
                            .arg(q.answered)
                            .arg(percent(quick), percent(settings.quickShare))};
}

} // namespace

QString FlagWord(QuestionFlagKind kind)
{
    switch (kind) {
    case QuestionFlagKind::WrongBeatsRight: return QStringLiteral("ключ?");
    case QuestionFlagKind::Harder: return QStringLiteral("трудный");
    case QuestionFlagKind::Easier: return QStringLiteral("лёгкий");
    case QuestionFlagKind::Guessable: return QStringLiteral("угадывается");
    }
    return QString();
}

double QuestionFigures::share(int k) const
{
    if (answered <= 0 || k < 1 || k > 4)
        return 0.0;
    return static_cast<double>(chosen[static_cast<size_t>(k)]) / answered;
}

void FlagQuestions(LessonAnalysis &analysis, const AnalysisSettings &settings)
{
    const std::array<Pool, 17> pools = levelPools(analysis);
    for (QuestionFigures &q : analysis.questions) {
        q.flags.clear();
        if (q.answered < std::max(1, settings.minAnswers))
            continue;
        for (const auto &flag :
             {wrongBeatsRight(q), apartFromLevel(q, pools, settings.margin), guessable(q, settings)}) {
            if (flag)
                q.flags << *flag;
        }
    }
}

qint64 MedianMs(std::vector<qint64> ms)
{
    if (ms.empty())
        return -1;
    const auto middle = ms.begin() + static_cast<std::ptrdiff_t>(ms.size() / 2);
    std::nth_element(ms.begin(), middle, ms.end());
    if (ms.size() % 2)
        return *middle;
    const qint64 upper = *middle;
    const qint64 lower = *std::max_element(ms.begin(), middle);
    return (lower + upper) / 2;
}

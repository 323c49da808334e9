#include "tallyfold.h"

#include <algorithm>

void TallyFold::add(const LessonTally &tally, TextReader texts)
{
    const int source = static_cast<int>(m_sources.size());
    m_sources.push_back(std::move(texts));
    for (const QuestionTally &t : tally.questions) {
        const QString key = QString::number(t.level) + QLatin1Char(':') + t.sha256;
        auto at = m_index.constFind(key);
        if (at == m_index.constEnd()) {
            at = m_index.insert(key, m_merged.size());
            m_merged.append(Merged{});
            m_merged.back().figures.level = t.level;
            m_merged.back().figures.sha256 = t.sha256;
        }
        Merged &m = m_merged[*at];
        QuestionFigures &f = m.figures;
        f.asked += t.asked;
        f.answered += t.answered;
        for (size_t k = 1; k <= 4; ++k) {
            f.chosen[k] += t.chosen[k];
            f.rightOnButton[k] += t.rightOnButton[k];
        }
        f.fiftyFifty += t.fiftyFifty;
        f.audience += t.audience;
        f.friendCalls += t.friendCalls;
        m.rightMs.insert(m.rightMs.end(), t.rightMs.begin(), t.rightMs.end());
        m.allMs.insert(m.allMs.end(), t.rightMs.begin(), t.rightMs.end());
        m.allMs.insert(m.allMs.end(), t.otherMs.begin(), t.otherMs.end());
        for (size_t k = 0; k <= 4; ++k) {
            if (!t.latest[k].isEmpty() && t.latest[k] > m.latest[k].mark)
                m.latest[k] = {t.latest[k], source, t.texts};
        }
    }
    for (size_t l = 1; l <= 15; ++l)
        m_leftOnScreen[l] += tally.leftOnScreen[l];
}

void TallyFold::fillTexts(Merged &m) const
{
    QuestionFigures &f = m.figures;
    for (size_t k = 0; k <= 4; ++k) {
        const Latest &latest = m.latest[k];
        if (latest.mark.isEmpty() || latest.source < 0)
            continue;
        QuestionTexts texts;
        if (latest.texts) {
            texts = *latest.texts;
        } else {
            const TextReader &read = m_sources[static_cast<size_t>(latest.source)];
            const auto shown = read ? read(latest.mark, f.level) : Result<ShownTexts>::failure(QString());
            if (!shown.ok())
                return;
            const ShownTexts &t = shown.value;
            texts.bankIndex = t.bankIndex;
            texts.question = t.question;
            const int button = k == 0 ? t.rightButton : t.clickedButton;
            texts.answers[k == 0 ? 1 : k] = t.onButton[static_cast<size_t>(std::clamp(button, 0, 4))];
        }
        if (k == 0) {
            f.bankIndex = texts.bankIndex;
            f.question = texts.question;
            f.answers[1] = texts.answers[1];
        } else {
            f.answers[k] = texts.answers[k];
        }
    }
}

void TallyFold::complete(LessonAnalysis &analysis, const AnalysisSettings &settings)
{
    for (Merged &m : m_merged) {
        fillTexts(m);
        m.figures.medianMs = MedianMs(std::move(m.allMs));
        m.figures.quickRight = static_cast<int>(
            std::count_if(m.rightMs.begin(), m.rightMs.end(), [&](qint64 ms) { return ms < settings.quickMs; }));
        analysis.questions << std::move(m.figures);
    }
    m_merged.clear();
    m_index.clear();
    CompleteAnalysis(analysis, m_leftOnScreen, settings);
}

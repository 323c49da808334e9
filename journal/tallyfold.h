#pragma once
// The one fold of the analysis's rules over the rows its sources return: the tallies of a
// lesson from every journal, or from the school's server, become the lesson's figures the same
// way. Counts are summed; the median is taken over every time; a right answer is quick by the
// teacher's threshold; a question's texts are those of the row that showed it last, and each
// wrong answer's those of the row that last chose it.

#include "answeranalysis.h"
#include "answertally.h"

#include <QHash>

#include <functional>

class TallyFold
{
public:
    /// Reads the texts of the row a mark names in one source. A reader notes its own failures
    /// for the teacher; the question it failed for keeps the texts found so far.
    using TextReader = std::function<Result<ShownTexts>(const RowMark &mark, int level)>;

    /// Adds one source's tally of the lesson; texts serves its questions whose tally did not
    /// read the texts along (may be empty when every one did).
    void add(const LessonTally &tally, TextReader texts);

    /// The lesson's questions, levels and flags in analysis (its games are the caller's).
    void complete(LessonAnalysis &analysis, const AnalysisSettings &settings);

private:
    struct Latest {
        RowMark mark;
        int source = -1;
        std::optional<QuestionTexts> texts;
    };
    struct Merged {
        QuestionFigures figures;
        std::vector<qint64> rightMs;
        std::vector<qint64> allMs;
        std::array<Latest, 5> latest{}; ///< as QuestionTally::latest, with where each is
    };
    void fillTexts(Merged &m) const;

    std::vector<TextReader> m_sources;
    QList<Merged> m_merged;
    QHash<QString, qsizetype> m_index; ///< level and hash -> m_merged
    std::array<int, 16> m_leftOnScreen{};
};

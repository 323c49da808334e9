#include "classanswers.h"

#include "journalfiles.h"
#include "journalreader.h"
#include "journalschema.h"

#include <QDeadlineTimer>

ClassAnswers GatherClassAnswers(const QString &programFolder, const QString &lesson, QByteArrayView questionLine,
                                int budgetMs)
{
    const QDeadlineTimer deadline(budgetMs);
    const QString question = QuestionSha256(questionLine);
    ClassAnswers answers;
    for (const QString &file : JournalFiles(programFolder)) {
        if (deadline.hasExpired())
            break;
        // A journal that another machine is busy checkpointing is waited for only as long as
        // the time left; after that it is passed over like one that cannot be read.
        const auto reader = JournalReader::open(file, static_cast<int>(deadline.remainingTime()));
        if (!reader.ok())
            continue;
        const auto counts = reader.value->chosenCounts(lesson, question);
        if (!counts.ok())
            continue;
        for (size_t k = 1; k <= 4; ++k)
            answers.chosen[k] += counts.value[k];
    }
    return answers;
}

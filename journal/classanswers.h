#pragma once
// How the class answered a question: the clicks of a lesson's games on each of its answers,
// gathered from every machine's journal in the program folder, for an audience that is the class.

#include <QByteArrayView>
#include <QString>

#include <array>

struct ClassAnswers {
    /// Clicks on each bank answer: [1] the right one, [2..4] wrong 1..3; row 0 unused.
    std::array<int, 5> chosen{};
    int total() const { return chosen[1] + chosen[2] + chosen[3] + chosen[4]; }
};

/// The answers this lesson's games (lesson as the journal keeps it) gave to the question whose
/// unscrambled bank line is questionLine, from the journals of programFolder (ending in "/"),
/// each opened read-only. A journal that cannot be read is left out, and so are those not
/// reached within budgetMs: the caller waits no longer than that, give or take one journal.
ClassAnswers GatherClassAnswers(const QString &programFolder, const QString &lesson, QByteArrayView questionLine,
                                int budgetMs);

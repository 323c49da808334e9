#pragma once
// Journals with answers known in advance, written through the game's own journal writer as a
// game would write them, for the analysis tests and the `tallory-results answers` tests alike.

#include "cp1251.h"
#include "gamejournal.h"
#include "journalfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace classjournals {

/// A question of a test bank, in Windows-1251: [1] the right answer, [2..4] the wrong ones.
struct Question {
    int level = 0;
    int index = 0;
    QByteArray text;
    std::array<QByteArray, 5> answers{};

    QByteArray line() const { return text + '|' + answers[1] + '|' + answers[2] + '|' + answers[3] + '|' + answers[4]; }
};

inline QByteArray w(const QString &text)
{
    return cp1251::encode(text).value_or(QByteArray());
}

inline Question question(int level, int index, const QString &text, const QString &right, const QString &wrong1,
                         const QString &wrong2, const QString &wrong3)
{
    return {level, index, w(text), {QByteArray(), w(right), w(wrong1), w(wrong2), w(wrong3)}};
}

/// One machine's journal in a program folder, written with clocks the builder moves itself.
class Writer
{
public:
    Writer(const QString &programFolder, const QString &machine) : bank(programFolder + QStringLiteral("bank.faq"))
    {
        QDir().mkpath(programFolder);
        // The journal keeps the hash of the bank played: there must be one to hash.
        QFile file(bank);
        if (file.open(QIODevice::WriteOnly))
            file.write("[1]\r\n");
        journal = std::make_unique<GameJournal>(programFolder, machine,
                                                JournalClock{[this] { return wall; }, [this] { return steady; }},
                                                JournalSync::Normal);
    }

    void start(const QString &lesson, const QString &student)
    {
        wall += 60000;
        journal->gameStarted({w(lesson), w(student), bank});
    }
    /// Shows a question with the bank answer order[p - 1] on button p.
    void show(const Question &q, const QByteArray &order = "1234")
    {
        journal->questionShown({q.level, q.index, q.line(), q.text, q.answers, order});
        shownOrder = order;
    }
    /// After ms, clicks the button holding bank answer `chosen` (1 the right one).
    void click(int chosen, qint64 ms)
    {
        wall += ms;
        steady += ms;
        journal->answered(static_cast<int>(shownOrder.indexOf(char('0' + chosen))) + 1);
    }
    void end(GameEnding how, int currentLevel) { journal->gameEnded(how, currentLevel); }

    QString bank;
    qint64 wall = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch();
    qint64 steady = 1000;
    std::unique_ptr<GameJournal> journal;
    QByteArray shownOrder;
};

/// The lesson ФИЗИКА as twenty students answered it (see classjournals.cpp for each game).
inline const QString kLesson = QStringLiteral("ФИЗИКА");
Question Q1();
Question Q2a();
Question Q2b();
Question Q3();
Question Q4();

/// Writes the twenty games of ФИЗИКА, each to the writer pick(game) returns (0..19).
void WriteClass(const std::function<Writer &(int game)> &pick);

/// The lesson ЛЕСТНИЦА in `games` games: five levels of three questions, games / 3 answers to
/// each; question 2 of level 1 is answered as a level 5 question is, and question 1 of level 5
/// as a level 1 one.
void WriteLadder(Writer &writer, int games);

} // namespace classjournals

#pragma once
// The data one game lives on, the points ladder and the cycling counters of the host's remarks.

#include <QByteArray>
#include <array>

class RandomSource;

/// The state of the game the main window holds for the whole run.
struct GameState {
    int CurrentLevel = 0;  ///< 0 no game; 1..15 the question on screen; 16 the last question won
    int SecuredPoints = 0; ///< 0 or a value of the points table
    int CorrectButton = 0; ///< 1..4 = A..D; 0 until the first question of the run
    std::array<QByteArray, 5> AnswerTexts; ///< [1..4] in bank order: [1] is the correct answer
    int RemarkIndex = 0;   ///< cycles 1..9; 0 before the first answer of a run
    int SoundIndex = 0;    ///< cycles 1..4; 0 before the first answer of a run
    QByteArray PlayerName; ///< upper case, Windows-1251
    QByteArray LessonCode; ///< upper case, Windows-1251
    QByteArray MusicName;  ///< "fon1", "fon2", "fon3" or empty
    int PhaseLength = 0;   ///< timer ticks between music restarts
    int PhaseTicks = 0;
};

/// The number of questions on the ladder.
inline constexpr int kLevels = 15;

/// The points of level 1..15; no row 0, and nothing outside 1..15 may be asked.
int PointsTable(int level);

/// The initial text of the ladder row of level 1..15, such as "  5 -     1.000 - 3".
QByteArray LadderRowText(int level);

/// Whether level is one of the milestones 5, 10 and 15.
bool IsMilestone(int level);

/// The advance made at every answer click, before anything is judged: RemarkIndex cycles
/// 1..9 and SoundIndex 1..4. Values outside their rows (from a store edited by hand) start
/// the cycle again rather than index the phrase tables out of range.
void AdvanceCounters(GameState &state);

/// Cuts the next "|"-separated field from the remainder of a question line; without a "|" the
/// whole remainder is the field and stays, so a short line repeats its last field.
QByteArray NextField(QByteArray &remainder);

/// The four digits "1".."4" in a random order: position p names the answer button p shows.
/// Digits are drawn from 0..4 and a 0 or a repeat is drawn again, so every order is equally likely.
QByteArray ShuffleAnswers(RandomSource &random);

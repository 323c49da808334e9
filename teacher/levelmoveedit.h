#pragma once
// An accepted level move carried out in the bank open in the editor. The journal knows a
// question by the hash of its bank line, so the question is found by that hash: a bank edited
// or reordered since the games were played still has its question found, and an edited
// question is never mistaken for another.

#include "answeranalysis.h"

#include <functional>
#include <optional>

class BankDocument;

/// Where a question stands in the open bank.
struct BankPlace {
    int level = 0;
    int row = 0;
};

/// The question whose line hashes to sha256 (SHA-256, hex, of its Windows-1251 bytes as the
/// bank holds it). The place the journal last saw it is tried first, then its level, then every
/// level, so that of two equal lines the one the games were asked is found.
std::optional<BankPlace> FindQuestionByHash(const BankDocument &doc, const QString &sha256, int level, int bankIndex);

/// Whether a move that would leave its level without a question may go on; it is told why not.
using EmptyingConsent = std::function<bool(const QString &why)>;

/// Why moving the question at place away would leave the game unable to play the bank, or an
/// empty text when its level keeps a question.
QString EmptiedLevelWarning(const BankDocument &doc, const BankPlace &place);

/// Moves the question to the move's level as one undo step. An empty text when done, else why
/// not, in Russian for the teacher. A move that would leave its level without a question is made
/// only when consent (asked with the reason) agrees; without consent it is never made.
QString ApplyLevelMove(BankDocument &doc, const LevelMove &move, const EmptyingConsent &consent = {});

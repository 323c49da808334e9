#pragma once
// The host's and the friends' words: constant tables of Windows-1251 texts with fixed index
// ranges. A lookup outside a table's rows gives an empty text rather than reading past it.

#include <QByteArray>

/// The host's remark after a correct answer, rows 1..9.
QByteArray CorrectPhrases(int row);
/// The jingle after a correct answer, a clip name, rows 1..4.
QByteArray CorrectSounds(int row);
/// The host's remark after a wrong answer, rows 1..4.
QByteArray WrongPhrases(int row);
/// The friend's reply format with at most one "%s", rows 1..9.
QByteArray FriendPhrases(int row);
/// The caption naming friend 1..14, ending in ":".
QByteArray FriendNames(int row);
/// The host's tease instead of judging, rows 6..15 (by level).
QByteArray DoubtPhrases(int level);

/// A friend's reply: the row's "%s" replaced by the answer text; a row without one unchanged.
QByteArray FormatFriendPhrase(int row, const QByteArray &answer);

#pragma once
// The rules of a bank file as the game reads it, shared by packing, unpacking and checking.

#include <QByteArrayView>

/// The levels of the ladder, each with its own section "[1]" … "[15]".
inline constexpr int kBankLevels = 15;

/// The separators of a question line: question|right|wrong|wrong|wrong|illustration.
inline constexpr int kQuestionSeparators = 5;

/// The level a line heads: 1 … 15 for exactly "[1]" … "[15]", 0 for anything else ("[02]" too).
int HeaderLevel(QByteArrayView line);

/// Whether the game takes the line for a section header: it begins with "[" and ends with "]".
bool IsHeaderLike(QByteArrayView line);

/// Whether the game skips the line inside a section: it begins with "[" or ends with "]".
bool IsSkippedLine(QByteArrayView line);

/// Whether a plain byte cannot be stored scrambled: it would turn into a NUL or a line break.
bool ScramblesToBreak(unsigned char plain);

/// The number of "|" in a plain question line.
int SeparatorCount(QByteArrayView plain);

/// Where a NUL byte cuts a bank: its offset and the 1-based line it stands on.
struct NulCut {
    qsizetype offset = -1; ///< -1 when the bytes hold no NUL
    int line = 0;
};

/// The first NUL of the bytes, which ends the text as the game reads it.
NulCut FindNulCut(QByteArrayView bytes);

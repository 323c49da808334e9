#pragma once
// The rules of a bank's text: a stored bank as the game reads it (its header rule lives with the
// game's reader in faq.h), and a teacher's plain text as the packer, the editor, the importers and
// the fuzz targets read it. Each question about a line is answered here once.

#include "faq.h" // IsHeaderLike, IsSkippedLine: what the game takes for a header, what it skips

#include <QByteArrayView>
#include <QString>

/// The levels of the ladder, each with its own section "[1]" … "[15]".
inline constexpr int kBankLevels = 15;

/// The separators of a question line: question|right|wrong|wrong|wrong|illustration.
inline constexpr int kQuestionSeparators = 5;

/// The level a line heads: 1 … 15 for exactly "[1]" … "[15]", 0 for anything else ("[02]" too).
int HeaderLevel(QByteArrayView line);

/// What a line of a teacher's plain text is.
enum class PlainLineKind {
    Blank,  ///< nothing but blanks and tabs: left out
    Header, ///< begins with "[" and ends with "]" once the blanks around it go, and holds no "|":
            ///< a level's header, or one that names no level (PlainHeaderLevel tells)
    Text,   ///< anything else: a note before the first header, a question line after it
};

/// The kind of a line of a plain text.
PlainLineKind KindOfPlainLine(const QString &line);

/// The level a header of a plain text names, the blanks around it ignored: as HeaderLevel.
int PlainHeaderLevel(const QString &line);

/// Whether a plain line holds the five "|" of a question line.
bool HasQuestionSeparators(const QString &line);

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

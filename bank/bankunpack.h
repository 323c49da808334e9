#pragma once
// Unpacking a bank file back into the plain text it was packed from: the title and notes before
// the first header and the headers as they stand, question lines unscrambled, UTF-8 with LF line
// ends. Packing the result again gives the same bank. Lines the game skips inside the sections
// are left out and named in the diagnostics.

#include "diagnostic.h"

#include <QByteArray>

struct UnpackOutcome {
    QByteArray text; ///< UTF-8
    Diagnostics diagnostics;
};

/// The plain text of the bytes of a bank file, read as the game reads it.
UnpackOutcome UnpackBank(const QByteArray &fileBytes);

#pragma once
// Converting a UTF-8 text to Windows-1251 with CR LF line ends, as the game's settings file is kept.

#include "diagnostic.h"

#include <QByteArray>

struct EncodeOutcome {
    QByteArray bytes; ///< the converted text; empty when anything was refused
    Diagnostics diagnostics;

    bool ok() const { return !HasErrors(diagnostics); }
};

/// Converts UTF-8 bytes (a byte order mark is dropped). Every line end becomes CR LF; a last line
/// without a line end stays without one. Characters outside the code page are refused with
/// their line numbers, and so is text that is not UTF-8.
EncodeOutcome EncodeToCp1251(const QByteArray &utf8);

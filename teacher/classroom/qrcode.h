#pragma once
// The address students open, as a QR code a phone's camera reads off the projector.

#include <QImage>
#include <QString>

/// The text as a QR code, black modules on white with the quiet zone of four modules the
/// standard asks for, each module `module` pixels square; a null image when it cannot be encoded.
QImage QrImage(const QString &text, int module);

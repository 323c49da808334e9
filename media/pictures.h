#pragma once
// The program's own pictures and cursors: vector art that the build renders at the sizes the
// screens were laid out for and keeps in the resources as ready pixels. Use from the GUI
// thread only.

#include <QCursor>
#include <QPixmap>
#include <QSize>
#include <QString>

/// A built-in picture at its nominal size: "WAYS", "GAME", "VEDOK", "DR1".."DR14", "BOARD",
/// "MYHAND" or "NORM", in any letter case; a null pixmap for any other name. Made once.
QPixmap BuiltinPicture(const QString &name);

/// The nominal size of a built-in picture, or an invalid size for an unknown name.
QSize BuiltinPictureSize(const QString &name);

/// A toolbar picture "SL1".."SL8" (48 x 24), normal or greyed out; null for an unknown item.
QPixmap ToolbarPicture(const QString &item, bool enabled);

/// The cursor "MYHAND" (hot spot 12, 1) or "NORM" (hot spot 0, 0), in any letter case; the
/// standard arrow for any other name.
QCursor BuiltinCursor(const QString &name);

/// A replacement picture file (Windows bitmap, PNG or JPEG, recognised by its content); null when
/// the file is missing, damaged or not a picture.
QPixmap LoadPictureFile(const QString &path);

#pragma once
// Fitting a few lines of text into a box that may not grow: the call window keeps its size
// whatever the friend says, and an answer of a bank has no length limit.

#include <QFont>
#include <QList>
#include <QSize>
#include <QString>

/// A text laid out to fit a box: its font, its lines joined by '\n', and the room they take.
struct FittedText {
    QFont font;
    QString text;
    QSize size;
    bool whole = true; ///< false when even the smallest font could not hold it and it was cut
};

/// Lays out text, whose lines are broken by '\n', in the first of the boxes where it fits,
/// trying the font's pixel size and then each smaller one down to minPixels, every size in
/// each box in turn. A line too wide is broken at a blank, or inside a word too long for a
/// whole line. Text that fits nowhere is cut at minPixels in the box that shows most of it:
/// its first lines, a "…", and its last line, so the end of a sentence is never lost.
FittedText FitText(const QString &text, const QFont &font, const QList<QSize> &boxes, int minPixels);

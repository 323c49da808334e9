#pragma once
// Small routines on one-byte-a-character strings. Positions are 1-based; none of them fails.

#include <QByteArray>

/// The last n characters of s; all of s when n is at least its length; empty when n <= 0.
QByteArray RightPart(const QByteArray &s, int n);
/// The characters of s from position p to the end; all of s when p <= 1; empty beyond the end.
QByteArray TailFrom(const QByteArray &s, int p);
/// s lengthened to n characters with ch; never shortened.
QByteArray PadRight(const QByteArray &s, int n, char ch);
/// Replaces every character of s from position p to the end by ch; unchanged when p is out of range.
void FillFrom(QByteArray &s, int p, char ch);
/// s without its trailing occurrences of ch.
QByteArray TrimRightChar(const QByteArray &s, char ch);
/// A folder path with its trailing blanks removed and exactly one "\" at the end.
QByteArray AddBackslash(const QByteArray &s);
/// The same rule with another separator, for the native paths of this platform.
QByteArray AddSeparator(const QByteArray &s, char separator);
/// b when a is less than b, otherwise a.
int Larger(int a, int b);

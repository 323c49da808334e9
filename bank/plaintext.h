#pragma once
// A teacher's plain text: UTF-8 (with or without a byte order mark) or Windows-1251, with any
// line ends. Lines are split by the same rule as the game splits a bank: CR, LF or CR LF. The
// packer, the editor and the importers all read a teacher's file through here.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

struct PlainLine {
    int number = 0; ///< 1-based line number in the file
    QString text;
};

struct PlainText {
    QList<PlainLine> lines;
    bool utf8 = true; ///< false when the bytes were read as Windows-1251
};

/// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(QByteArrayView bytes);

/// The bytes without a leading UTF-8 byte order mark.
QByteArrayView WithoutBom(QByteArrayView bytes);

/// The text of the bytes: UTF-8 (a byte order mark dropped) when they are valid UTF-8,
/// Windows-1251 otherwise; utf8, when given, says which.
QString DecodePlainBytes(QByteArrayView bytes, bool *utf8 = nullptr);

/// The lines of a text, numbered from 1, split at CR, LF or CR LF.
QList<PlainLine> SplitPlainLines(QStringView text);

/// The lines of a plain text: UTF-8 when the bytes are valid UTF-8, Windows-1251 otherwise.
PlainText DecodePlainText(QByteArrayView bytes);

/// The lines of a text known to be UTF-8 (a byte order mark is dropped).
PlainText DecodeUtf8Lines(QByteArrayView bytes);

/// The characters of the text that Windows-1251 cannot hold, each once, in order of appearance.
QStringList UnencodableCharacters(const QString &text);

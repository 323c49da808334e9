#pragma once
// Windows-1251 text at the edges of the data layer: every stored text is one byte a character.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace cp1251 {

/// The Unicode text of stored Windows-1251 bytes.
QString decode(QByteArrayView bytes);

/// The Windows-1251 bytes of a text, or nothing when a character has no place in the code page.
std::optional<QByteArray> encode(const QString &text);

/// The character of one byte, from a table made once: decoding byte by byte through it is many
/// times faster than a converter a line.
char16_t charOf(unsigned char byte);

/// The byte of one UTF-16 code unit, or nothing when the code page lacks the character.
std::optional<unsigned char> byteOf(char16_t c);

/// The bytes upper-cased as the program needs it for lesson codes and names (Cyrillic included).
QByteArray upper(QByteArrayView bytes);

/// The upper-case byte of one Windows-1251 byte (itself when it has none).
unsigned char upperByte(unsigned char byte);

/// Equality without regard to letter case, Cyrillic included, as the settings files compare names.
bool equalsNoCase(QByteArrayView a, QByteArrayView b);

/// The first character of the text that Windows-1251 cannot hold, or an empty text when all fit.
QString firstUnencodable(const QString &text);

} // namespace cp1251

namespace cp1251 {
/// The stored bytes of a text known to fit the code page, such as the program's own key names.
QByteArray text(const char16_t *utf16);
} // namespace cp1251

/// A character for a message: "«ж» (U+0436)"; an invisible one by its code and a name,
/// "U+00AD (мягкий перенос)", so that a message never shows empty quotes.
QString DescribeCharacter(const QString &ch);

#pragma once
// INI files in the Windows format and the Windows-1251 code page, the same on every platform.
// Section and key names are compared without regard to letter case (Cyrillic included);
// values are returned without surrounding blanks and tabs, without one pair of enclosing
// quotation marks, and at most 2047 characters long. Each call opens, does one thing, closes.

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

/// The longest value a read returns, as the Windows INI service does with its usual buffer.
constexpr int kIniValueLimit = 2047;

/// The value of key in section, or nothing when the file, the section or the key is missing;
/// an error when the file exists but cannot be read.
Result<std::optional<QByteArray>> IniRead(const QString &path, QByteArrayView section, QByteArrayView key);

/// The value, or the default when it is missing or the file cannot be read.
QByteArray IniReadString(const QString &path, QByteArrayView section, QByteArrayView key,
                         const QByteArray &defaultValue);

/// The value as an integer (decimal, optionally signed, or hexadecimal after "$", "0x" or "0X"),
/// or the default when it is missing or not an integer.
int IniReadInteger(const QString &path, QByteArrayView section, QByteArrayView key, int defaultValue);

/// Creates the file, the section and the key as needed; an existing value is replaced in place
/// and every other byte of the file stays as it was. The file is replaced atomically under a lock.
/// Fails with "Unable to write to <path>".
Status IniWriteString(const QString &path, QByteArrayView section, QByteArrayView key, QByteArrayView value);

/// The INI text with key in section set to value, as IniWriteString writes it; fails with the
/// reason when the name or the value could not be read back as written.
Result<QByteArray> IniSetValue(const QByteArray &text, QByteArrayView section, QByteArrayView key,
                               QByteArrayView value);

/// Removes the section named section with all its lines, up to the next section header; a later
/// section of the same name, which no read reaches while the first stands, goes as well. Every
/// other byte stays. Nothing to do when there is no such section. Fails with "Unable to write to <path>".
Status IniDeleteSection(const QString &path, QByteArrayView section);

/// Gives the first section named section the name newName, changing its header line alone.
/// Fails when there is no such section, when newName names another section already, or with
/// "Unable to write to <path>".
Status IniRenameSection(const QString &path, QByteArrayView section, QByteArrayView newName);

/// Integer text as the settings file reads it; nothing when the text is not an integer.
/// allowHexPrefix0x: whether "0x" is accepted besides "$".
std::optional<int> ParseIniInteger(QByteArrayView text, bool allowHexPrefix0x = true);

/// One line of an INI text as the reader and the writer see it; views into the line.
struct IniLine {
    enum Kind { Blank, Comment, Section, Key, Other } kind = Blank;
    QByteArrayView name;      ///< section or key name, trimmed; for Other the trimmed line
    QByteArrayView value;     ///< the value as stored, trimmed (keys only)
    qsizetype valueStart = 0; ///< offset in the line just after "=" (keys only)
};

/// What one line is: a section header (its name runs to the last "]"), a key, a comment (";"),
/// a blank line, or anything else.
IniLine ClassifyIniLine(QByteArrayView line);

/// A stored value as a read returns it: one pair of enclosing quotes removed, at most 2047 characters.
QByteArray IniValueText(QByteArrayView value);

/// The value found in the lines of an INI text; exposed for the tools and benchmarks.
std::optional<QByteArray> IniFindValue(const QByteArray &text, QByteArrayView section, QByteArrayView key);

/// The section names of an INI text in file order, trimmed, each once in its first spelling:
/// names that differ in letter case alone are one section, of which reads find the first.
/// A header without a name ("[" alone) is the section "", as reads see it.
QList<QByteArray> IniSectionNames(const QByteArray &text);

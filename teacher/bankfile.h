#pragma once
// Reading a bank into the editor and writing it back: a game bank (.faq) or a teacher's plain
// text in, a game bank packed by the bank tool's own packer or a plain text out.

#include "bank.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

/// A bank read for editing, with what could not be taken over from the file.
struct LoadedBank {
    EditorBank bank;
    QStringList warnings; ///< in Russian, for the teacher
};

/// The questions of a game bank as the game serves them: the first section of each level, its
/// lines unscrambled; the lines before the first header are the notes.
LoadedBank BankFromFaq(const QByteArray &bytes);

/// The questions of a plain text (UTF-8 or Windows-1251): "[1]" … "[15]" and question lines.
/// Two headers of one level are joined; lines under a header that names no level are left out.
LoadedBank BankFromPlainText(const QByteArray &bytes);

/// Whether a file is read as a game bank: by its ".faq" ending.
bool IsFaqPath(const QString &path);

/// Reads a file of either kind.
Result<LoadedBank> ReadBank(const QString &path);

/// The bank as a plain text: the notes, then every level's header and question lines.
QString BankText(const EditorBank &bank);

/// Packs the bank with the bank tool's packer and writes it in place of the file at once. Fails
/// without touching the file when the packer refuses a line, naming each.
Status SaveFaq(const QString &path, const EditorBank &bank);

/// Writes the bank as a UTF-8 plain text that tallory-bank pack takes.
Status ExportPlainText(const QString &path, const EditorBank &bank);

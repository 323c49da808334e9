#pragma once
// Reading a bank into the editor and writing it back: a game bank (.faq) or a teacher's plain
// text in, a game bank packed by the bank tool's own packer or a plain text out.

#include "bank.h"
#include "diagnostic.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

/// A bank read for editing, with what could not be taken over from the file.
struct LoadedBank {
    EditorBank bank;
    QStringList warnings; ///< in Russian, for the teacher
    Diagnostics damage;   ///< what keeps the game from reading the file whole; empty for a sound bank
    bool isBank = true;   ///< false for a file that holds no level at all (a program, a picture)
    int keptAsNotes = 0;  ///< lines the editor cannot place in a level, kept among the notes
    QByteArray digest;    ///< BankDigest of the bytes read, to tell later whether the file changed
};

/// A fingerprint of a file's bytes: two files with the same one hold the same bytes.
QByteArray BankDigest(QByteArrayView bytes);

/// What the teacher is told on opening a damaged bank; an empty text for a sound one.
struct DamageReport {
    QString text;    ///< what is damaged and where, the first lines of it
    QString details; ///< every line, when there are more than the text shows
};

/// The report on a bank read from the file named fileName.
DamageReport DescribeDamage(const QString &fileName, const LoadedBank &read);

/// The questions of a game bank as the game serves them: the first section of each level, its
/// lines unscrambled; the lines before the first header are the notes. A header naming no level
/// and a line the game skips join the notes as "строка N: …", so that a save keeps them.
LoadedBank BankFromFaq(const QByteArray &bytes);

/// The questions of a plain text (UTF-8 or Windows-1251): "[1]" … "[15]" and question lines.
/// Two headers of one level are joined; lines under a header that names no level are left out.
LoadedBank BankFromPlainText(const QByteArray &bytes);

/// Whether a file is read as a game bank: by its ".faq" ending.
bool IsFaqPath(const QString &path);

/// Reads a file of either kind; a ".faq" that holds no level is refused: it is not a bank.
Result<LoadedBank> ReadBank(const QString &path);

/// The bank as a plain text: the notes, then every level's header and question lines.
QString BankText(const EditorBank &bank);

/// Packs the bank with the bank tool's packer and writes it in place of the file at once. Fails
/// without touching the file when the packer refuses a line, naming each.
Status SaveFaq(const QString &path, const EditorBank &bank);

/// What a save that knows what it read found on disk.
struct SaveOutcome {
    Status status;              ///< the write's own failure, in Russian
    bool changedOnDisk = false; ///< the file is not what was read: nothing was written
    QByteArray digest;          ///< BankDigest of the bytes written
};

/// As SaveFaq, but under the file's lock it first compares the file with readDigest (what was
/// read from it): a file changed or removed since is left as it is. No readDigest: written anyway.
SaveOutcome SaveFaqOver(const QString &path, const EditorBank &bank, const std::optional<QByteArray> &readDigest);

/// Writes the bank as a game bank into a new file beside path, "name (label).faq", then
/// "name (label 2).faq" and on, never over an existing file; the copy's path.
Result<QString> SaveFaqCopy(const QString &path, const QString &label, const EditorBank &bank);

/// Keeps the bytes of the file in a new file beside it, "name (повреждённый).faq", then
/// "name (повреждённый 2).faq" and on, never over an earlier one; the copy's path.
Result<QString> KeepDamagedCopy(const QString &path);

/// Writes the bank as a UTF-8 plain text that tallory-bank pack takes.
Status ExportPlainText(const QString &path, const EditorBank &bank);

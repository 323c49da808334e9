#pragma once
// What the importers share: the source's text and lines, and taking a question through the
// question rules. Each format reads its own file; this is the only place that decides what a
// bank can hold.

#include "importer.h"
#include "plaintext.h"

#include <QList>
#include <QString>

/// The question with its fields trimmed, taken when the question rules let a bank hold it and
/// rejected with their reasons otherwise.
void TakeQuestion(ImportOutcome &out, ImportedQuestion question);

/// A question left out, with why; text is the source's wording, shortened for a list.
void RejectQuestion(ImportOutcome &out, int line, const QString &text, const QString &reason);

/// Keeps a title or header of the source as a note before "[1]" when a bank can hold it there;
/// anything else is dropped, since a note is never a question.
void KeepNote(ImportOutcome &out, const QString &text);

/// The characters of a text with every line break, and the blanks around it, made one blank:
/// a source wraps long questions, and the game lays them out itself.
QString JoinWrappedLines(const QString &text);

/// The letters of options as a pattern's character class: Latin capitals, and the Cyrillic ones
/// that look the same (А, В, С, Е …), which a teacher types without switching the keyboard.
inline constexpr char16_t kOptionLetterClass[] = u"[A-ZАВСЕНКМОРТХ]";

/// The Latin capital an option letter stands for: "а" and "А" (Cyrillic) are "A", "b" is "B".
QChar OptionLetter(QChar c);

ImportOutcome ImportGift(const QString &text);
ImportOutcome ImportAiken(const QString &text);
ImportOutcome ImportCsv(const QString &text);

/// The format a text is written in, judged from its content: Aiken by its "ANSWER:" lines, GIFT
/// by an answer block in braces, a category or a title, CSV otherwise.
ImportFormat RecogniseFormat(const QString &text);

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

/// The word of Aiken's answer line as a pattern: "ANSWER", with a Cyrillic А or Е typed in it as
/// readily as in the option letters.
inline constexpr char16_t kAikenAnswerWord[] = u"[AА]NSW[EЕ]R";

/// The Latin capital an option letter stands for: "а" and "А" (Cyrillic) are "A", "b" is "B".
QChar OptionLetter(QChar c);

/// The level a quiz system's category gives its questions, or why it gives none.
struct ImportCategory {
    int level = 0;  ///< 0: none
    QString remark; ///< why a number in the category's path is no level
};

/// The level of a category path ("$course$/Химия/Уровень 3/Кислоты"): the nearest name on the
/// path that ends in a number, when that number is a level of the ladder.
ImportCategory ReadCategory(const QString &path);

/// What of a question stays behind, for the teacher: its pictures (their file names, empty when
/// unknown), and a level its category meant but the ladder has not.
QStringList QuestionRemarks(const QStringList &images, const ImportCategory &category);

ImportOutcome ImportGift(const QString &text);
ImportOutcome ImportMoodleXml(const QByteArray &bytes);
ImportOutcome ImportAiken(const QString &text);
ImportOutcome ImportCsv(const QString &text);

/// The format a text is written in, judged from its content: Moodle XML by its <quiz>, Aiken by
/// its "ANSWER:" lines, GIFT by an answer block in braces, a category or a title, CSV otherwise.
ImportFormat RecogniseFormat(const QString &text);

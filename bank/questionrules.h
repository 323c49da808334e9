#pragma once
// What one question of a bank may hold: the rules the game's bank format sets on every field.
// The packer, the importers and the teacher's workbench all ask these, so a rule is written once.

#include <QList>
#include <QString>
#include <QStringList>

/// The six fields of a question line, as the teacher typed them.
struct QuestionFields {
    QString question;
    QString right;
    QString wrong1;
    QString wrong2;
    QString wrong3;
    QString illustration;
};

/// The field a problem is about.
enum class QuestionField { Question, Right, Wrong1, Wrong2, Wrong3, Illustration, Line };

/// The rule a problem breaks.
enum class QuestionRule {
    Separator,      ///< a "|" inside a field
    Character,      ///< a character Windows-1251 cannot hold
    ScrambleBreak,  ///< §, soft hyphen or no-break space: scrambled, it breaks the stored line
    Nul,            ///< a NUL, which ends the game's text
    LineBreak,      ///< a line break inside a field
    BeginsAsHeader, ///< the stored line would begin with "[" («ц» first)
    EndsAsHeader,   ///< the stored line would end with "]" («р» last)
    Empty,          ///< an empty question or answer
    EqualAnswers,   ///< two answers alike
};

/// Why a question cannot go into a bank as it stands.
struct QuestionProblem {
    QuestionField field = QuestionField::Line;
    QString reason; ///< in Russian, for the teacher
    QuestionRule rule = QuestionRule::Character;

    /// Whether the bank could still store the line (an empty or repeated answer): the game shows
    /// it, though no teacher means it that way.
    bool storable() const { return rule == QuestionRule::Empty || rule == QuestionRule::EqualAnswers; }
};

/// Every problem of the question, in field order: a "|", a character Windows-1251 cannot hold,
/// §, soft hyphen, no-break space, a NUL, a line break, an empty question or answer, two equal
/// answers, and a stored line that would begin with «ц» or end with «р» (it would scramble into
/// a section header). Empty when the bank can hold the question.
QList<QuestionProblem> CheckQuestion(const QuestionFields &fields);

/// The question line as a bank stores it before scrambling: the six fields joined by "|".
QString QuestionLine(const QuestionFields &fields);

/// The fields of a plain question line: missing fields are empty; a line with more than five "|"
/// keeps the rest, "|" and all, in the illustration.
QuestionFields SplitQuestionLine(const QString &line);

/// How a text is stored in a bank: scrambled (a question line) or plain (a title or note).
enum class StoredAs { Scrambled, Plain };

/// The reasons, in Russian, why the characters of a text cannot be stored as given: characters
/// outside Windows-1251, a NUL, a line break, and for a scrambled text §, soft hyphen and
/// no-break space. Each character is named once.
QStringList TextProblems(const QString &text, StoredAs storedAs);

/// Why a note (a title or a remark before the first level's header, stored plain) cannot be
/// stored as it stands, in Russian: the characters TextProblems names, five "|" (a question out of
/// place) unless IsKeptLineNote, or "[" first and "]" last (the game, or the packer, would take it for a header). Empty
/// when the bank can hold it. The packer, the editor and the importers all ask this.
QStringList NoteProblems(const QString &note);

/// Whether a note is a line the workbench kept from a bank it could not place ("строка N: …"):
/// such a note may hold a question's "|".
bool IsKeptLineNote(const QString &note);

/// The name of a field for a teacher: "вопрос", "верный ответ", "первый неверный ответ", …
QString QuestionFieldName(QuestionField field);

#pragma once
// What one question of a bank may hold: the rules the game's bank format sets on every field.
// The packer, the importers and the teacher's workbench all ask these, so a rule is written once.

#include <QList>
#include <QString>

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

/// Why a question cannot go into a bank as it stands.
struct QuestionProblem {
    QuestionField field = QuestionField::Line;
    QString reason; ///< in Russian, for the teacher
};

/// Every problem of the question, in field order: a "|", a character Windows-1251 cannot hold,
/// §, soft hyphen, no-break space, a NUL, a line break, an empty question or answer, two equal
/// answers, and a stored line that would begin with «ц» or end with «р» (it would scramble into
/// a section header). Empty when the bank can hold the question.
QList<QuestionProblem> CheckQuestion(const QuestionFields &fields);

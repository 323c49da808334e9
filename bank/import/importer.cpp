#include "importer.h"

#include "bankformat.h"
#include "importparts.h"
#include "plaintext.h"

#include <QRegularExpression>

namespace {

constexpr qsizetype kExcerptLength = 60;

// A problem's reason as a teacher reads it in a list of questions: which field, and why.
QString describe(const QuestionProblem &problem)
{
    switch (problem.rule) {
    case QuestionRule::Empty:
    case QuestionRule::EqualAnswers:
    case QuestionRule::BeginsAsHeader:
    case QuestionRule::EndsAsHeader:
        return problem.reason; // these name their fields already
    default:
        return QuestionFieldName(problem.field) + QStringLiteral(": ") + problem.reason;
    }
}

QString excerpt(const QString &text)
{
    const QString line = JoinWrappedLines(text).trimmed();
    return line.size() <= kExcerptLength ? line : line.first(kExcerptLength - 1) + QStringLiteral("…");
}

bool isAnyOf(const QString &text, const QRegularExpression &pattern)
{
    return pattern.match(text).hasMatch();
}

} // namespace

QString JoinWrappedLines(const QString &text)
{
    static const QRegularExpression wrap(QStringLiteral("[ \\t]*(\\r\\n|\\r|\\n)[ \\t]*"));
    QString joined = text;
    return joined.replace(wrap, QStringLiteral(" "));
}

void TakeQuestion(ImportOutcome &out, ImportedQuestion question)
{
    QuestionFields &f = question.fields;
    for (QString *field : {&f.question, &f.right, &f.wrong1, &f.wrong2, &f.wrong3, &f.illustration})
        *field = field->trimmed();
    const QList<QuestionProblem> problems = CheckQuestion(f);
    if (problems.isEmpty()) {
        out.taken.append(question);
        return;
    }
    QStringList reasons;
    for (const QuestionProblem &problem : problems)
        reasons.append(describe(problem));
    RejectQuestion(out, question.line, f.question, reasons.join(QStringLiteral("; ")));
}

void RejectQuestion(ImportOutcome &out, int line, const QString &text, const QString &reason)
{
    out.rejected.append({line, excerpt(text), reason});
}

// A note sits before the first header, stored plain: it must fit the code page, must not look
// like a header to the game or the packer, and must not look like a misplaced question.
void KeepNote(ImportOutcome &out, const QString &text)
{
    const QString note = JoinWrappedLines(text).trimmed();
    if (!note.isEmpty() && !out.notes.contains(note) && NoteProblems(note).isEmpty())
        out.notes.append(note);
}

// A category chooses a level by the number its name ends in ("Химия/Уровень 3"). Moodle files
// its categories in a tree, so the level may stand higher up ("Химия/Уровень 3/Кислоты"): the
// nearest name above that is a level ("Уровень 3", "Level 3", "3") counts, while a course's
// grade ("Химия 8/Итоговый тест") is no level. A number outside the ladder chooses none, and its
// questions say so.
ImportCategory ReadCategory(const QString &path)
{
    static const QRegularExpression last(QStringLiteral("(\\d+)\\s*$"));
    static const QRegularExpression level(QStringLiteral("^\\s*(?:уровень|level|ур\\.)?\\s*(\\d+)\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    // "//" is a slash inside a name in Moodle's paths, not a step down the tree.
    static const QRegularExpression step(QStringLiteral("(?<!/)/(?!/)"));
    const QStringList names = path.split(step);
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        const bool own = name == names.crbegin();
        const QRegularExpressionMatch m = (own ? last : level).match(*name);
        if (!m.hasMatch())
            continue;
        bool fits = false;
        const int number = m.captured(1).toInt(&fits);
        if (fits && number >= 1 && number <= kBankLevels)
            return {number, {}};
        const QString where = own ? QStringLiteral("категория «%1» кончается числом %2")
                                  : QStringLiteral("в категории «%1» уровень %2");
        return {0, where.arg(path, m.captured(1))
                       + QStringLiteral(", а уровни — от 1 до %1: уровень из неё не взят").arg(kBankLevels)};
    }
    return {};
}

// The pictures live in the quiz system and not in the file, so they cannot come along.
QStringList QuestionRemarks(const QStringList &images, const ImportCategory &category)
{
    QStringList list;
    for (const QString &image : images)
        list.append(image.isEmpty() ? QStringLiteral("картинка не перенесена")
                                    : QStringLiteral("картинка не перенесена (%1)").arg(image));
    if (!category.remark.isEmpty())
        list.append(category.remark);
    return list;
}

QChar OptionLetter(QChar c)
{
    static const QString cyrillic = QStringLiteral("АВСЕНКМОРТХ");
    static const QString latin = QStringLiteral("ABCEHKMOPTX");
    const QChar upper = c.toUpper();
    const qsizetype at = cyrillic.indexOf(upper);
    return at >= 0 ? latin[at] : upper;
}

ImportFormat RecogniseFormat(const QString &text)
{
    const QString letter = QString::fromUtf16(kOptionLetterClass);
    static const QRegularExpression aikenAnswer(QStringLiteral("^[ \\t]*") + QString::fromUtf16(kAikenAnswerWord)
                                                    + QStringLiteral(":[ \\t]*") + letter + QStringLiteral("[ \\t]*$"),
                                                QRegularExpression::MultilineOption
                                                    | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression aikenOption(QStringLiteral("^[ \\t]*") + letter + QStringLiteral("[).][ \\t]"),
                                                QRegularExpression::MultilineOption);
    static const QRegularExpression giftBlock(QStringLiteral("(?<!\\\\)\\{[^}]*(?<!\\\\)[=~#][^}]*\\}|"
                                                             "(?<!\\\\)\\{\\s*(T|F|TRUE|FALSE)?\\s*\\}"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression giftSign(QStringLiteral("^[ \\t]*(::|\\$CATEGORY:)"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression moodleXml(QStringLiteral("^\\s*(<\\?xml[^>]*>\\s*)?(<!--.*?-->\\s*)*<quiz[\\s>/]"),
                                              QRegularExpression::DotMatchesEverythingOption);
    if (isAnyOf(text, moodleXml))
        return ImportFormat::MoodleXml;
    // The patterns know LF alone as a line end.
    QStringList split;
    for (const PlainLine &line : SplitPlainLines(text))
        split.append(line.text);
    const QString lines = split.join(QLatin1Char('\n'));
    if (isAnyOf(lines, aikenAnswer) && isAnyOf(lines, aikenOption))
        return ImportFormat::Aiken;
    if (isAnyOf(lines, giftBlock) || isAnyOf(lines, giftSign))
        return ImportFormat::Gift;
    return ImportFormat::Csv;
}

ImportOutcome ImportQuestions(const QByteArray &bytes, ImportFormat format)
{
    const QString text = DecodePlainBytes(bytes);
    if (format == ImportFormat::Auto)
        format = RecogniseFormat(text);
    ImportOutcome out;
    switch (format) {
    case ImportFormat::Gift: out = ImportGift(text); break;
    case ImportFormat::Aiken: out = ImportAiken(text); break;
    case ImportFormat::MoodleXml: out = ImportMoodleXml(bytes); break; // its own declaration names its encoding
    case ImportFormat::Csv:
    case ImportFormat::Auto: out = ImportCsv(text); break;
    }
    out.format = format == ImportFormat::Auto ? ImportFormat::Csv : format;
    return out;
}

// The question table for a reader: the short table `tallory-results answers` prints, and the
// whole one as CSV for a spreadsheet, written by the same rules as the results export.

#include "answeranalysis.h"

#include "resultstable.h"

namespace {

constexpr int kShortQuestion = 40;

QString percent(const QuestionFigures &q, int k)
{
    return q.answered > 0 ? QString::number(qRound(q.share(k) * 100)) : QString();
}

QString median(const QuestionFigures &q)
{
    return q.medianMs >= 0 ? QString::number(q.medianMs) : QString();
}

QString flagWords(const QuestionFigures &q)
{
    QStringList words;
    for (const QuestionFlag &f : q.flags)
        words << FlagWord(f.kind);
    return words.join(QStringLiteral(", "));
}

// A text on one line of a terminal: control characters (a line break among them) shown as
// U+FFFD, as the results listing shows them, and a long question cut short.
QString oneLine(QString text, qsizetype most)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar::ReplacementCharacter;
    }
    return text.size() > most ? text.left(most - 1) + QChar(0x2026) : text;
}

QStringList csvTitles()
{
    return {QStringLiteral("Занятие"), QStringLiteral("Уровень"), QStringLiteral("№ в уровне"),
            QStringLiteral("Вопрос"), QStringLiteral("Верный ответ"), QStringLiteral("Неверный ответ 1"),
            QStringLiteral("Неверный ответ 2"), QStringLiteral("Неверный ответ 3"), QStringLiteral("Задан"),
            QStringLiteral("Отвечен"), QStringLiteral("Верно, %"), QStringLiteral("Неверный 1, %"),
            QStringLiteral("Неверный 2, %"), QStringLiteral("Неверный 3, %"), QStringLiteral("Медиана, мс"),
            QStringLiteral("Верно и быстро"), QStringLiteral("50:50"), QStringLiteral("Зал"),
            QStringLiteral("Друг"), QStringLiteral("Верный на A"), QStringLiteral("Верный на B"),
            QStringLiteral("Верный на C"), QStringLiteral("Верный на D"), QStringLiteral("Флаги"),
            QStringLiteral("Почему")};
}

QStringList csvRow(const QString &lesson, const QuestionFigures &q)
{
    QStringList row{lesson, QString::number(q.level), QString::number(q.bankIndex + 1), q.question};
    for (int k = 1; k <= 4; ++k)
        row << q.answers[static_cast<size_t>(k)];
    row << QString::number(q.asked) << QString::number(q.answered);
    for (int k = 1; k <= 4; ++k)
        row << percent(q, k);
    row << median(q) << QString::number(q.quickRight) << QString::number(q.fiftyFifty)
        << QString::number(q.audience) << QString::number(q.friendCalls);
    for (int b = 1; b <= 4; ++b)
        row << QString::number(q.rightOnButton[static_cast<size_t>(b)]);
    QStringList reasons;
    for (const QuestionFlag &f : q.flags)
        reasons << f.reason;
    row << flagWords(q) << reasons.join(QLatin1Char(' '));
    return row;
}

} // namespace

QByteArray QuestionTableCsv(const QList<LessonAnalysis> &analyses)
{
    std::vector<QStringList> rows{csvTitles()};
    for (const LessonAnalysis &a : analyses) {
        for (const QuestionFigures &q : a.questions)
            rows.push_back(csvRow(a.lesson, q));
    }
    return FormatCsv(rows);
}

QByteArray QuestionTableCsv(const LessonAnalysis &analysis)
{
    return QuestionTableCsv(QList<LessonAnalysis>{analysis});
}

QByteArray QuestionTableText(const QList<LessonAnalysis> &analyses)
{
    std::vector<QStringList> rows{{QStringLiteral("Занятие"), QStringLiteral("Уровень"), QStringLiteral("Вопрос"),
                                   QStringLiteral("Задан"), QStringLiteral("Верно %"), QStringLiteral("Неверный 1 %"),
                                   QStringLiteral("Неверный 2 %"), QStringLiteral("Неверный 3 %"),
                                   QStringLiteral("Медиана мс"), QStringLiteral("Флаги")}};
    for (const LessonAnalysis &a : analyses) {
        for (const QuestionFigures &q : a.questions) {
            rows.push_back({oneLine(a.lesson, kShortQuestion), QString::number(q.level),
                            oneLine(q.question, kShortQuestion), QString::number(q.asked), percent(q, 1),
                            percent(q, 2), percent(q, 3), percent(q, 4), median(q), flagWords(q)});
        }
    }
    if (rows.size() == 1)
        return QByteArrayLiteral("Ответов нет.\n");
    return FormatTextTable(rows);
}

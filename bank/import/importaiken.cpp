// Aiken, the simplest quiz format: a question, its options "A) …" or "A. …", and "ANSWER: X".
// The game asks four answers, so a question is taken only with exactly four options.

#include "importparts.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

struct Option {
    QChar label;
    QString text;
};

class AikenReader
{
public:
    ImportOutcome run(const QString &text);

private:
    void take(const PlainLine &line);
    void finish(const QString &answer);
    void abandon(const QString &reason);
    bool pending() const { return !m_question.isEmpty(); }

    ImportOutcome m_out;
    QString m_question;
    QList<Option> m_options;
    int m_line = 0;
    bool m_parted = false; // a blank line has followed the question's text
};

ImportOutcome AikenReader::run(const QString &text)
{
    for (const PlainLine &line : SplitPlainLines(text))
        take(line);
    if (pending())
        abandon(QStringLiteral("нет строки «ANSWER: …» с буквой верного ответа"));
    return std::move(m_out);
}

void AikenReader::take(const PlainLine &line)
{
    static const QRegularExpression answer(QStringLiteral("^") + QString::fromUtf16(kAikenAnswerWord) + QStringLiteral(":\\s*(.*)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression option(QStringLiteral("^(") + QString::fromUtf16(kOptionLetterClass)
                                           + QStringLiteral(")[).]\\s+(.*)$"));
    const QString text = line.text.trimmed();
    if (text.isEmpty()) {
        m_parted = pending();
        return;
    }
    if (const QRegularExpressionMatch m = answer.match(text); m.hasMatch()) {
        if (pending())
            finish(m.captured(1).trimmed());
        else
            RejectQuestion(m_out, line.number, text, QStringLiteral("строка «ANSWER:» без вопроса перед ней"));
        return;
    }
    if (const QRegularExpressionMatch m = option.match(text); m.hasMatch() && pending()) {
        m_options.append({OptionLetter(m.captured(1)[0]), m.captured(2)});
        return;
    }
    if (pending() && !m_options.isEmpty())
        abandon(QStringLiteral("нет строки «ANSWER: …» после вариантов ответа"));
    // A question's options follow its text; text that a blank line parts from the next line of
    // text (a title, a stray remark) is no question, and glued to the next one it would spoil it.
    if (pending() && m_parted)
        abandon(QStringLiteral("не вопрос: за этим текстом пустая строка, а не варианты ответа A) … D)"));
    m_parted = false;
    if (!pending())
        m_line = line.number;
    // A question may run over several lines before its options; the game shows it as one.
    m_question = m_question.isEmpty() ? text : m_question + QLatin1Char(' ') + text;
}

void AikenReader::finish(const QString &answer)
{
    const qsizetype count = m_options.size();
    const auto right = std::find_if(m_options.cbegin(), m_options.cend(), [&](const Option &o) {
        return answer.size() == 1 && o.label == OptionLetter(answer[0]);
    });
    if (count != 4) {
        abandon(QStringLiteral("вариантов ответа %1, а нужно ровно четыре (A–D)").arg(count));
    } else if (right == m_options.cend()) {
        abandon(QStringLiteral("в строке «ANSWER: %1» нет буквы одного из вариантов").arg(answer));
    } else {
        ImportedQuestion q;
        QStringList wrong;
        for (const Option &o : m_options) {
            if (&o != &*right)
                wrong.append(o.text);
        }
        q.fields = QuestionFields{m_question, right->text, wrong[0], wrong[1], wrong[2], QString()};
        q.line = m_line;
        TakeQuestion(m_out, q);
        m_question.clear();
        m_options.clear();
    }
}

void AikenReader::abandon(const QString &reason)
{
    RejectQuestion(m_out, m_line, m_question, reason);
    m_question.clear();
    m_options.clear();
}

} // namespace

ImportOutcome ImportAiken(const QString &text)
{
    return AikenReader().run(text);
}

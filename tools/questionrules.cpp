#include "questionrules.h"

#include "bankformat.h"
#include "cp1251.h"
#include "diagnostic.h"
#include "faq.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

struct Problem {
    QuestionRule rule;
    QString reason;
};

// A text with the Windows-1251 byte of each character. One converter serves the whole text;
// only a text that does not fit is gone through character by character, because opening a
// converter for every character made checking a large bank slow.
class EncodedText
{
public:
    explicit EncodedText(const QString &text) : m_text(text)
    {
        const auto whole = cp1251::encode(text);
        m_oneByteEach = whole && whole->size() == text.size();
        if (m_oneByteEach)
            m_bytes = *whole;
    }

    const QString &text() const { return m_text; }

    // The length of the character at i: two for a surrogate pair.
    qsizetype charLength(qsizetype i) const
    {
        return (m_text[i].isHighSurrogate() && i + 1 < m_text.size()) ? 2 : 1;
    }

    // The byte of the character at i, or nothing when the code page has no place for it.
    std::optional<unsigned char> byteAt(qsizetype i) const
    {
        if (m_oneByteEach)
            return static_cast<unsigned char>(m_bytes[i]);
        const auto byte = cp1251::encode(m_text.mid(i, charLength(i)));
        if (!byte || byte->size() != 1)
            return std::nullopt;
        return static_cast<unsigned char>(byte->at(0));
    }

private:
    QString m_text;
    QByteArray m_bytes;
    bool m_oneByteEach = false;
};

std::optional<Problem> characterProblem(std::optional<unsigned char> byte, const QString &ch, StoredAs storedAs)
{
    if (!byte)
        return Problem{QuestionRule::Character,
                       QStringLiteral("символ %1 не входит в кодировку Windows-1251").arg(DescribeCharacter(ch))};
    if (*byte == 0)
        return Problem{QuestionRule::Nul, QStringLiteral("символ U+0000 (NUL) недопустим: игра обрывает на нём текст")};
    if (*byte == '\n' || *byte == '\r')
        return Problem{QuestionRule::LineBreak,
                       QStringLiteral("перевод строки недопустим: в вопроснике каждая запись занимает одну строку")};
    if (storedAs == StoredAs::Scrambled && ScramblesToBreak(*byte))
        return Problem{QuestionRule::ScrambleBreak,
                       QStringLiteral("символ %1 нельзя сохранить в вопроснике: зашифрованный, он обрывает строку")
                           .arg(DescribeCharacter(ch))};
    return std::nullopt;
}

// The character problems of text[from, to), each reason once, in order of appearance.
QList<Problem> characterProblems(const EncodedText &text, qsizetype from, qsizetype to, StoredAs storedAs)
{
    QList<Problem> found;
    for (qsizetype i = from; i < to;) {
        const qsizetype len = text.charLength(i);
        const auto problem = characterProblem(text.byteAt(i), text.text().mid(i, len), storedAs);
        const bool named = problem && std::any_of(found.cbegin(), found.cend(), [&](const Problem &p) {
                               return p.reason == problem->reason;
                           });
        if (problem && !named)
            found.append(*problem);
        i += len;
    }
    return found;
}

constexpr std::array<QuestionField, 6> kFields = {QuestionField::Question, QuestionField::Right,
                                                  QuestionField::Wrong1,   QuestionField::Wrong2,
                                                  QuestionField::Wrong3,   QuestionField::Illustration};

std::array<const QString *, 6> fieldTexts(const QuestionFields &f)
{
    return {&f.question, &f.right, &f.wrong1, &f.wrong2, &f.wrong3, &f.illustration};
}

void addFieldProblems(QList<QuestionProblem> &out, QuestionField field, const QString &text,
                      const EncodedText &line, qsizetype at)
{
    if (text.contains(QLatin1Char('|')))
        out.append({field, QStringLiteral("знак «|» внутри поля недопустим: он разделяет поля вопроса"),
                    QuestionRule::Separator});
    for (const Problem &p : characterProblems(line, at, at + text.size(), StoredAs::Scrambled))
        out.append({field, p.reason, p.rule});
}

// The game skips a stored line that begins with "[" or ends with "]"; «ц» and «р» scramble to them.
void addEndProblems(QList<QuestionProblem> &out, const EncodedText &line)
{
    const QString &text = line.text();
    const auto first = line.byteAt(0);
    if (first && static_cast<unsigned char>(*first ^ kScrambleKey) == '[')
        out.append({QuestionField::Question,
                    QStringLiteral("строка начинается с «%1»: зашифрованная, она начнётся с «[», и игра её пропустит")
                        .arg(text.front()),
                    QuestionRule::BeginsAsHeader});
    const auto last = line.byteAt(text.size() - 1);
    if (last && static_cast<unsigned char>(*last ^ kScrambleKey) == ']')
        out.append({QuestionField::Illustration, // with no illustration the line ends in "|"
                    QStringLiteral("строка кончается на «%1»: зашифрованная, она кончится на «]», и игра её пропустит")
                        .arg(text.back()),
                    QuestionRule::EndsAsHeader});
}

// Answers are compared with blanks collapsed but letter case kept: «Co» and «CO» are two answers
// in a chemistry lesson.
void addAnswerProblems(QList<QuestionProblem> &out, const QuestionFields &fields)
{
    const auto texts = fieldTexts(fields);
    for (size_t i = 0; i < 5; ++i) {
        if (texts[i]->trimmed().isEmpty()) {
            out.append({kFields[i], QStringLiteral("пустое поле: %1").arg(QuestionFieldName(kFields[i])),
                        QuestionRule::Empty});
            continue;
        }
        for (size_t earlier = 1; earlier < i; ++earlier) {
            if (texts[earlier]->simplified() != texts[i]->simplified())
                continue;
            out.append({kFields[i], QStringLiteral("%1 и %2 одинаковы: на двух кнопках будет один и тот же ответ")
                                        .arg(QuestionFieldName(kFields[earlier]), QuestionFieldName(kFields[i])),
                        QuestionRule::EqualAnswers});
            break;
        }
    }
}

} // namespace

QList<QuestionProblem> CheckQuestion(const QuestionFields &fields)
{
    const EncodedText line(QuestionLine(fields));
    const auto texts = fieldTexts(fields);
    QList<QuestionProblem> problems;
    qsizetype at = 0;
    for (size_t i = 0; i < kFields.size(); ++i) {
        addFieldProblems(problems, kFields[i], *texts[i], line, at);
        at += texts[i]->size() + 1;
    }
    addEndProblems(problems, line);
    addAnswerProblems(problems, fields);
    std::stable_sort(problems.begin(), problems.end(), [](const QuestionProblem &a, const QuestionProblem &b) {
        return static_cast<int>(a.field) < static_cast<int>(b.field);
    });
    return problems;
}

QString QuestionLine(const QuestionFields &f)
{
    return QStringList{f.question, f.right, f.wrong1, f.wrong2, f.wrong3, f.illustration}.join(QLatin1Char('|'));
}

QuestionFields SplitQuestionLine(const QString &line)
{
    QStringList parts = line.split(QLatin1Char('|'));
    while (parts.size() < 6)
        parts.append(QString());
    return QuestionFields{parts[0], parts[1], parts[2], parts[3], parts[4],
                          parts.mid(5).join(QLatin1Char('|'))};
}

QStringList TextProblems(const QString &text, StoredAs storedAs)
{
    QStringList reasons;
    for (const Problem &p : characterProblems(EncodedText(text), 0, text.size(), storedAs))
        reasons.append(p.reason);
    return reasons;
}

QString QuestionFieldName(QuestionField field)
{
    switch (field) {
    case QuestionField::Question: return QStringLiteral("вопрос");
    case QuestionField::Right: return QStringLiteral("верный ответ");
    case QuestionField::Wrong1: return QStringLiteral("первый неверный ответ");
    case QuestionField::Wrong2: return QStringLiteral("второй неверный ответ");
    case QuestionField::Wrong3: return QStringLiteral("третий неверный ответ");
    case QuestionField::Illustration: return QStringLiteral("рисунок");
    case QuestionField::Line: break;
    }
    return QStringLiteral("строка");
}

#include "questionrules.h"

#include "bankformat.h"
#include "cp1251.h"
#include "diagnostic.h"
#include "faq.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

struct Problem {
    QuestionRule rule;
    QString reason;
};

// What a byte of the code page does to a stored line.
enum class ByteClass : unsigned char { Fine, Nul, LineBreak, ScrambleBreak, Outside };

// What each character does to a stored line, made once from the code page's own tables. The
// workbench checks every question of a bank as it opens it; opening a converter for each
// question made that many times slower than reading the bank.
class CodePage
{
public:
    static const CodePage &instance()
    {
        static const CodePage page;
        return page;
    }

    // The byte of a UTF-16 code unit; 0 for a character outside the code page too, told apart by
    // the class.
    unsigned char byteOf(char16_t c) const { return cp1251::byteOf(c).value_or(0); }

    ByteClass classOf(char16_t c, StoredAs storedAs) const
    {
        const ByteClass cls = m_scrambled[c];
        return cls == ByteClass::ScrambleBreak && storedAs == StoredAs::Plain ? ByteClass::Fine : cls;
    }

private:
    CodePage()
    {
        std::array<ByteClass, 256> classes{};
        for (int b = 0; b < 0x100; ++b) {
            classes[b] = b == 0 ? ByteClass::Nul
                         : b == '\n' || b == '\r' ? ByteClass::LineBreak
                         : ScramblesToBreak(static_cast<unsigned char>(b)) ? ByteClass::ScrambleBreak
                                                                           : ByteClass::Fine;
        }
        // One look-up a character: what it does to a stored line, or that the code page lacks it.
        for (int c = 0; c < 0x10000; ++c) {
            const std::optional<unsigned char> byte = cp1251::byteOf(static_cast<char16_t>(c));
            m_scrambled[static_cast<size_t>(c)] = byte ? classes[*byte] : ByteClass::Outside;
        }
    }

    std::vector<ByteClass> m_scrambled = std::vector<ByteClass>(0x10000, ByteClass::Fine);
};

std::optional<Problem> characterProblem(ByteClass cls, QStringView ch)
{
    switch (cls) {
    case ByteClass::Fine:
        return std::nullopt;
    case ByteClass::Outside:
        return Problem{QuestionRule::Character, QStringLiteral("символ %1 не входит в кодировку Windows-1251")
                                                    .arg(DescribeCharacter(ch.toString()))};
    case ByteClass::Nul:
        return Problem{QuestionRule::Nul, QStringLiteral("символ U+0000 (NUL) недопустим: игра обрывает на нём текст")};
    case ByteClass::LineBreak:
        return Problem{QuestionRule::LineBreak,
                       QStringLiteral("перевод строки недопустим: в вопроснике каждая запись занимает одну строку")};
    case ByteClass::ScrambleBreak:
        break;
    }
    return Problem{QuestionRule::ScrambleBreak, QStringLiteral("символ %1 нельзя сохранить в вопроснике: зашифрованный, "
                                                               "он обрывает строку").arg(DescribeCharacter(ch.toString()))};
}

// The character problems of a text, each reason once, in order of appearance.
QList<Problem> characterProblems(QStringView text, StoredAs storedAs)
{
    const CodePage &page = CodePage::instance();
    QList<Problem> found;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const ByteClass cls = len == 2 ? ByteClass::Outside : page.classOf(text[i].unicode(), storedAs);
        if (cls != ByteClass::Fine) {
            Problem problem = *characterProblem(cls, text.sliced(i, len));
            const bool named = std::any_of(found.cbegin(), found.cend(),
                                           [&](const Problem &p) { return p.reason == problem.reason; });
            if (!named)
                found.append(std::move(problem));
        }
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

void addFieldProblems(QList<QuestionProblem> &out, QuestionField field, const QString &text)
{
    if (text.contains(QLatin1Char('|')))
        out.append({field, QStringLiteral("знак «|» внутри поля недопустим: он разделяет поля вопроса"),
                    QuestionRule::Separator});
    for (const Problem &p : characterProblems(text, StoredAs::Scrambled))
        out.append({field, p.reason, p.rule});
}

// Whether the character, stored scrambled, becomes the given bracket.
bool scramblesTo(QChar c, char bracket)
{
    const CodePage &page = CodePage::instance();
    return page.classOf(c.unicode(), StoredAs::Plain) != ByteClass::Outside
           && static_cast<unsigned char>(page.byteOf(c.unicode()) ^ kScrambleKey) == static_cast<unsigned char>(bracket);
}

// The game skips a stored line that begins with "[" or ends with "]"; «ц» and «р» scramble to
// them. An empty question or illustration leaves "|" at that end, which is harmless.
void addEndProblems(QList<QuestionProblem> &out, const QuestionFields &fields)
{
    if (!fields.question.isEmpty() && scramblesTo(fields.question.front(), '['))
        out.append({QuestionField::Question,
                    QStringLiteral("строка начинается с «%1»: зашифрованная, она начнётся с «[», и игра её пропустит")
                        .arg(fields.question.front()),
                    QuestionRule::BeginsAsHeader});
    if (!fields.illustration.isEmpty() && scramblesTo(fields.illustration.back(), ']'))
        out.append({QuestionField::Illustration,
                    QStringLiteral("строка кончается на «%1»: зашифрованная, она кончится на «]», и игра её пропустит")
                        .arg(fields.illustration.back()),
                    QuestionRule::EndsAsHeader});
}

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == ' ' || (u >= '\t' && u <= '\r');
    return u == 0x85 || u == 0xA0 || (u >= 0x1680 && c.isSpace()); // Cyrillic is never a blank
}

// Whether two answers read alike: blanks at the ends left out, a run of blanks inside as one, letter
// case kept. Compared in place, since every answer of a bank is compared with its neighbours.
bool sameAnswer(QStringView a, QStringView b)
{
    a = a.trimmed();
    b = b.trimmed();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isBlank(a[i]) && isBlank(b[j])) {
            while (i < a.size() && isBlank(a[i]))
                ++i;
            while (j < b.size() && isBlank(b[j]))
                ++j;
        } else if (a[i++] != b[j++]) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

// «Co» and «CO» are two answers in a chemistry lesson, so letter case counts.
void addAnswerProblems(QList<QuestionProblem> &out, const QuestionFields &fields)
{
    const auto texts = fieldTexts(fields);
    for (size_t i = 0; i < 5; ++i) {
        if (QStringView(*texts[i]).trimmed().isEmpty()) {
            out.append({kFields[i], QStringLiteral("пустое поле: %1").arg(QuestionFieldName(kFields[i])),
                        QuestionRule::Empty});
            continue;
        }
        for (size_t earlier = 1; earlier < i; ++earlier) {
            if (!sameAnswer(*texts[earlier], *texts[i]))
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
    const auto texts = fieldTexts(fields);
    QList<QuestionProblem> problems;
    for (size_t i = 0; i < kFields.size(); ++i)
        addFieldProblems(problems, kFields[i], *texts[i]);
    addEndProblems(problems, fields);
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
    for (const Problem &p : characterProblems(text, storedAs))
        reasons.append(p.reason);
    return reasons;
}

bool IsKeptLineNote(const QString &note)
{
    static const QRegularExpression kept(QStringLiteral("^строка \\d+: "));
    return kept.match(note).hasMatch();
}

QStringList NoteProblems(const QString &note)
{
    QStringList reasons = TextProblems(note, StoredAs::Plain);
    // A line the workbench kept from a damaged bank ("строка 12: …") is a note on purpose, whatever
    // it holds: the game never reads it, and the teacher moves it into a level when she wishes.
    if (HasQuestionSeparators(note) && !IsKeptLineNote(note))
        reasons.append(QStringLiteral("вопрос стоит до первого заголовка уровня: вопросы пишутся "
                                      "после заголовков [1] … [15]"));
    // As stored, the game's rule; as typed, the packer's (blanks around a header are allowed).
    if (IsHeaderLike(note.toUtf8()) || KindOfPlainLine(note) == PlainLineKind::Header)
        reasons.append(QStringLiteral("строка до первого заголовка начинается с «[» и кончается на «]»: "
                                      "игра примет её за заголовок"));
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

// The rules of one question: every field a bank cannot hold, named with its field and why.

#include "questionrules.h"
#include "toolstest.h"

namespace {

QuestionFields good()
{
    return {QStringLiteral("Сколько будет 2 + 2?"), QStringLiteral("4"), QStringLiteral("3"),
            QStringLiteral("5"), QStringLiteral("22"), QStringLiteral("рис1.jpg")};
}

// The problems as "field name: reason", in order.
QStringList problems(const QuestionFields &fields)
{
    QStringList list;
    for (const QuestionProblem &p : CheckQuestion(fields))
        list.append(QuestionFieldName(p.field) + QStringLiteral(": ") + p.reason);
    return list;
}

} // namespace

TEST(QuestionRules, AnOrdinaryQuestionHasNoProblem)
{
    EXPECT_TRUE(CheckQuestion(good()).isEmpty());
    QuestionFields noPicture = good();
    noPicture.illustration.clear();
    EXPECT_TRUE(CheckQuestion(noPicture).isEmpty());
}

TEST(QuestionRules, SeparatorInAFieldIsNamedWithItsField)
{
    QuestionFields f = good();
    f.wrong2 = QStringLiteral("5|6");
    const QList<QuestionProblem> found = CheckQuestion(f);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].field, QuestionField::Wrong2);
    EXPECT_EQ(found[0].rule, QuestionRule::Separator);
    EXPECT_FALSE(found[0].storable());
}

TEST(QuestionRules, CharactersTheBankCannotHoldAreNamedOncePerField)
{
    QuestionFields f = good();
    f.question = QStringLiteral("Знак \u263A и снова \u263A?");
    f.right = QStringLiteral("\u00A7 5");
    f.wrong1 = QStringLiteral("пере\u00ADнос");
    f.wrong2 = QStringLiteral("5\u00A0кг");
    f.wrong3 = QString(QChar(0)) + QStringLiteral("x");
    f.illustration = QStringLiteral("a\nb.png");
    EXPECT_EQ(problems(f), QStringList({
        QStringLiteral("вопрос: символ «☺» (U+263A) не входит в кодировку Windows-1251"),
        QStringLiteral("верный ответ: символ «§» (U+00A7) нельзя сохранить в вопроснике: зашифрованный, он обрывает строку"),
        QStringLiteral("первый неверный ответ: символ U+00AD (мягкий перенос) нельзя сохранить в вопроснике: "
                       "зашифрованный, он обрывает строку"),
        QStringLiteral("второй неверный ответ: символ U+00A0 (неразрывный пробел) нельзя сохранить в вопроснике: "
                       "зашифрованный, он обрывает строку"),
        QStringLiteral("третий неверный ответ: символ U+0000 (NUL) недопустим: игра обрывает на нём текст"),
        QStringLiteral("рисунок: перевод строки недопустим: в вопроснике каждая запись занимает одну строку"),
    }));
}

TEST(QuestionRules, CharactersOutsideTheBasicPlaneAreNamedWhole)
{
    QuestionFields f = good();
    f.right = QStringLiteral("\U0001F600");
    EXPECT_EQ(problems(f), QStringList({QStringLiteral("верный ответ: символ «\U0001F600» (U+1F600) не входит в "
                                                       "кодировку Windows-1251")}));
}

TEST(QuestionRules, LineThatWouldScrambleIntoAHeaderIsRefused)
{
    QuestionFields f = good();
    f.question = QStringLiteral("цвет неба?");
    f.illustration = QStringLiteral("Пётр");
    const QList<QuestionProblem> found = CheckQuestion(f);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].rule, QuestionRule::BeginsAsHeader);
    EXPECT_EQ(found[0].field, QuestionField::Question);
    EXPECT_EQ(found[0].reason, QStringLiteral("строка начинается с «ц»: зашифрованная, она начнётся с «[», и игра её пропустит"));
    EXPECT_EQ(found[1].rule, QuestionRule::EndsAsHeader);
    EXPECT_EQ(found[1].field, QuestionField::Illustration);
}

TEST(QuestionRules, LetterRAtTheEndOfAnAnswerIsHarmlessWithoutAPicture)
{
    QuestionFields f = good();
    f.wrong3 = QStringLiteral("Пётр");
    f.illustration.clear();
    EXPECT_TRUE(CheckQuestion(f).isEmpty()); // the stored line ends with "|"
    f.question = QStringLiteral("Царь?"); // a capital Ц scrambles to "{", not "["
    EXPECT_TRUE(CheckQuestion(f).isEmpty());
}

TEST(QuestionRules, EmptyQuestionOrAnswerIsStorableButNamed)
{
    QuestionFields f = good();
    f.question = QStringLiteral("  ");
    f.wrong1.clear();
    const QList<QuestionProblem> found = CheckQuestion(f);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].reason, QStringLiteral("пустое поле: вопрос"));
    EXPECT_EQ(found[1].reason, QStringLiteral("пустое поле: первый неверный ответ"));
    EXPECT_TRUE(found[0].storable());
    EXPECT_EQ(found[1].rule, QuestionRule::Empty);
}

TEST(QuestionRules, EqualAnswersAreNamedAtTheRepeatBlanksAsideCaseKept)
{
    QuestionFields f = good();
    f.wrong2 = QStringLiteral(" 4 ");
    f.wrong3 = QStringLiteral("3");
    EXPECT_EQ(problems(f), QStringList({
        QStringLiteral("второй неверный ответ: верный ответ и второй неверный ответ одинаковы: на двух кнопках "
                       "будет один и тот же ответ"),
        QStringLiteral("третий неверный ответ: первый неверный ответ и третий неверный ответ одинаковы: на двух "
                       "кнопках будет один и тот же ответ"),
    }));
    EXPECT_TRUE(CheckQuestion(f)[0].storable());
    const QuestionFields chemistry{QStringLiteral("Угарный газ?"), QStringLiteral("CO"), QStringLiteral("Co"),
                                   QStringLiteral("CO2"), QStringLiteral("C"), QString()};
    EXPECT_TRUE(CheckQuestion(chemistry).isEmpty());
}

TEST(QuestionRules, ProblemsComeInFieldOrder)
{
    QuestionFields f = good();
    f.question = QStringLiteral("цвет?");
    f.right.clear();
    f.wrong3 = QStringLiteral("a|b");
    QList<QuestionField> fields;
    for (const QuestionProblem &p : CheckQuestion(f))
        fields.append(p.field);
    EXPECT_EQ(fields, QList<QuestionField>({QuestionField::Question, QuestionField::Right, QuestionField::Wrong3}));
}

TEST(QuestionRules, LineJoinsAndSplitsTheSixFields)
{
    EXPECT_EQ(QuestionLine(good()), QStringLiteral("Сколько будет 2 + 2?|4|3|5|22|рис1.jpg"));
    const QuestionFields back = SplitQuestionLine(QStringLiteral("Q|a|b|c|d|e|f"));
    EXPECT_EQ(back.wrong3, QStringLiteral("d"));
    EXPECT_EQ(back.illustration, QStringLiteral("e|f"));
    EXPECT_EQ(SplitQuestionLine(QStringLiteral("Q|a")).wrong1, QString());
}

TEST(QuestionRules, NotesAreCheckedAsPlainText)
{
    EXPECT_TRUE(TextProblems(QStringLiteral("Химия § 3, мягкий\u00ADперенос"), StoredAs::Plain).isEmpty());
    EXPECT_EQ(TextProblems(QStringLiteral("§ 3"), StoredAs::Scrambled).size(), 1);
    EXPECT_EQ(TextProblems(QStringLiteral("\u263A \u263A \u2603"), StoredAs::Plain),
              QStringList({QStringLiteral("символ «☺» (U+263A) не входит в кодировку Windows-1251"),
                           QStringLiteral("символ «☃» (U+2603) не входит в кодировку Windows-1251")}));
}

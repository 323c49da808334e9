// Aiken import: a question, four options "A) …" or "A. …", "ANSWER: X"; anything else named.

#include "importtest.h"

using namespace importtest;

namespace {

const QStringList kGeographyTaken = {
    QStringLiteral("1 0: Какой город — столица России?|Москва|Санкт-Петербург|Казань|Новосибирск|"),
    QStringLiteral("8 0: Самая длинная река Европы?|Волга|Дунай|Днепр|Урал|"),
    QStringLiteral("15 0: Какой океан самый большой по площади?|Тихий|Атлантический|Индийский|Северный Ледовитый|"),
    QStringLiteral("23 0: На каком материке находится пустыня Сахара?|Африка|Азия|Австралия|Южная Америка|"),
    QStringLiteral("29 0: Как называется самая высокая гора мира?|Джомолунгма|Эльбрус|Килиманджаро|Монблан|"),
    QStringLiteral("63 0: Какая страна самая большая по площади?|Россия|Канада|Китай|США|"),
    QStringLiteral("77 0: Как называется линия, делящая Землю на северное и южное полушария?|экватор|нулевой меридиан|"
                   "тропик Рака|полярный круг|"),
    QStringLiteral("84 0: В каком полушарии находится Австралия?|в южном|в северном|в западном|ни в одном|"),
    QStringLiteral("91 0: Самый большой остров мира?|Гренландия|Мадагаскар|Новая Гвинея|Калимантан|"),
    QStringLiteral("98 0: Какой город стоит на Неве?|Санкт-Петербург|Москва|Новгород|Псков|"),
    QStringLiteral("105 0: Что показывает компас?|стороны горизонта|высоту над уровнем моря|температуру|"
                   "влажность воздуха|"),
    QStringLiteral("112 0: Какой материк омывают все четыре океана?|Евразия|Африка|Австралия|Южная Америка|"),
};

const QStringList kGeographyRejected = {
    QStringLiteral("36 «Какое озеро самое глубокое?»: вариантов ответа 3, а нужно ровно четыре (A–D)"),
    QStringLiteral("42 «Сколько океанов на Земле по общепринятому делению?»: вариантов ответа 5, а нужно ровно четыре (A–D)"),
    QStringLiteral("50 «Какой пролив отделяет Евразию от Северной Америки?»: нет строки «ANSWER: …» после вариантов ответа"),
    QStringLiteral("56 «Столица Японии?»: в строке «ANSWER: E» нет буквы одного из вариантов"),
    QStringLiteral("70 «Какой материк самый холодный?»: верный ответ и первый неверный ответ одинаковы: на двух кнопках "
                   "будет один и тот же ответ"),
};

} // namespace

TEST(ImportAiken, RealisticFileTakesFourOptionQuestionsAndNamesTheRest)
{
    const ImportOutcome out = ImportQuestions(fixture("geography.txt"), ImportFormat::Aiken);
    EXPECT_EQ(out.format, ImportFormat::Aiken);
    EXPECT_EQ(taken(out), kGeographyTaken);
    EXPECT_EQ(rejected(out), kGeographyRejected);
    EXPECT_TRUE(out.notes.isEmpty());
}

TEST(ImportAiken, Windows1251WithCrLfIsRecognisedAndReadsTheSame)
{
    const ImportOutcome out = ImportQuestions(fixture("geography-1251.txt"));
    EXPECT_EQ(out.format, ImportFormat::Aiken);
    EXPECT_EQ(taken(out), kGeographyTaken);
    EXPECT_EQ(rejected(out), kGeographyRejected);
}

TEST(ImportAiken, AnswerWithoutAQuestionAndAQuestionCutOffAreNamed)
{
    const ImportOutcome out = ImportQuestions("ANSWER: A\n\nВопрос?\nA) да\nB) нет\nC) не знаю\nD) может быть\n",
                                              ImportFormat::Aiken);
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral("1 «ANSWER: A»: строка «ANSWER:» без вопроса перед ней"),
                                          QStringLiteral("3 «Вопрос?»: нет строки «ANSWER: …» с буквой верного ответа")}));
}

TEST(ImportAiken, QuestionThatLooksLikeAnOptionIsStillTheQuestion)
{
    const ImportOutcome out = ImportQuestions("A. С. Пушкин родился в году?\nA) 1799\nB) 1800\nC) 1812\nD) 1837\n"
                                              "ANSWER: A\n", ImportFormat::Aiken);
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 0: A. С. Пушкин родился в году?|1799|1800|1812|1837|")}));
}

TEST(ImportAiken, LettersTypedOnARussianKeyboardAreTheSameLetters)
{
    const ImportOutcome out = ImportQuestions(fixture("biology-1251.txt"));
    EXPECT_EQ(out.format, ImportFormat::Aiken);
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("1 0: Какой органоид называют энергетической станцией клетки?|митохондрия|рибосома|ядро|"
                       "комплекс Гольджи|"),
        QStringLiteral("8 0: Где в клетке находится ДНК?|в ядре|в вакуолях|в клеточной стенке|в лизосомах|"),
        QStringLiteral("15 0: Какой пигмент придаёт листьям зелёный цвет?|хлорофилл|каротин|антоциан|гемоглобин|"),
        QStringLiteral("22 0: Сколько камер в сердце человека?|четыре|две|три|пять|"),
        QStringLiteral("29 0: Как называется наука о грибах?|микология|ботаника|зоология|бриология|"),
    }));
    // «Д» is no letter of the options on either keyboard.
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral("36 «Какой газ поглощают растения при фотосинтезе?»: в строке "
                                                         "«ANSWER: Д» нет буквы одного из вариантов")}));
}

TEST(ImportAiken, FileWithOnlyCyrillicLettersIsRecognised)
{
    const ImportOutcome out = ImportQuestions(toolstest::w(u"Вопрос?\r\nА) а\r\nВ) б\r\nС) в\r\nD) г\r\nANSWER: С\r\n"));
    EXPECT_EQ(out.format, ImportFormat::Aiken);
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 0: Вопрос?|в|а|б|г|")}));
}

TEST(ImportAiken, TextPartedFromTheNextByABlankLineIsNamedAndNeverGluedToAQuestion)
{
    // A title, then questions parted by blank lines; every answer line typed with a Cyrillic А or Е.
    const ImportOutcome out = ImportQuestions(toolstest::w(
        u"География, 7 класс\n\nСтолица Франции?\nA) Париж\nB) Лион\nC) Марсель\nD) Ницца\nАNSWER: A\n\n"
        u"Самая высокая гора Африки?\nA) Килиманджаро\nB) Кения\nC) Эльбрус\nD) Монблан\nANSWЕR: А\n\n"
        u"Ответы сверьте с учебником.\n\nКакой океан самый тёплый?\n\nA) Индийский\nB) Тихий\nC) Атлантический\n"
        u"D) Северный Ледовитый\nАNSWER: A\n"));
    EXPECT_EQ(out.format, ImportFormat::Aiken);
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("3 0: Столица Франции?|Париж|Лион|Марсель|Ницца|"),
        QStringLiteral("10 0: Самая высокая гора Африки?|Килиманджаро|Кения|Эльбрус|Монблан|"),
        QStringLiteral("19 0: Какой океан самый тёплый?|Индийский|Тихий|Атлантический|Северный Ледовитый|"),
    }));
    const QString why = QStringLiteral("не вопрос: за этим текстом пустая строка, а не варианты ответа A) … D)");
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral("1 «География, 7 класс»: ") + why,
                                          QStringLiteral("17 «Ответы сверьте с учебником.»: ") + why}));
}

// Moodle XML import: the LMS's own export, single-answer multiple choice taken, every other type
// named with its line, categories and pictures as in GIFT.

#include "importtest.h"

using namespace importtest;

TEST(ImportMoodleXml, RealisticExportTakesSingleAnswerChoicesAndNamesEveryOtherType)
{
    const ImportOutcome out = ImportQuestions(fixture("moodle-chemistry.xml"));
    EXPECT_EQ(out.format, ImportFormat::MoodleXml);
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("15 2: Какова формула питьевой соды (гидрокарбоната натрия)?|NaHCO3|Na2CO3|NaOH|CaCO3|"),
        QStringLiteral("70 2: Какой оксид называют «веселящим газом»…|N2O|NO2|CO|SO2|"),
        QStringLiteral("154 3: Какая кислота содержится в желудочном соке?|соляная|серная|азотная|уксусная| "
                       "[картинка не перенесена (zheludok.png)]"),
    }));
    const QString four = QStringLiteral(": в игре нужны один верный и три неверных ответа");
    EXPECT_EQ(rejected(out), QStringList({
        QStringLiteral("114 «Вода кипит при 100 °C на уровне моря.»: вопрос типа «верно/неверно» (type=\"truefalse\")") + four,
        QStringLiteral("200 «Какие кислоты сильные?»: вопрос с несколькими верными ответами (<single>false</single>): "
                       "в игре верный ответ один"),
        QStringLiteral("244 «Какой цвет у лакмуса в кислой среде?»: веса ответов не выделяют один верный: «красный» — "
                       "100 %, «розовый» — 50 % (в игре один ответ верный — 100 %, остальные неверные — 0 % или меньше)"),
        QStringLiteral("288 «Каким бывает pH кислого раствора?»: неверных ответов 4, а нужно ровно три"),
        QStringLiteral("339 «Запишите формулу серной кислоты.»: вопрос типа «короткий ответ» (type=\"shortanswer\")") + four,
        QStringLiteral("363 «Сопоставьте кислоту и её соль.»: вопрос типа «на соответствие» (type=\"matching\")") + four,
        QStringLiteral("393 «Дальше вопросы о свойствах кислот.»: описание (type=\"description\") — это не вопрос"),
        QStringLiteral("410 «Что приливают при разбавлении серной кислоты?»: верный ответ и третий неверный ответ "
                       "одинаковы: на двух кнопках будет один и тот же ответ"),
    }));
}

TEST(ImportMoodleXml, BrokenOrForeignXmlIsNamedInRussianWithItsLine)
{
    const QByteArray question = "<question type=\"multichoice\"><questiontext format=\"plain_text\"><text>Б?</text>"
                                "</questiontext><answer fraction=\"100\"><text>а</text></answer><answer fraction=\"0\">"
                                "<text>б</text></answer><answer fraction=\"0\"><text>в</text></answer>"
                                "<answer fraction=\"0\"><text>г</text></answer></question>\n";
    const struct {
        QByteArray xml;
        QStringList taken;
        QStringList rejected;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<quiz>\n" + question + "<question type=\"multichoice\">\n<questiontext>",
         {QStringLiteral("3 0: Б?|а|б|в|г|")},
         {QStringLiteral("5 «остаток файла»: файл обрывается на середине: дальше этой строки вопросов нет")}},
        {"<quiz>\n" + question + "<question type=\"multichoice\"></answer>\n</quiz>\n",
         {QStringLiteral("2 0: Б?|а|б|в|г|")},
         {QStringLiteral("3 «остаток файла»: разметка XML нарушена в столбце 38: дальше этой строки файл не прочитан")}},
        {"<quiz>\n" + question + "</quiz>\n", {QStringLiteral("2 0: Б?|а|б|в|г|")}, {}},
    };
    for (const auto &c : cases) {
        const ImportOutcome out = ImportQuestions(c.xml, ImportFormat::MoodleXml);
        EXPECT_EQ(taken(out), c.taken) << c.xml.toStdString();
        EXPECT_EQ(rejected(out), c.rejected) << c.xml.toStdString();
    }
    EXPECT_EQ(rejected(ImportQuestions("<?xml version=\"1.0\"?>\n<html><body/></html>\n", ImportFormat::MoodleXml)),
              QStringList({QStringLiteral("2 «<html>»: это не вопросы Moodle: файл начинается не с <quiz>")}));
}

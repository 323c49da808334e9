// CSV import: as spreadsheets save it, in either encoding and either separator; a title and a
// header row above the questions; every row left out named with its line.

#include "importtest.h"

using namespace importtest;

namespace {

const QStringList kHistoryTaken = {
    QStringLiteral("3 1: В каком году началась Полтавская битва?|1709|1700|1721|1812|"),
    QStringLiteral("4 1: Кто основал Санкт-Петербург?|Пётр I|Иван Грозный|Екатерина II|Александр I|FOTO/petr.jpg"),
    QStringLiteral("5 2: Как назывался указ «О вольных хлебопашцах»; кто его издал?|Александр I|Павел I|Николай I|Пётр III|"),
    QStringLiteral("6 2: Чьи слова: \"Жребий брошен\"?|Цезаря|Наполеона|Суворова|Кутузова|"),
    QStringLiteral("7 3: Какое сражение считают переломом в войне 1812 года?|Бородинское|Аустерлицкое|Полтавское|Куликовское|"),
    QStringLiteral("10 3: Кто командовал русской армией при Бородине?|М. И. Кутузов|А. В. Суворов|П. И. Багратион|"
                   "М. Б. Барклай-де-Толли|https://example.org/kutuzov.png"),
    QStringLiteral("11 0: В каком веке правила Екатерина II?|XVIII|XVII|XIX|XVI|"),
    QStringLiteral("12 4: Какой город был столицей при Петре I с 1712 года?|Санкт-Петербург|Москва|Новгород|Киев|"),
    QStringLiteral("13 4: Что учредил Пётр I в 1722 году?|Табель о рангах|Сенат|Синод|Коллегии|"),
    QStringLiteral("21 6: Какое событие произошло в 1703 году?|основание Санкт-Петербурга|Полтавская битва|"
                   "Северная война окончилась|первая газета|"),
    QStringLiteral("22 6: Кто был первым императором России?|Пётр I|Иван IV|Михаил Романов|Алексей Михайлович|"),
    QStringLiteral("23 7: Как звали полководца, не проигравшего ни одного сражения?|А. В. Суворов|М. И. Кутузов|"
                   "Ф. Ф. Ушаков|П. А. Румянцев|"),
};

const QStringList kHistoryRejected = {
    QStringLiteral("14 «Когда отменили крепостное право?»: уровень «16»: нужно число от 1 до 15 или пустая клетка"),
    QStringLiteral("15 «Кто написал «Историю государства Российского»?»: уровень «два»: нужно число от 1 до 15 или "
                   "пустая клетка"),
    QStringLiteral("16 «Кто возглавил ополчение 1612 года?»: клеток в строке 5, а нужно шесть или семь: уровень; вопрос; "
                   "верный ответ; три неверных; рисунок"),
    QStringLiteral("17 «цесаревичем называли кого?»: строка начинается с «ц»: зашифрованная, она начнётся с «[», и игра "
                   "её пропустит"),
    QStringLiteral("18 «Какая битва произошла в 1380 году?»: пустое поле: верный ответ"),
    QStringLiteral("19 «Кто такой «Тишайший»?»: рисунок: знак «|» внутри поля недопустим: он разделяет поля вопроса"),
};

} // namespace

TEST(ImportCsv, ExcelFileInWindows1251WithSemicolons)
{
    const ImportOutcome out = ImportQuestions(fixture("history-1251.csv"), ImportFormat::Csv);
    EXPECT_EQ(out.format, ImportFormat::Csv);
    EXPECT_EQ(taken(out), kHistoryTaken);
    EXPECT_EQ(rejected(out), kHistoryRejected);
    EXPECT_EQ(out.notes, QStringList({QStringLiteral("История России, 8 класс")}));
}

TEST(ImportCsv, Utf8FileWithBomAndCommasIsRecognisedAndReadsTheSame)
{
    const ImportOutcome out = ImportQuestions(fixture("history.csv"));
    EXPECT_EQ(out.format, ImportFormat::Csv);
    EXPECT_EQ(taken(out), kHistoryTaken);
    EXPECT_EQ(rejected(out), kHistoryRejected);
    EXPECT_EQ(out.notes, QStringList({QStringLiteral("История России, 8 класс")}));
    EXPECT_EQ(taken(ImportQuestions(crlf(fixture("history.csv")))), kHistoryTaken);
}

TEST(ImportCsv, WithoutHeaderOrTitleTheFirstRowIsAQuestion)
{
    const ImportOutcome out = ImportQuestions("2;Вопрос?;а;б;в;г\r\n;Ещё?;а;б;в;г;рис.png");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 2: Вопрос?|а|б|в|г|"), QStringLiteral("2 0: Ещё?|а|б|в|г|рис.png")}));
}

TEST(ImportCsv, QuotesAsASpreadsheetWritesThem)
{
    // A doubled quote is one quote; a quoted cell may hold the separator and line breaks; the
    // last line may lack its line end and its closing quote.
    const ImportOutcome out = ImportQuestions("1;\"Он сказал \"\"да\"\";\nпочему?\";\"a;b\";c;d;e\r\n"
                                              "1;Q;a;b;c;\"d");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 1: Он сказал \"да\"; почему?|a;b|c|d|e|"),
                                       QStringLiteral("3 1: Q|a|b|c|d|")}));
}

TEST(ImportCsv, TooManyCellsAreRefused)
{
    const ImportOutcome out = ImportQuestions("1;Q;a;b;c;d;pic;лишнее\n", ImportFormat::Csv);
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral("1 «Q»: клеток в строке 8, а нужно шесть или семь: уровень; "
                                                         "вопрос; верный ответ; три неверных; рисунок")}));
}

TEST(ImportCsv, ARowIsCountedWithItsEmptyLastCell)
{
    // Excel pads every row to the columns in use; a row typed later in Notepad ends where the
    // teacher stopped. An empty last cell is a cell all the same.
    const ImportOutcome out = ImportQuestions(fixture("physics-1251.csv"));
    EXPECT_EQ(out.format, ImportFormat::Csv);
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("3 1: В каких единицах измеряют силу?|в ньютонах|в джоулях|в ваттах|в паскалях|"),
        QStringLiteral("5 2: Что измеряет динамометр?|силу|массу|объём|плотность|pictures\\dinamometr.png"),
        QStringLiteral("6 2: Какой прибор измеряет давление?|манометр|динамометр|амперметр|термометр|"),
    }));
    EXPECT_EQ(rejected(out), QStringList({
        QStringLiteral("4 «Чему равно ускорение свободного падения?»: пустое поле: третий неверный ответ"),
        QStringLiteral("7 «Кто открыл закон всемирного тяготения?»: пустое поле: третий неверный ответ"),
        QStringLiteral("8 «Кто изобрёл ртутный барометр?»: клеток в строке 5, а нужно шесть или семь: уровень; "
                       "вопрос; верный ответ; три неверных; рисунок"),
    }));
    EXPECT_EQ(out.notes, QStringList({QStringLiteral("Физика, 7 класс")}));
}

TEST(ImportCsv, EmptyCellsBeyondTheSeventhArePaddingAndAnEmptyRowIsNoRow)
{
    const ImportOutcome out = ImportQuestions("1;Q;a;b;c;d;;;\n;;;;;;;;\n2;R;a;b;c;d;pic;;\n", ImportFormat::Csv);
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 1: Q|a|b|c|d|"), QStringLiteral("3 2: R|a|b|c|d|pic")}));
    EXPECT_TRUE(out.rejected.isEmpty());
}

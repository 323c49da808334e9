// GIFT import: multiple choice taken, every other shape left out with why, levels from categories.

#include "importtest.h"

using namespace importtest;

namespace {

const QStringList kChemistryTaken = {
    QStringLiteral("6 1: Какова формула воды?|H2O|H2O2|HO|OH|"),
    QStringLiteral("8 1: Как называется NaCl?|хлорид натрия|хлорат натрия|натрий хлористый|сульфат натрия|"),
    QStringLiteral("16 1: Что означает знак = в уравнении реакции?|равенство числа атомов|знак ~ «примерно»|"
                   "нагревание {t°}|катализатор|"),
    QStringLiteral("20 1: Какой из металлов самый лёгкий?|литий|натрий|калий|алюминий|"),
    QStringLiteral("24 2: Какой газ выделяется при горении метана?|углекислый газ|кислород|водород|азот|"),
    QStringLiteral("27 2: Сколько протонов в ядре атома углерода?|6|12|4|8|"),
    QStringLiteral("29 2: Ртуть при комнатной температуре _____, потому её хранят в склянках.|жидкая|твёрдая|"
                   "газообразная|плазма|"),
    QStringLiteral("39 2: Какой индикатор краснеет в кислоте?|лакмус|фенолфталеин|метилоранж в щёлочи|ни один|"),
    QStringLiteral("55 3: Что такое катализатор?|вещество, ускоряющее реакцию|продукт реакции|исходное вещество|"
                   "растворитель|"),
    QStringLiteral("59 0: Как называется раствор с pH меньше 7?|кислый|щелочной|нейтральный|солевой|"),
    QStringLiteral("61 0: Какая частица несёт отрицательный заряд?|электрон|протон|нейтрон|ядро|"),
    QStringLiteral("63 0: Каков символ натрия?|Na|N|So|Nt|"),
};

const QStringList kChemistryRejected = {
    QStringLiteral("18 «Вода кипит при 100 °C на уровне моря.»: вопрос «верно/неверно» ({T} или {F}): в игре нужны "
                   "один верный и три неверных ответа"),
    QStringLiteral("31 «Сопоставьте символ и элемент.»: вопрос на соответствие («->»): в игре нужны один верный и три "
                   "неверных ответа"),
    QStringLiteral("37 «Атомный номер кислорода?»: числовой вопрос ({#…}): в игре нужны один верный и три неверных ответа"),
    QStringLiteral("43 «Какие вещества — кислоты?»: веса ответов не выделяют один верный: «HCl» — 50 %, «H2SO4» — 50 % "
                   "(в игре один ответ верный — 100 %, остальные неверные — 0 % или меньше)"),
    QStringLiteral("45 «Сколько валентных электронов у углерода?»: неверных ответов (~) 4, а нужно ровно три"),
    QStringLiteral("47 «Благородные газы:»: верных ответов (=) 2, а нужен ровно один"),
    QStringLiteral("49 «Масса 1 моль воды?»: верный ответ: символ U+00A0 (неразрывный пробел) нельзя сохранить в "
                   "вопроснике: зашифрованный, он обрывает строку"),
    QStringLiteral("51 «Какой металл ржавеет во влажном воздухе?»: верный ответ и второй неверный ответ одинаковы: на "
                   "двух кнопках будет один и тот же ответ"),
    QStringLiteral("53 «цинк реагирует с соляной кислотой с выделением чего?»: строка начинается с «ц»: зашифрованная, "
                   "она начнётся с «[», и игра её пропустит"),
};

} // namespace

TEST(ImportGift, RealisticFileTakesMultipleChoiceAndNamesEveryOtherShape)
{
    const ImportOutcome out = ImportQuestions(fixture("chemistry.gift"), ImportFormat::Gift);
    EXPECT_EQ(out.format, ImportFormat::Gift);
    EXPECT_EQ(taken(out), kChemistryTaken);
    EXPECT_EQ(rejected(out), kChemistryRejected);
}

TEST(ImportGift, OpeningCommentsAreKeptAsNotesButCategoriesAreNot)
{
    const ImportOutcome out = ImportQuestions(fixture("chemistry.gift"), ImportFormat::Gift);
    EXPECT_EQ(out.notes, QStringList({QStringLiteral("Химия, 8 класс: вещества и реакции"),
                                      QStringLiteral("Составила Н. В. Петрова")}));
}

TEST(ImportGift, Windows1251WithCrLfReadsAsTheUtf8File)
{
    const ImportOutcome utf8 = ImportQuestions(fixture("chemistry.gift"));
    const ImportOutcome windows = ImportQuestions(fixture("chemistry-1251.gift"));
    EXPECT_EQ(windows.format, ImportFormat::Gift);
    EXPECT_EQ(taken(windows), taken(utf8));
    EXPECT_EQ(rejected(windows), rejected(utf8));
    EXPECT_EQ(windows.notes, utf8.notes);
    EXPECT_EQ(taken(ImportQuestions("\xEF\xBB\xBF" + crlf(fixture("chemistry.gift")))), kChemistryTaken);
}

TEST(ImportGift, CategoryNumberOutsideTheLadderChoosesNoLevelAndIsSaidOnItsQuestions)
{
    const ImportOutcome out = ImportQuestions("$CATEGORY: Тест/16\nA? {=a ~b ~c ~d}\n\n"
                                              "$CATEGORY: 15\nB? {=a ~b ~c ~d}\n\n"
                                              "$CATEGORY: Итоговый\nC? {=a ~b ~c ~d}\n");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("2 0: A?|a|b|c|d| [категория «Тест/16» кончается числом 16, "
                                                      "а уровни — от 1 до 15: уровень из неё не взят]"),
                                       QStringLiteral("5 15: B?|a|b|c|d|"), QStringLiteral("8 0: C?|a|b|c|d|")}));
}

TEST(ImportGift, WeightsThatSingleOutOneRightAnswerAreOneRightAndThreeWrong)
{
    const ImportOutcome out = ImportQuestions(fixture("kisloty-1251.gift"));
    EXPECT_EQ(out.format, ImportFormat::Gift);
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("5 6: Какое вещество — кислота?|HCl|NaOH|KOH|NaCl|"),
                                       QStringLiteral("7 6: Какого цвета лакмус в кислоте?|красного|синего|фиолетового|жёлтого|")}));
    const QString rule = QStringLiteral(" (в игре один ответ верный — 100 %, остальные неверные — 0 % или меньше)");
    EXPECT_EQ(rejected(out), QStringList({
        QStringLiteral("9 «Какие вещества — основания?»: веса ответов не выделяют один верный: «NaOH» — 50 %, «KOH» — 50 %") + rule,
        QStringLiteral("11 «Формула серной кислоты?»: веса ответов не выделяют один верный: «H2SO4» — 100 %, «H2SO3» — 50 %") + rule,
        QStringLiteral("13 «Сильная кислота?»: веса ответов не выделяют один верный: «HCl» — 100 %, «HNO3» — 100 %") + rule,
        QStringLiteral("15 «Кислота в лимоне?»: веса ответов не выделяют один верный: «лимонная» — 90 %") + rule,
    }));
    EXPECT_EQ(out.notes, QStringList({QStringLiteral("Кислоты и основания, 8 класс. Вопросы с баллами для Moodle.")}));
}

TEST(ImportGift, MoodleExportIsTakenAsTheTextAReaderSees)
{
    const ImportOutcome out = ImportQuestions(fixture("moodle-chemistry.gift"));
    EXPECT_EQ(out.format, ImportFormat::Gift);
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("6 4: Какова формула питьевой соды (гидрокарбоната натрия)?|NaHCO3|Na2CO3|NaOH|CaCO3|"),
        QStringLiteral("15 4: В каких единицах измеряют молярную массу M?|г/моль|моль/л|г|а. е. м.|"),
        QStringLiteral("24 4: Какой оксид называют «веселящим газом»…|N2O|NO2|CO|SO2|"),
        QStringLiteral("33 4: Какой элемент стоит в таблице Менделеева под № 8?|кислород|азот|углерод|фтор|"),
        QStringLiteral("42 4: Какое вещество — щёлочь?|NaOH|HCl|H2SO4|NaCl|"),
        QStringLiteral("51 4: Как называется прибор на рисунке?|колба Вюрца|колба Бунзена|пробирка|бюретка| "
                       "[картинка не перенесена (kolba.png)]"),
        QStringLiteral("69 4: Какой из оксидов — кислотный?|CO2 (углекислый газ)|CaO|Na2O|MgO|"),
        QStringLiteral("82 0: Какова формула аммиака?|NH3|N2H4|HNO3|NH4Cl| [категория «$course$/top/По умолчанию для "
                       "Химия 9 класс/Неорганика/Уровень 20» кончается числом 20, а уровни — от 1 до 15: уровень из неё "
                       "не взят]"),
    }));
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral(
        "60 «Выберите кислоты.»: веса ответов не выделяют один верный: «HCl» — 50 %, «H2SO4» — 50 % (в игре один "
        "ответ верный — 100 %, остальные неверные — 0 % или меньше)")}));
    EXPECT_TRUE(out.notes.isEmpty()) << "Moodle's own comments and categories are no title";
}

TEST(ImportGift, HtmlEntitiesAreDecodedSpacesMadePlainAndMarkdownEmphasisTakenOff)
{
    const ImportOutcome out = ImportQuestions(
        "[html]Сколько&nbsp;&deg;C&thinsp;&mdash; это &laquo;&#x2116;&raquo;&shy;? {=&plusmn;&ensp;1 ~&lt;b&gt; ~a&amp;b "
        "~&euro;&trade;&\\#8203;}\n\n"
        "[markdown]Кто написал *«Муму»* и __«Отцы и дети»__? {=**Тургенев** ~_Толстой_ ~Гоголь ~snake_case_name}\n\n"
        "[markdown]2 * 3 = ? {=6 ~5 ~*7 ~8*}");
    EXPECT_EQ(taken(out), QStringList({
        QStringLiteral("1 0: Сколько °C — это «№»?|± 1|<b>|a&b|€™|"),
        QStringLiteral("3 0: Кто написал «Муму» и «Отцы и дети»?|Тургенев|Толстой|Гоголь|snake_case_name|"),
        QStringLiteral("5 0: 2 * 3 = ?|6|5|*7|8*|"),
    }));
}

TEST(ImportGift, ForgottenBlankLineDoesNotRunTwoQuestionsTogether)
{
    const ImportOutcome out = ImportQuestions("A? {=a ~b ~c ~d}\nB? {\n=a ~b\n~c ~d\n}\nC? {=a ~b ~c ~d}");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 0: A?|a|b|c|d|"), QStringLiteral("2 0: B?|a|b|c|d|"),
                                       QStringLiteral("6 0: C?|a|b|c|d|")}));
}

TEST(ImportGift, FeedbackEscapesAndLineBreakEscapeAreResolved)
{
    const ImportOutcome out = ImportQuestions("::T\\:1:: Знак \\# и \\\\ и\\nперенос? {=да#верно ~нет#неверно ~может\\# "
                                              "~никак####общий отзыв}");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("1 0: Знак # и \\ и перенос?|да|нет|может#|никак|")}));
}

TEST(ImportGift, BlocksThatAreNotQuestionsAreNamed)
{
    const ImportOutcome out = ImportQuestions("Эссе о воде. {}\n\nКраткий ответ? {=H2O =вода}\n\n"
                                              "Без ответов?\n\nНе закрыто {=a ~b ~c ~d\n\nТекст {лишнее =a ~b ~c ~d}",
                                              ImportFormat::Gift);
    EXPECT_TRUE(out.taken.isEmpty());
    EXPECT_EQ(rejected(out), QStringList({
        QStringLiteral("1 «Эссе о воде.»: эссе (пустые скобки { }): в игре нужны один верный и три неверных ответа"),
        QStringLiteral("3 «Краткий ответ?»: вопрос с кратким ответом (только «=»): в игре нужны один верный и три "
                       "неверных ответа"),
        QStringLiteral("5 «Без ответов?»: нет ответов в фигурных скобках { … }"),
        QStringLiteral("7 «Не закрыто {=a ~b ~c ~d»: нет закрывающей скобки «}» после ответов"),
        QStringLiteral("9 «Текст»: в скобках текст до первого ответа: ответы начинаются с «=» или «~»"),
    }));
}

TEST(ImportGift, CharacterOutsideTheCodePageRejectsTheQuestionWithItsField)
{
    const ImportOutcome out = ImportQuestions("Сколько будет 2 * 2? {=4 ~3 ~5 ~\u221A16}");
    EXPECT_TRUE(out.taken.isEmpty());
    EXPECT_EQ(rejected(out), QStringList({QStringLiteral("1 «Сколько будет 2 * 2?»: третий неверный ответ: символ «√» "
                                                         "(U+221A) не входит в кодировку Windows-1251")}));
}

TEST(ImportGift, NestedCategoryTakesTheNearestLevelOnItsPath)
{
    const ImportOutcome out = ImportQuestions("$CATEGORY: $course$/top/Химия 8/Уровень 3/Кислоты\nA? {=a ~b ~c ~d}\n\n"
                                              "$CATEGORY: $course$/Химия 8/Уровень 20/Кислоты\nB? {=a ~b ~c ~d}\n\n"
                                              "$CATEGORY: Химия 8/12/Соли//кислоты\nC? {=a ~b ~c ~d}\n\n"
                                              "$CATEGORY: $course$/Химия 8/Итоговый тест\nD? {=a ~b ~c ~d}\n");
    EXPECT_EQ(taken(out), QStringList({QStringLiteral("2 3: A?|a|b|c|d|"),
                                       QStringLiteral("5 0: B?|a|b|c|d| [в категории «$course$/Химия 8/Уровень 20/Кислоты» "
                                                      "уровень 20, а уровни — от 1 до 15: уровень из неё не взят]"),
                                       QStringLiteral("8 12: C?|a|b|c|d|"), QStringLiteral("11 0: D?|a|b|c|d|")}));
}

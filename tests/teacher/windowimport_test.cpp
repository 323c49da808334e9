#include "importdialog.h"
#include "teachertest_window.h"
#include "testutil.h"

#include <QTableWidget>

using teachertest::fullBank;
using testutil::w;
using testutil::writeBytes;

namespace {

const char kGift[] = "// География, 7 класс\n"
                     "$CATEGORY: $course$/География/Уровень 3\n"
                     "\n"
                     "::Столица::Столица Франции? {=Париж ~Лион ~Марсель ~Ницца}\n"
                     "\n"
                     "Самая длинная река? {=Нил ~Волга ~Дон ~Рейн}\n"
                     "\n"
                     "Земля круглая? {TRUE}\n"
                     "\n"
                     "$CATEGORY: $course$/География/Уровень 12\n"
                     "\n"
                     "Самая высокая гора? {=Эверест ~Эльбрус ~Монблан ~Казбек}\n";

} // namespace

TEST_F(WindowTest, AGiftFileGoesIntoTheLevelsItNamesAsOneStep)
{
    openSaved(fullBank(1));
    writeBytes(folder + QStringLiteral("geo.gift"), kGift);
    prompts.files = {folder + QStringLiteral("geo.gift")};
    prompts.placement = ImportPlacement::SourceLevels;
    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(prompts.lastImport.taken.size(), 3);
    EXPECT_EQ(prompts.lastImport.rejected.size(), 1);
    ASSERT_EQ(doc().count(3), 3);
    EXPECT_EQ(doc().question(3, 1).question, QStringLiteral("Столица Франции?"));
    EXPECT_EQ(doc().question(3, 1).right, QStringLiteral("Париж"));
    EXPECT_EQ(doc().question(12, 1).wrong1, QStringLiteral("Эльбрус"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().count(3), 1);
    EXPECT_EQ(doc().count(12), 1);
}

TEST_F(WindowTest, ACsvFileInWindows1251GoesIntoTheLevelBeingEdited)
{
    openSaved(fullBank(1));
    writeBytes(folder + QStringLiteral("chem.csv"),
               w(u"уровень;вопрос;верный;неверный;неверный;неверный;рисунок\r\n"
                 u"2;Формула воды?;H2O;CO2;NaCl;O2;\r\n"
                 u"5;\"Символ; золота?\";Au;Ag;Fe;Cu;\r\n"));
    editor().setCurrentLevel(7);
    prompts.files = {folder + QStringLiteral("chem.csv")};
    prompts.placement = ImportPlacement::CurrentLevel;
    ASSERT_TRUE(window->findChild<QAction *>(QStringLiteral("actionImport")));
    window->findChild<QAction *>(QStringLiteral("actionImport"))->trigger();
    ASSERT_EQ(doc().count(7), 3);
    EXPECT_EQ(doc().question(7, 1).question, QStringLiteral("Формула воды?"));
    EXPECT_EQ(doc().question(7, 2).question, QStringLiteral("Символ; золота?"));
    EXPECT_EQ(doc().count(2), 1);
}

TEST_F(WindowTest, ACancelledPreviewAddsNothing)
{
    writeBytes(folder + QStringLiteral("geo.gift"), kGift);
    prompts.files = {folder + QStringLiteral("geo.gift")};
    prompts.placement.reset();
    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(doc().bank().total(), 0);
    EXPECT_FALSE(window->isModified());
}

TEST(ImportDialog, ShowsEveryQuestionTakenAndWhyTheOthersWereNot)
{
    const ImportOutcome outcome = ImportQuestions(QByteArray(kGift));
    ImportDialog dialog(outcome, 4);
    ASSERT_EQ(dialog.takenTable()->rowCount(), 3);
    EXPECT_EQ(dialog.takenTable()->item(0, 1)->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog.takenTable()->item(0, 2)->text(), QStringLiteral("Столица Франции?"));
    ASSERT_EQ(dialog.rejectedTable()->rowCount(), 1);
    EXPECT_EQ(dialog.rejectedTable()->item(0, 0)->text(), QStringLiteral("8"));
    EXPECT_FALSE(dialog.rejectedTable()->item(0, 2)->text().isEmpty());
    EXPECT_EQ(dialog.placement(), ImportPlacement::SourceLevels);
}

TEST(ImportDialog, SaysWhatATakenQuestionLostOnTheWay)
{
    // A Moodle export: the picture lives in Moodle, not in the file, so it cannot come along.
    const ImportOutcome outcome = ImportQuestions(QByteArray(
        "$CATEGORY: $course$/Физика/Уровень 2\n\n"
        "::Прибор::[html]<p>Что за прибор?</p><p><img src\\=\"@@PLUGINFILE@@/manometr.png\" alt\\=\"\"></p>{\n"
        "\t=<p>манометр</p>\n\t~<p>барометр</p>\n\t~<p>термометр</p>\n\t~<p>ареометр</p>\n}\n\n"
        "Без картинки? {=да ~нет ~может быть ~не знаю}\n"));
    ImportDialog dialog(outcome, 4);
    QTableWidget *taken = dialog.takenTable();
    ASSERT_EQ(taken->rowCount(), 2);
    ASSERT_GE(taken->columnCount(), 6);
    EXPECT_EQ(taken->horizontalHeaderItem(5)->text(), QStringLiteral("Не перенесено"));
    EXPECT_EQ(taken->item(0, 2)->text(), QStringLiteral("Что за прибор?"));
    EXPECT_EQ(taken->item(0, 5)->text(), QStringLiteral("картинка не перенесена (manometr.png)"));
    EXPECT_EQ(taken->item(1, 5)->text(), QString());
}

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

TEST_F(WindowTest, OneCtrlZUndoesAWholeImportTitleAndAll)
{
    // A new bank takes the file's title into its notes along with the questions.
    writeBytes(folder + QStringLiteral("geo.gift"), kGift);
    prompts.files = {folder + QStringLiteral("geo.gift")};
    key(Qt::Key_I, Qt::ControlModifier);
    ASSERT_EQ(doc().bank().total(), 3);
    ASSERT_FALSE(doc().notes().isEmpty());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().bank().total(), 0);
    EXPECT_TRUE(doc().notes().isEmpty());
    EXPECT_FALSE(window->isModified());
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

TEST(ImportDialog, ShowsEachWrongAnswerInAColumnOfItsOwn)
{
    // An answer that holds «; » itself must not read as two.
    const ImportOutcome outcome = ImportQuestions(QByteArray("Что верно? {=a ~b; c ~d ~e}\n"));
    ImportDialog dialog(outcome, 4);
    QTableWidget *taken = dialog.takenTable();
    ASSERT_EQ(taken->rowCount(), 1);
    QStringList shown;
    for (int c = 0; c < taken->columnCount(); ++c) {
        const QTableWidgetItem *cell = taken->item(0, c);
        shown.append(taken->horizontalHeaderItem(c)->text() + QStringLiteral(" = ") + (cell ? cell->text() : QString()));
    }
    EXPECT_TRUE(shown.contains(QStringLiteral("Неверный 1 = b; c"))) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Неверный 2 = d"))) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Неверный 3 = e"))) << shown.join(QLatin1Char('|')).toStdString();
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
    ASSERT_EQ(taken->columnCount(), 8);
    EXPECT_EQ(taken->horizontalHeaderItem(7)->text(), QStringLiteral("Не перенесено"));
    EXPECT_EQ(taken->item(0, 2)->text(), QStringLiteral("Что за прибор?"));
    EXPECT_EQ(taken->item(0, 7)->text(), QStringLiteral("картинка не перенесена (manometr.png)"));
    EXPECT_EQ(taken->item(1, 7)->text(), QString());
}

#include "bankdocument.h"
#include "bankfile.h"
#include "levelmodel.h"
#include "problemmodel.h"
#include "teachertest.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using teachertest::fullBank;
using teachertest::question;

namespace {

QStringList questionsOf(const BankDocument &doc, int level)
{
    QStringList out;
    for (int row = 0; row < doc.count(level); ++row)
        out.append(doc.question(level, row).question);
    return out;
}

QStringList problemTexts(const ProblemModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.append(model.data(model.index(row)).toString());
    return out;
}

} // namespace

class BankDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override { doc.reset(fullBank()); }

    BankDocument doc;
    QUndoStack &undo = *doc.undoStack();
};

TEST_F(BankDocumentTest, EveryKindOfEditIsUndoneAndRedoneInTurn)
{
    const EditorBank start = doc.bank();
    doc.setField(3, 0, 1, QStringLiteral("верно"));
    doc.addQuestion(3, 2, question(QStringLiteral("Новый?")));
    doc.duplicateQuestion(3, 0);
    doc.moveQuestion(3, 0, 3);
    doc.moveToLevel(3, 1, 7);
    doc.removeQuestion(3, 0);
    // 3.1 edited, «Новый?» third, a copy of 3.1 second, the first moved last, 3.2 to level 7, the copy deleted.
    EXPECT_EQ(questionsOf(doc, 3), (QStringList{QStringLiteral("Новый?"), QStringLiteral("Вопрос 3.1?")}));
    EXPECT_EQ(doc.question(3, 1).right, QStringLiteral("верно"));
    EXPECT_EQ(questionsOf(doc, 7).last(), QStringLiteral("Вопрос 3.2?"));
    EXPECT_EQ(undo.count(), 6);

    while (undo.canUndo())
        undo.undo();
    EXPECT_EQ(BankText(doc.bank()), BankText(start));
    while (undo.canRedo())
        undo.redo();
    EXPECT_EQ(questionsOf(doc, 3), (QStringList{QStringLiteral("Новый?"), QStringLiteral("Вопрос 3.1?")}));
    EXPECT_EQ(doc.count(7), 3);
}

TEST_F(BankDocumentTest, ImportedQuestionsAreOneStepAcrossLevels)
{
    doc.addQuestions({{2, question(QStringLiteral("А?"))}, {9, question(QStringLiteral("Б?"))}, {2, question(QStringLiteral("В?"))}},
                     QStringLiteral("импорт"));
    EXPECT_EQ(questionsOf(doc, 2).mid(2), (QStringList{QStringLiteral("А?"), QStringLiteral("В?")}));
    EXPECT_EQ(doc.count(9), 3);
    undo.undo();
    EXPECT_EQ(doc.count(2), 2);
    EXPECT_EQ(doc.count(9), 2);
}

TEST_F(BankDocumentTest, SeveralRowsGoOnceEachInOneStepAndRowsOutOfRangeAreIgnored)
{
    doc.reset(fullBank(4));
    doc.removeQuestions(1, {3, 0, 3, 99, -1});
    EXPECT_EQ(questionsOf(doc, 1), QStringList({"Вопрос 1.2?", "Вопрос 1.3?"}));
    ASSERT_EQ(undo.count(), 1);
    EXPECT_EQ(undo.text(0), QStringLiteral("удаление вопросов уровня 1 (2)"));
    undo.undo();
    EXPECT_EQ(questionsOf(doc, 1), QStringList({"Вопрос 1.1?", "Вопрос 1.2?", "Вопрос 1.3?", "Вопрос 1.4?"}));
    doc.moveToLevel(2, {2, 1, 2}, 15);
    EXPECT_EQ(questionsOf(doc, 2), QStringList({"Вопрос 2.1?", "Вопрос 2.4?"}));
    EXPECT_EQ(questionsOf(doc, 15).mid(4), QStringList({"Вопрос 2.2?", "Вопрос 2.3?"}));
    doc.moveToLevel(2, {0, 1}, 2); // to its own level: nothing
    doc.removeQuestions(3, {});
    EXPECT_EQ(undo.count(), 1); // the move alone: the removal was undone, and the two no-ops add nothing
    undo.undo();
    EXPECT_EQ(questionsOf(doc, 2), QStringList({"Вопрос 2.1?", "Вопрос 2.2?", "Вопрос 2.3?", "Вопрос 2.4?"}));
    EXPECT_EQ(doc.count(15), 4);
}

TEST_F(BankDocumentTest, SettingAFieldToItsOwnTextIsNoStep)
{
    doc.setField(1, 0, 0, doc.question(1, 0).question);
    EXPECT_EQ(undo.count(), 0);
}

TEST_F(BankDocumentTest, ProblemsFollowTheTextAsItIsTypedAndUndone)
{
    ProblemModel problems(&doc);
    QAbstractItemModelTester tester(&problems, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(problems.rowCount(), 0);
    EXPECT_FALSE(doc.hasProblems());

    doc.setField(4, 1, 2, QStringLiteral("нет|да"));
    ASSERT_EQ(problems.rowCount(), 1);
    EXPECT_TRUE(problemTexts(problems)[0].startsWith(QStringLiteral("Уровень 4, вопрос 2, первый неверный ответ: знак «|»")))
        << problemTexts(problems)[0].toStdString();
    EXPECT_EQ(problems.problem(0).column, 2);
    EXPECT_TRUE(doc.hasProblems());

    undo.undo();
    EXPECT_EQ(problems.rowCount(), 0);
}

TEST_F(BankDocumentTest, EmptyLevelsAndLevelsBelowTheMinimumAreProblems)
{
    LevelModel levels(&doc);
    QAbstractItemModelTester tester(&levels, QAbstractItemModelTester::FailureReportingMode::Fatal);
    doc.removeQuestion(5, 0);
    doc.removeQuestion(5, 0);
    EXPECT_EQ(levels.data(levels.indexOf(5)).toString(), QStringLiteral("Уровень 5 — 0 вопросов"));
    EXPECT_EQ(levels.data(levels.indexOf(5), Qt::ToolTipRole).toString(), QStringLiteral("Уровень 5: нет ни одного вопроса"));
    EXPECT_TRUE(levels.data(levels.indexOf(5), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(levels.data(levels.indexOf(6), Qt::BackgroundRole).isValid());

    doc.setMinimum(3);
    EXPECT_EQ(levels.data(levels.indexOf(6), Qt::ToolTipRole).toString(),
              QStringLiteral("Уровень 6: вопросов 2, а нужно не меньше 3"));
    EXPECT_EQ(doc.allProblems().size(), 15);
    doc.setMinimum(2);
    EXPECT_EQ(doc.allProblems().size(), 1);
}

TEST_F(BankDocumentTest, NotesThatLookLikeAHeaderAreAProblem)
{
    doc.setNotes({QStringLiteral("Алгебра"), QStringLiteral("[черновик]")});
    const QList<BankProblem> all = doc.allProblems();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].level, 0);
    EXPECT_TRUE(all[0].text.startsWith(QStringLiteral("Заметки, строка 2:"))) << all[0].text.toStdString();
}

TEST_F(BankDocumentTest, TypingInTheNotesIsOneUndoStep)
{
    const QStringList before = doc.notes();
    doc.setNotes({QStringLiteral("Х")});
    doc.setNotes({QStringLiteral("Хи")});
    doc.setNotes({QStringLiteral("Химия")});
    EXPECT_EQ(undo.count(), 1);
    undo.undo();
    EXPECT_EQ(doc.notes(), before);
    undo.redo();
    EXPECT_EQ(doc.notes(), QStringList{QStringLiteral("Химия")});
    doc.setField(1, 0, 0, QStringLiteral("Новый вопрос?"));
    doc.setNotes({QStringLiteral("Химия, 8 класс")}); // after another edit: a step of its own
    EXPECT_EQ(undo.count(), 3);
    undo.undo();
    EXPECT_EQ(doc.notes(), QStringList{QStringLiteral("Химия")});
}

TEST_F(BankDocumentTest, ResetStartsTheHistoryAfresh)
{
    doc.removeQuestion(1, 0);
    doc.reset(fullBank(1));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(doc.count(1), 1);
}

#include "bankdocument.h"
#include "questionmodel.h"
#include "teachertest.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>

#include <gtest/gtest.h>

using teachertest::fullBank;
using teachertest::question;

class QuestionModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doc.reset(fullBank(3));
        model.setLevel(2);
    }

    QVariant cell(int row, int column, int role = Qt::DisplayRole) const { return model.data(model.index(row, column), role); }

    BankDocument doc;
    QuestionModel model{&doc};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(QuestionModelTest, ShowsTheSixFieldsOfTheLevelsQuestions)
{
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(cell(1, 0).toString(), QStringLiteral("Вопрос 2.2?"));
    EXPECT_EQ(cell(1, 1).toString(), QStringLiteral("да"));
    EXPECT_EQ(cell(1, 4).toString(), QStringLiteral("не знаю"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Верный ответ"));
    EXPECT_EQ(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("Рисунок"));
    model.setLevel(7);
    EXPECT_EQ(cell(0, 0).toString(), QStringLiteral("Вопрос 7.1?"));
}

TEST_F(QuestionModelTest, ATypedCellIsStoredAsAStepThatCanBeUndone)
{
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(model.setData(model.index(0, 1), QStringLiteral("конечно")));
    EXPECT_EQ(cell(0, 1).toString(), QStringLiteral("конечно"));
    EXPECT_EQ(changed.count(), 1);
    doc.undoStack()->undo();
    EXPECT_EQ(cell(0, 1).toString(), QStringLiteral("да"));
    doc.undoStack()->redo();
    EXPECT_EQ(cell(0, 1).toString(), QStringLiteral("конечно"));
}

TEST_F(QuestionModelTest, ACellTheBankCannotHoldIsColouredWithTheReasonInItsTooltip)
{
    model.setData(model.index(2, 3), QStringLiteral("нет"));
    EXPECT_EQ(cell(2, 3, Qt::BackgroundRole).value<QColor>(), QuestionModel::problemColor());
    EXPECT_TRUE(cell(2, 3, Qt::ToolTipRole).toString().contains(QStringLiteral("одинаковы"))) << cell(2, 3, Qt::ToolTipRole).toString().toStdString();
    EXPECT_FALSE(cell(2, 0, Qt::BackgroundRole).isValid());
    EXPECT_FALSE(cell(1, 3, Qt::BackgroundRole).isValid());

    model.setData(model.index(2, 3), QStringLiteral("может быть|"));
    EXPECT_TRUE(cell(2, 3, Qt::ToolTipRole).toString().contains(QStringLiteral("знак «|»")));
    model.setData(model.index(2, 0), QStringLiteral("Где ✓?"));
    EXPECT_TRUE(cell(2, 0, Qt::ToolTipRole).toString().contains(QStringLiteral("Windows-1251")));

    model.setData(model.index(2, 0), QStringLiteral("Где?"));
    model.setData(model.index(2, 3), QStringLiteral("может быть"));
    for (int column = 0; column < model.columnCount(); ++column)
        EXPECT_FALSE(cell(2, column, Qt::BackgroundRole).isValid()) << column;
}

TEST_F(QuestionModelTest, ALineThatWouldScrambleIntoAHeaderIsMarked)
{
    model.setData(model.index(0, 0), QStringLiteral("цена?"));
    EXPECT_EQ(cell(0, 0, Qt::BackgroundRole).value<QColor>(), QuestionModel::problemColor());
    EXPECT_TRUE(cell(0, 0, Qt::ToolTipRole).toString().contains(QStringLiteral("«[»")));
}

TEST_F(QuestionModelTest, RowsFollowInsertsMovesAndRemovalsOfTheShownLevelOnly)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    doc.addQuestion(2, 1, question(QStringLiteral("Вставлен?")));
    doc.addQuestion(5, 0, question(QStringLiteral("Другой уровень?")));
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(cell(1, 0).toString(), QStringLiteral("Вставлен?"));
    doc.moveQuestion(2, 1, 3);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(cell(3, 0).toString(), QStringLiteral("Вставлен?"));
    doc.moveQuestion(2, 3, 0);
    EXPECT_EQ(cell(0, 0).toString(), QStringLiteral("Вставлен?"));
    doc.moveToLevel(2, 0, 5);
    EXPECT_EQ(model.rowCount(), 3);
    doc.undoStack()->undo();
    EXPECT_EQ(cell(0, 0).toString(), QStringLiteral("Вставлен?"));
    doc.removeQuestion(2, 0);
    doc.removeQuestion(2, 0);
    EXPECT_EQ(model.rowCount(), 2);
}

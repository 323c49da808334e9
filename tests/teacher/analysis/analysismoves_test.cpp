// «Предложить уровни» in the workbench: a question planted on the wrong level is proposed for
// another, and the teacher's decision reaches the bank open in the editor as one undo step.

#include "analysislab.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>

using namespace analysistest;

namespace {

class LevelMoves : public AnalysisTest
{
protected:
    /// Ninety games: on level 1 two easy questions and a hard one planted there (one in ten
    /// right), then a ladder that climbs: 95 %, 80 %, 60 % and about 20 % right.
    void playClass()
    {
        int right[6] = {0, 0, 0, 0, 0, 0};
        const int share[6] = {0, 0, 95, 80, 60, 20};
        int seen[6] = {0, 0, 0, 0, 0, 0};
        for (int s = 0; s < 90; ++s) {
            const int row = s % 3;
            QList<Step> steps;
            const bool hard = row == 2;
            const bool first = !hard || s % 30 == 2; // three of the thirty on the hard one are right
            steps.append({1, row, first ? 1 : 2, 6000});
            int level = 1;
            bool alive = first;
            while (alive && level < 5) {
                ++level;
                ++seen[level];
                alive = right[level] * 100 < share[level] * seen[level];
                right[level] += alive ? 1 : 0;
                steps.append({level, 0, alive ? 1 : 2, 6000});
            }
            if (alive)
                play(QStringLiteral("ПК-1"), QStringLiteral("УЧЕНИК %1").arg(s), steps, GameEnding::Stop, 6);
            else
                play(QStringLiteral("ПК-1"), QStringLiteral("УЧЕНИК %1").arg(s), steps, GameEnding::Wrong, level);
        }
    }

    /// Proposes the levels and chooses the move of the hard question; its row, or -1.
    int chooseHardMove()
    {
        QTest::mouseClick(child<QPushButton>("proposeLevels"), Qt::LeftButton);
        auto *moves = child<QTableWidget>("levelMoves");
        const QString hard = lineHash(bank.levels[1][2]);
        const auto *pane = child<LevelMovesPane>("levelMovesPane");
        for (int r = 0; r < pane->moves().size(); ++r) {
            if (pane->moves()[r].sha256 == hard) {
                clickRow(moves, r);
                return r;
            }
        }
        return -1;
    }

    int where(int level, const QuestionFields &q) const
    {
        for (int row = 0; row < doc().count(level); ++row) {
            if (doc().question(level, row).question == q.question)
                return row;
        }
        return -1;
    }

    void trigger(const char *action) { window->findChild<QAction *>(QLatin1String(action))->trigger(); }
};

} // namespace

TEST_F(LevelMoves, AnAcceptedMoveIsOneUndoStepOfTheOpenBankAndUndoBringsItBack)
{
    playClass();
    ASSERT_TRUE(window->openBank(bankPath));
    showTab();
    const int row = chooseHardMove();
    ASSERT_GE(row, 0) << "the planted question is proposed for another level";
    const LevelMove move = child<LevelMovesPane>("levelMovesPane")->moves()[row];
    EXPECT_EQ(move.fromLevel, 1);
    EXPECT_GT(move.toLevel, 2);
    EXPECT_EQ(move.answered, 30);
    QFile file(bankPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();

    QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
    EXPECT_EQ(doc().undoStack()->count(), 1);
    EXPECT_EQ(doc().count(1), 2);
    EXPECT_EQ(where(1, bank.levels[1][2]), -1);
    EXPECT_EQ(where(move.toLevel, bank.levels[1][2]), doc().count(move.toLevel) - 1);
    EXPECT_EQ(child<LevelMovesPane>("levelMovesPane")->decision(row), QStringLiteral("принят"));
    EXPECT_FALSE(child<QPushButton>("acceptMove")->isEnabled()) << "a move is decided once";
    EXPECT_TRUE(window->isModified());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved) << "the bank is saved only by the teacher";
    file.close();

    trigger("actionUndo");
    EXPECT_EQ(doc().count(1), 3);
    EXPECT_EQ(where(1, bank.levels[1][2]), 2);
    EXPECT_EQ(BankText(doc().bank()), BankText(bank));
    EXPECT_FALSE(window->isModified());
}

TEST_F(LevelMoves, ARejectedMoveLeavesTheBank)
{
    playClass();
    ASSERT_TRUE(window->openBank(bankPath));
    showTab();
    const int row = chooseHardMove();
    ASSERT_GE(row, 0);
    QTest::mouseClick(child<QPushButton>("rejectMove"), Qt::LeftButton);
    EXPECT_EQ(child<LevelMovesPane>("levelMovesPane")->decision(row), QStringLiteral("отклонён"));
    EXPECT_EQ(doc().undoStack()->count(), 0);
    EXPECT_EQ(BankText(doc().bank()), BankText(bank));
}

TEST_F(LevelMoves, TheLessonsBankIsOpenedWithTheTeachersConsentWhenAnotherIsOpen)
{
    playClass();
    showTab();
    ASSERT_GE(chooseHardMove(), 0);
    prompts.confirmAnswer = true;
    QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
    EXPECT_TRUE(prompts.asked.contains(QStringLiteral("Перенос по уровням")));
    EXPECT_EQ(QFileInfo(window->bankPath()), QFileInfo(bankPath));
    EXPECT_EQ(doc().count(1), 2);
    EXPECT_EQ(doc().undoStack()->count(), 1);
    EXPECT_EQ(window->tabs()->currentWidget(), view) << "the teacher stays with the proposals";
}

TEST_F(LevelMoves, AnEditedBankIsNeverLeftForTheLessonsBank)
{
    playClass();
    doc().addQuestion(1, 0, QuestionFields{QStringLiteral("Новый?"), QStringLiteral("а"), QStringLiteral("б"),
                                           QStringLiteral("в"), QStringLiteral("г"), QString()});
    showTab();
    ASSERT_GE(chooseHardMove(), 0);
    QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
    EXPECT_EQ(doc().undoStack()->count(), 1) << "only the teacher's own edit";
    EXPECT_EQ(doc().count(1), 1);
    EXPECT_TRUE(child<QLabel>("levelMovesResult")->text().contains(QStringLiteral("несохранёнными")));
    EXPECT_TRUE(child<QPushButton>("acceptMove")->isEnabled()) << "the move can be accepted later";
}

// «Предложить уровни» in the workbench: a question planted on the wrong level is proposed for
// another, and the teacher's decision reaches the bank open in the editor as one undo step.

#include "analysislab.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The only question left on level 1: the proposal says the level would be left empty, and the
// move is made only when the teacher chooses it over the default.
TEST_F(LevelMoves, AMoveThatEmptiesALevelSaysSoAndIsMadeOnlyWhenChosen)
{
    playClass();
    ASSERT_TRUE(window->openBank(bankPath));
    doc().removeQuestions(1, {0, 1});
    showTab();
    for (const int answer : {0, 1}) {
        SCOPED_TRACE(answer);
        const int row = chooseHardMove();
        ASSERT_GE(row, 0);
        const QString reason = child<QTableWidget>("levelMoves")->item(row, 5)->text();
        EXPECT_TRUE(reason.startsWith(QStringLiteral("Внимание: Это единственный вопрос уровня 1"))) << reason.toStdString();
        prompts.chooseAnswer = answer;
        QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
        EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("уровень 1 останется без вопросов")));
        EXPECT_EQ(doc().count(1), answer == 0 ? 1 : 0);
        EXPECT_EQ(child<LevelMovesPane>("levelMovesPane")->decision(row), answer == 0 ? QString() : QStringLiteral("принят"));
    }
}

// The journal names the copy of the bank on the machine the games were played on (a lab
// folder read over the network): the move goes into this folder's own bank, with consent, and
// is refused when the folder gives the lesson no bank.
TEST_F(LevelMoves, TheFoldersOwnBankIsEditedNeverAnotherMachinesCopy)
{
    const QString own = bankPath;
    QDir(folder).mkpath(QStringLiteral("pc02"));
    bankPath = folder + QStringLiteral("pc02/lesson.faq");
    ASSERT_TRUE(SaveFaq(bankPath, bank).ok());
    playClass();
    ASSERT_TRUE(window->openBank(bankPath));
    showTab();
    const QString settings = folder + QStringLiteral("tallory.ini");
    const QString saved = settings + QStringLiteral(".saved");
    ASSERT_TRUE(QFile::rename(settings, saved));
    ASSERT_GE(chooseHardMove(), 0);
    QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
    EXPECT_EQ(doc().undoStack()->count(), 0);
    EXPECT_TRUE(child<QLabel>("levelMovesResult")->text().contains(QStringLiteral("журнал называет")));

    ASSERT_TRUE(QFile::rename(saved, settings));
    prompts.confirmAnswer = true;
    QTest::mouseClick(child<QPushButton>("acceptMove"), Qt::LeftButton);
    EXPECT_EQ(QFileInfo(window->bankPath()), QFileInfo(own));
    EXPECT_TRUE(prompts.lastQuestion.contains(QDir::toNativeSeparators(own))) << prompts.lastQuestion.toStdString();
    EXPECT_EQ(doc().count(1), 2);
    EXPECT_EQ(doc().undoStack()->count(), 1);
}

// A game ending on another machine reads the journals again: the proposals and the teacher's
// marks stay where they were.
TEST_F(LevelMoves, ProposalsAndTheirMarksSurviveAJournalChangingElsewhere)
{
    playClass();
    ASSERT_TRUE(window->openBank(bankPath));
    showTab();
    const int row = chooseHardMove();
    ASSERT_GE(row, 0);
    QTest::mouseClick(child<QPushButton>("rejectMove"), Qt::LeftButton);
    const auto *pane = child<LevelMovesPane>("levelMovesPane");
    const QString hard = pane->moves()[row].sha256;

    play(QStringLiteral("ПК-2"), QStringLiteral("ОПОЗДАВШИЙ"), {{1, 0, 2, 6000}}, GameEnding::Wrong, 1);
    view->refresh();
    ASSERT_FALSE(pane->moves().isEmpty());
    int found = -1;
    for (int r = 0; r < pane->moves().size(); ++r) {
        if (pane->moves()[r].sha256 == hard)
            found = r;
    }
    ASSERT_GE(found, 0);
    EXPECT_EQ(pane->decision(found), QStringLiteral("отклонён"));
    EXPECT_EQ(pane->moves()[found].answered, 30) << "the hard question's own figures";
}

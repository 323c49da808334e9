// The tab «Анализ» in the workbench, driven as a teacher drives it, on journals written by the
// game's own journal with answers known in advance.

#include "analysislab.h"

#include "backgroundthread.h"
#include "funnelchart.h"
#include "journalfiles.h"
#include "questiontablemodel.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>

#include <thread>

using namespace analysistest;

namespace {

class AnalysisTab : public AnalysisTest
{
protected:
    /// Twelve students: the question of level 1 right for all, quickly; level 2's wrong 1 drew
    /// seven of them, wrong 2 two, and three answered it right and stopped on level 3.
    void playClass()
    {
        for (int s = 0; s < 12; ++s) {
            const int level2 = s < 3 ? 1 : (s < 10 ? 2 : 3);
            QList<Step> steps{{1, 0, 1, 800 + s * 10, s == 0}, {2, 0, level2, 5000}};
            if (s < 3)
                play(QStringLiteral("ПК-1"), QStringLiteral("УЧЕНИК %1").arg(s), steps, GameEnding::Stop, 3);
            else
                play(QStringLiteral("ПК-1"), QStringLiteral("УЧЕНИК %1").arg(s), steps, GameEnding::Wrong, 2);
        }
    }

    int rowOfLevel(int level) const
    {
        const auto *table = child<QTableView>("questionTable");
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            if (cell("questionTable", r, QuestionTableModel::Level) == QString::number(level))
                return r;
        }
        return -1;
    }

    void choosePage(const QString &title)
    {
        auto *pages = child<QTabWidget>("analysisPages");
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->tabText(i) == title)
                QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(i).center());
        }
        ASSERT_EQ(pages->tabText(pages->currentIndex()), title);
    }
};

} // namespace

TEST_F(AnalysisTab, ShowsEachQuestionsFiguresAndAFlagsReasonInItsTooltip)
{
    playClass();
    showTab();
    const int one = rowOfLevel(1);
    const int two = rowOfLevel(2);
    ASSERT_GE(one, 0);
    ASSERT_GE(two, 0);
    EXPECT_EQ(cell("questionTable", one, QuestionTableModel::Asked), QStringLiteral("12"));
    EXPECT_EQ(cell("questionTable", one, QuestionTableModel::Right), QStringLiteral("100 %"));
    EXPECT_EQ(cell("questionTable", one, QuestionTableModel::Fifty), QStringLiteral("1"));
    EXPECT_EQ(cell("questionTable", one, QuestionTableModel::RightButton), QStringLiteral("A 12"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Right), QStringLiteral("25 %"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Wrong1), QStringLiteral("58 %"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Wrong2), QStringLiteral("17 %"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Wrong3), QStringLiteral("0 %"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Median), QStringLiteral("5,0 с"));
    EXPECT_EQ(cell("questionTable", two, QuestionTableModel::Wrong1, Qt::ToolTipRole),
              QStringLiteral("неверный 1 У2В0\nвыбран 7 раз из 12"));

    // The wrong answer that drew more students than the right one is flagged, with its reason.
    EXPECT_TRUE(cell("questionTable", two, QuestionTableModel::Flags).contains(FlagWord(QuestionFlagKind::WrongBeatsRight)));
    const QString tip = cell("questionTable", two, QuestionTableModel::Flags, Qt::ToolTipRole);
    ASSERT_FALSE(tip.isEmpty());
    bool reasonShown = false;
    for (const QuestionFigures &q : view->analysis().questions) {
        for (const QuestionFlag &f : q.flags)
            reasonShown = reasonShown || (q.level == 2 && f.kind == QuestionFlagKind::WrongBeatsRight && tip.contains(f.reason));
    }
    EXPECT_TRUE(reasonShown) << tip.toStdString();

    // Every figure's column is as wide as its widest cell, every row as high as its text.
    // (The view's own measure, which goes through its item delegate, is the reference.)
    const auto *table = child<QTableView>("questionTable");
    const QAbstractItemView *measure = table;
    for (int c = 0; c < QuestionTableModel::ColumnCount; ++c) {
        if (c != QuestionTableModel::Question)
            EXPECT_GE(table->columnWidth(c), measure->sizeHintForColumn(c)) << "column " << c;
    }
    EXPECT_GE(table->rowHeight(two), measure->sizeHintForRow(two));
}

TEST_F(AnalysisTab, TheQuickThresholdRedrawsTheGuessableFlag)
{
    playClass();
    showTab();
    const QString guessable = FlagWord(QuestionFlagKind::Guessable);
    EXPECT_TRUE(cell("questionTable", rowOfLevel(1), QuestionTableModel::Flags).contains(guessable));
    auto *quick = child<QSpinBox>("analysisQuickMs");
    quick->selectAll();
    QTest::keyClicks(quick, QStringLiteral("500"));
    EXPECT_EQ(quick->value(), 500);
    settle();
    EXPECT_FALSE(cell("questionTable", rowOfLevel(1), QuestionTableModel::Flags).contains(guessable));
}

TEST_F(AnalysisTab, FunnelShowsHowManyReachedAndPassedEachLevel)
{
    playClass();
    // Read while another page is in front; the chart shows the figures once its page is chosen.
    showTab();
    choosePage(QStringLiteral("Уровни"));
    const auto *funnel = child<FunnelChart>("funnelChart");
    EXPECT_EQ(funnel->reached(1), 12);
    EXPECT_EQ(funnel->passed(1), 12);
    EXPECT_EQ(funnel->reached(2), 12);
    EXPECT_EQ(funnel->passed(2), 3);
    EXPECT_EQ(funnel->passed(3), 0);
    // With its page in front, a game read changes the bars at once.
    play(QStringLiteral("ПК-2"), QStringLiteral("НОВЫЙ"), {{1, 0, 2, 4000}}, GameEnding::Wrong, 1);
    view->refresh();
    settle();
    EXPECT_EQ(funnel->reached(1), 13);
    EXPECT_EQ(funnel->passed(1), 12);
}

TEST_F(AnalysisTab, AStudentsPathShowsEachAnswerAndAnUnfinishedGameIsSaidSo)
{
    play(QStringLiteral("ПК-1"), QStringLiteral("ИВАНОВ И.И."), {{1, 1, 1, 2500, false, QStringLiteral("Думаю, это A")}, {2, 0, 3, 7000, true, {}, true}},
         GameEnding::Wrong, 2);
    play(QStringLiteral("ПК-2"), QStringLiteral("ПЕТРОВ П.П."), {{1, 0, 1, 3000}}, std::nullopt);
    showTab();
    choosePage(QStringLiteral("Ученики"));
    auto *games = child<QTableView>("analysisGames");
    ASSERT_EQ(games->model()->rowCount(), 2);
    // Read while the page was in the back: its columns fit once it is seen.
    const QAbstractItemView *measure = games;
    for (int c = 0; c + 1 < games->model()->columnCount(); ++c)
        EXPECT_GE(games->columnWidth(c), measure->sizeHintForColumn(c)) << "column " << c;
    EXPECT_EQ(cell("analysisGames", 1, 0), QStringLiteral("ПЕТРОВ П.П."));
    EXPECT_EQ(cell("analysisGames", 1, 5), QStringLiteral("не закончена"));
    clickRow(games, 0);
    auto *path = child<QTableWidget>("analysisPath");
    // The game's answers are read on the tab's reading thread.
    ASSERT_TRUE(QTest::qWaitFor([path] { return path->rowCount() == 2; }, 10000)) << path->rowCount();
    EXPECT_EQ(path->item(0, 2)->text(), QStringLiteral("A: верный У1В1"));
    EXPECT_EQ(path->item(0, 3)->text(), QStringLiteral("верно"));
    EXPECT_EQ(path->item(0, 4)->text(), QStringLiteral("2,5 с"));
    EXPECT_EQ(path->item(0, 5)->text(), QStringLiteral("друг: «Думаю, это A»"));
    EXPECT_EQ(path->item(1, 2)->text(), QStringLiteral("C: неверный 2 У2В0"));
    EXPECT_EQ(path->item(1, 3)->text(), QStringLiteral("неверно (неверный 2)"));
    EXPECT_EQ(path->item(1, 5)->text(), QStringLiteral("50:50 убрал B и D; зал: A 30, B 10, C 6, D 4"));
}

TEST_F(AnalysisTab, ExportWritesTheQuestionTableAsCsv)
{
    playClass();
    showTab();
    const QString path = folder + QStringLiteral("анализ.csv");
    prompts.files.push_back(path);
    QTest::mouseClick(child<QPushButton>("analysisCsv"), Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains(QStringLiteral("Вопрос У2В0?").toUtf8()));
    EXPECT_EQ(bytes, QuestionTableCsv(view->analysis()));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(AnalysisTab, ListsAMachinesProblemNoteAndAJournalThatCannotBeRead)
{
    playClass();
    WriteProblemNote(folder, QStringLiteral("ПК-9"), QDateTime::currentDateTime(), QStringLiteral("на диске нет места"));
    QFile damaged(JournalFilePath(folder, QStringLiteral("ПК-3")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    showTab();
    const auto *problems = child<QListWidget>("analysisProblems");
    QStringList lines;
    for (int i = 0; i < problems->count(); ++i)
        lines.append(problems->item(i)->text());
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Журнал «"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("ПК-3.sqlite")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Машина «ПК-9» не смогла записать журнал: "))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("на диске нет места")));
    // The figures of the journals that could be read are shown all the same.
    EXPECT_EQ(cell("questionTable", rowOfLevel(1), QuestionTableModel::Asked), QStringLiteral("12"));
    EXPECT_TRUE(child<QLabel>("analysisStatus")->text().contains(QStringLiteral("Неполадки (2)")));
}

TEST_F(AnalysisTab, AnotherMachinesJournalIsAddedAndTakenOffTheList)
{
    play(QStringLiteral("ПК-1"), QStringLiteral("ИВАНОВ"), {{1, 0, 1, 3000}}, GameEnding::Wrong, 2);
    // Another machine keeps its own program folder; its journal is copied into a folder here.
    const QString other = folder + QStringLiteral("ПК-2/");
    GameJournal elsewhere(other, QStringLiteral("ПК-2"), JournalClock{[this] { return wall; }, [this] { return steady; }});
    elsewhere.gameStarted(StartedGame{*cp1251::encode(QStringLiteral("ДЕМО")), *cp1251::encode(QStringLiteral("ПЕТРОВ")), bankPath});
    elsewhere.gameEnded(GameEnding::Stop, 1);
    showTab();
    choosePage(QStringLiteral("Журналы"));
    prompts.fileLists = {{elsewhere.path()}};
    QTest::mouseClick(child<QPushButton>("addJournals"), Qt::LeftButton);
    settle();
    EXPECT_EQ(view->analysis().games.size(), 2);
    auto *sources = child<QListWidget>("analysisSources");
    ASSERT_EQ(sources->count(), 2);
    QTest::mouseClick(sources->viewport(), Qt::LeftButton, {}, sources->visualItemRect(sources->item(1)).center());
    QTest::mouseClick(child<QPushButton>("removeJournals"), Qt::LeftButton);
    settle();
    EXPECT_EQ(sources->count(), 1);
    EXPECT_EQ(view->analysis().games.size(), 1);
}

TEST_F(AnalysisTab, ReadsOnThreadsThatYieldToTheWindow)
{
    // Every reading thread of the workbench (this tab's, the results tab's server reader), and
    // the threads they start to read the journals.
    const QList<QThread *> threads = window->findChildren<QThread *>();
    QStringList names;
    for (QThread *thread : threads) {
        names.append(thread->objectName());
        QObject onThread;
        onThread.moveToThread(thread);
        int reader = 0;
        int started = 0;
        QMetaObject::invokeMethod(&onThread, [&] {
            reader = ThreadNiceness();
            std::thread([&] { started = ThreadNiceness(); }).join();
            onThread.moveToThread(QCoreApplication::instance()->thread());
        }, Qt::BlockingQueuedConnection);
        EXPECT_GT(reader, ThreadNiceness()) << thread->objectName().toStdString();
        EXPECT_EQ(started, reader) << thread->objectName().toStdString();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("analysis")) && names.contains(QStringLiteral("results server")))
        << names.join(QLatin1Char(',')).toStdString();
}

// The view keeps up with the class: a results file replaced by the game, again and again, and a
// file that appears with a machine's first record. Waits are bounded waits for the view's own
// signal, never sleeps.

#include "resultstest.h"
#include "resultsview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>

using namespace resultstest;

namespace {

constexpr int kWaitMs = 10000; // a bound for a loaded machine; a change arrives in a fraction of it

class ResultsWatch : public ::testing::Test
{
protected:
    int rows() const { return table->model()->rowCount(); }

    Lab lab;
    ResultsView view;
    QTableView *table = view.findChild<QTableView *>("resultsTable");
    QSignalSpy refreshed{&view, &ResultsView::refreshed};
};

} // namespace

TEST_F(ResultsWatch, RefreshesEachTimeTheGameReplacesTheFile)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    view.openFiles({lab.rez("pc1")});
    ASSERT_EQ(rows(), 1);
    lab.play("pc1", u"ДЕМО", u"ПЕТРОВ", 16);
    ASSERT_TRUE(refreshed.wait(kWaitMs));
    EXPECT_EQ(rows(), 2);
    // The replacement dropped the file from the watcher; it must be watched again.
    lab.play("pc1", u"ДЕМО", u"СИДОРОВ", 3);
    ASSERT_TRUE(refreshed.wait(kWaitMs));
    EXPECT_EQ(rows(), 3);
}

TEST_F(ResultsWatch, PicksUpAFileWrittenAfterItWasOpened)
{
    QDir().mkpath(lab.path("pc2"));
    view.openFiles({lab.rez("pc2")});
    EXPECT_EQ(rows(), 0);
    lab.play("pc2", u"ДЕМО", u"ИВАНОВ", 8);
    ASSERT_TRUE(refreshed.wait(kWaitMs));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(view.findChild<QLabel *>("resultsStatus")->text(), QStringLiteral("Показано записей: 1 из 1."));
}

TEST_F(ResultsWatch, RefreshRereadsAndSignalsOnlyAChange)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    view.openFiles({lab.rez("pc1")});
    view.refresh();
    EXPECT_EQ(refreshed.count(), 0) << "nothing changed";
    lab.append("pc1", line("5", "cut"));
    view.refresh();
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(rows(), 2);
}

TEST_F(ResultsWatch, RefreshKeepsTheChosenLessonAndTheTypedName)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    lab.play("pc1", u"АЛГЕБРА", u"ИВАНОВ", 8);
    view.openFiles({lab.rez("pc1")});
    auto *lessons = view.findChild<QComboBox *>("lessonFilter");
    lessons->setCurrentIndex(lessons->findText(QStringLiteral("ДЕМО")));
    typeText(view.findChild<QLineEdit *>("nameFilter"), QStringLiteral("ИВ"));
    lab.play("pc1", u"ДЕМО", u"ИВАНОВА", 16);
    lab.play("pc1", u"ГЕОГРАФИЯ", u"ИВАНОВ", 16);
    view.refresh();
    EXPECT_EQ(lessons->currentText(), QStringLiteral("ДЕМО"));
    EXPECT_EQ(lessons->count(), 4);
    EXPECT_EQ(rows(), 2);
}

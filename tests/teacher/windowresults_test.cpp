// The results tab of the workbench as a teacher keeps it: the program folder's own results file
// followed from the first start, several files chosen at once, and a file taken off the list
// for good. Waits are bounded waits for the view's own signal, never sleeps.

#include "teachertest_window.h"
#include "testutil.h"
#include "results.h"
#include "resultsview.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

using testutil::w;

namespace {

constexpr int kWaitMs = 10000; // a bound for a loaded machine; a change arrives in a fraction of it

class WindowResults : public WindowTest
{
protected:
    ResultsView *view() const { return window->results(); }
    int rows() const { return view()->findChild<QTableView *>("resultsTable")->model()->rowCount(); }
    QListWidget *fileList() const { return view()->findChild<QListWidget *>("resultsFiles"); }

    /// A graded game on a machine of the lab, its results file in a folder of its own.
    QString play(const QString &machine, const char16_t *name)
    {
        QDir().mkpath(folder + machine);
        const QString path = folder + machine + QStringLiteral("/tallory.rez");
        EXPECT_TRUE(WriteResult(path, w(u"ДЕМО"), w(name), 8).ok());
        return path;
    }

    /// Chooses the file in the tab's list and clicks the button that takes it off.
    void removeByClick(const QString &path)
    {
        window->tabs()->setCurrentWidget(view());
        QListWidget *list = fileList();
        ASSERT_NE(list, nullptr);
        const auto found = list->findItems(QDir::toNativeSeparators(path), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << path.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
        auto *remove = view()->findChild<QPushButton *>("removeResultsFile");
        ASSERT_NE(remove, nullptr);
        QTest::mouseClick(remove, Qt::LeftButton);
    }
};

} // namespace

// A fresh program folder: no game has been played when the workbench starts.
TEST_F(WindowResults, TheFoldersResultsFileIsShownWhenTheFirstGameWritesIt)
{
    EXPECT_EQ(rows(), 0);
    QSignalSpy refreshed(view(), &ResultsView::refreshed);
    ASSERT_TRUE(WriteResult(folder + QStringLiteral("tallory.rez"), w(u"ДЕМО"), w(u"ИВАНОВ"), 8).ok());
    ASSERT_TRUE(refreshed.wait(kWaitMs));
    EXPECT_EQ(rows(), 1);
}

TEST_F(WindowResults, SeveralFilesAreOpenedAtOnce)
{
    const QString pc1 = play(QStringLiteral("pc1"), u"ИВАНОВ");
    const QString pc2 = play(QStringLiteral("pc2"), u"ПЕТРОВ");
    prompts.fileLists = {{pc1, pc2}};
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(view()->files().contains(pc1));
    EXPECT_TRUE(view()->files().contains(pc2));
    EXPECT_EQ(window->tabs()->currentWidget(), view());
}

TEST_F(WindowResults, AFileTakenOffTheListStaysOffAtTheNextStart)
{
    const QString pc1 = play(QStringLiteral("pc1"), u"ИВАНОВ");
    const QString pc2 = play(QStringLiteral("pc2"), u"ПЕТРОВ");
    prompts.fileLists = {{pc1, pc2}};
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    removeByClick(pc1);
    EXPECT_FALSE(view()->files().contains(pc1));
    EXPECT_EQ(rows(), 1);
    window->close();
    open();
    EXPECT_FALSE(view()->files().contains(pc1));
    EXPECT_TRUE(view()->files().contains(pc2));
}

// The folder's own file, once taken off, is not put back at the next start.
TEST_F(WindowResults, TheFoldersOwnFileTakenOffIsNotReopened)
{
    const QString here = folder + QStringLiteral("tallory.rez");
    ASSERT_TRUE(WriteResult(here, w(u"ДЕМО"), w(u"ИВАНОВ"), 8).ok());
    open();
    ASSERT_EQ(view()->files(), QStringList{here});
    removeByClick(here);
    EXPECT_TRUE(view()->files().isEmpty());
    EXPECT_EQ(rows(), 0);
    window->close();
    open();
    EXPECT_TRUE(view()->files().isEmpty());
}

// «tallory-teacher --folder DIR»: the tab shows DIR's own results file, not the files left open
// on another folder; going back to that folder finds its list as it was left.
TEST_F(WindowResults, EachFolderShowsItsOwnResultsFile)
{
    const QString pc1 = play(QStringLiteral("pc1"), u"ИВАНОВ");
    prompts.fileLists = {{pc1}};
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    const QStringList here = view()->files();
    ASSERT_TRUE(here.contains(pc1));
    window->close();

    QTemporaryDir otherDir;
    const QString other = otherDir.path() + QLatin1Char('/');
    ASSERT_TRUE(WriteResult(other + QStringLiteral("tallory.rez"), w(u"ДЕМО"), w(u"ПЕТРОВ"), 8).ok());
    {
        TeacherWindow elsewhere(other, &prompts);
        EXPECT_EQ(elsewhere.results()->files(), QStringList{other + QStringLiteral("tallory.rez")});
        EXPECT_EQ(elsewhere.results()->findChild<QTableView *>("resultsTable")->model()->rowCount(), 1);
        elsewhere.close();
    }
    open();
    EXPECT_EQ(view()->files(), here);
}

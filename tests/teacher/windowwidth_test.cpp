// The workbench on a 1024-pixel screen: the question table and the results table show every
// column side by side, never scrolling sideways, and every column title reads whole, long
// texts and empty tables alike.

#include "teachertest_window.h"
#include "testutil.h"
#include "results.h"
#include "resultsview.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

using testutil::w;

namespace {

constexpr int kScreenWidth = 1024;

class WindowWidth : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->resize(kScreenWidth, 700);
    }

    void showTab(QWidget *tab)
    {
        window->tabs()->setCurrentWidget(tab);
        QCoreApplication::processEvents();
    }

    QTableView *resultsTable() const { return window->results()->findChild<QTableView *>("resultsTable"); }
};

// Every column lies inside the visible part of the table, with room for its whole title.
void expectColumnsFit(QTableView *table)
{
    const QHeaderView *header = table->horizontalHeader();
    const int room = table->viewport()->width();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    for (int c = 0; c < header->count(); ++c) {
        const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(header->sectionViewportPosition(c), 0) << title.toStdString();
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), room) << title.toStdString();
        EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title) + margins)
            << title.toStdString();
    }
}

EditorBank wordyBank()
{
    EditorBank bank;
    for (int n = 0; n < 3; ++n) {
        bank.levels[1].append(QuestionFields{
            QStringLiteral("Какой из перечисленных городов был столицей Русского государства в начале восемнадцатого века?"),
            QStringLiteral("Москва, до переноса столицы в Санкт-Петербург"), QStringLiteral("Великий Новгород на Волхове"),
            QStringLiteral("Владимир-на-Клязьме, столица княжества"), QStringLiteral("Нижний Новгород на Волге"),
            QStringLiteral("FOTO/карта_русского_государства_1700.png")});
    }
    return bank;
}

} // namespace

TEST_F(WindowWidth, TheQuestionAndItsFourAnswersShowSideBySide)
{
    openSaved(wordyBank());
    showTab(&editor());
    expectColumnsFit(editor().table());
}

TEST_F(WindowWidth, TheResultsTableShowsItsStateColumn)
{
    // Two pupils of one checksum on two machines: the state names the other record, a long text.
    for (const auto &[machine, name] : {std::pair{"pc1", u"КОНСТАНТИНОПОЛЬСКИЙ-ЗАДУНАЙСКИЙ АБ"},
                                        std::pair{"pc2", u"КОНСТАНТИНОПОЛЬСКИЙ-ЗАДУНАЙСКИЙ БА"}}) {
        QDir().mkpath(folder + QLatin1String(machine));
        ASSERT_TRUE(WriteResult(folder + QLatin1String(machine) + QStringLiteral("/tallory.rez"), w(u"ДЕМО"), w(name), 3).ok());
    }
    prompts.fileLists = {{folder + QStringLiteral("pc1/tallory.rez"), folder + QStringLiteral("pc2/tallory.rez")}};
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    showTab(window->results());
    ASSERT_EQ(resultsTable()->model()->rowCount(), 2);
    expectColumnsFit(resultsTable());
}

// A fresh folder: no record yet, and the titles still read whole.
TEST_F(WindowWidth, TheEmptyResultsTableReadsItsTitlesWhole)
{
    showTab(window->results());
    ASSERT_EQ(resultsTable()->model()->rowCount(), 0);
    expectColumnsFit(resultsTable());
}

TEST(ResultsViewWidth, TheTitlesOfATableWithNoFileReadWhole)
{
    ResultsView view;
    view.resize(kScreenWidth, 600);
    view.show();
    QCoreApplication::processEvents();
    expectColumnsFit(view.findChild<QTableView *>("resultsTable"));
}

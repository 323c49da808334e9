// The results view as a teacher uses it: typing a name, choosing a lesson, clicking a column,
// reading the chart, exporting to CSV.

#include "gradechart.h"
#include "resultstest.h"
#include "resultsview.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSplitter>
#include <QTableView>
#include <QTest>

using namespace resultstest;

namespace {

class ResultsViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
        lab.play("pc1", u"ДЕМО", u"ПЕТРОВ", 16);
        lab.play("pc2", u"ДЕМО", u"СИДОРОВА", 3);
        lab.play("pc2", u"АЛГЕБРА", u"ИВАНОВ", 12);
        lab.play("pc2", u"АЛГЕБРА", u"ПЕТРОВ", 7);
        view.resize(900, 500);
        view.show();
        view.openFiles({lab.rez("pc1"), lab.rez("pc2")});
    }

    QStringList names() const
    {
        QStringList shown;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            shown.append(table->model()->index(r, 1).data().toString());
        return shown;
    }

    QList<qreal> bars() const
    {
        auto *series = qobject_cast<QBarSeries *>(chart->chart()->series().value(0));
        QList<qreal> values;
        for (int i = 0; series && i < series->barSets().value(0)->count(); ++i)
            values.append(series->barSets().value(0)->at(i));
        return values;
    }

    Lab lab;
    ResultsView view;
    QTableView *table = view.findChild<QTableView *>("resultsTable");
    QLineEdit *nameEdit = view.findChild<QLineEdit *>("nameFilter");
    QComboBox *lessonBox = view.findChild<QComboBox *>("lessonFilter");
    GradeChart *chart = view.findChild<GradeChart *>("gradeChart");
    QLabel *status = view.findChild<QLabel *>("resultsStatus");
};

} // namespace

TEST_F(ResultsViewTest, ShowsEveryRecordOfTheFilesInFileOrder)
{
    ASSERT_TRUE(table && nameEdit && lessonBox && chart && status);
    EXPECT_EQ(view.files(), QStringList({lab.rez("pc1"), lab.rez("pc2")}));
    EXPECT_EQ(names(), QStringList({"ИВАНОВ", "ПЕТРОВ", "СИДОРОВА", "ИВАНОВ", "ПЕТРОВ"}));
    EXPECT_EQ(status->text(), QStringLiteral("Показано записей: 5 из 5."));
}

TEST_F(ResultsViewTest, TypingANameFiltersAsItIsTyped)
{
    typeText(nameEdit, QStringLiteral("п"));
    EXPECT_EQ(names(), QStringList({"ПЕТРОВ", "ПЕТРОВ"}));
    nameEdit->clear();
    typeText(nameEdit, QStringLiteral("ов"));
    EXPECT_EQ(names(), QStringList({"ИВАНОВ", "ПЕТРОВ", "СИДОРОВА", "ИВАНОВ", "ПЕТРОВ"}));
    typeText(nameEdit, QStringLiteral("а"));
    EXPECT_EQ(names(), QStringList({"СИДОРОВА"}));
    EXPECT_EQ(status->text(), QStringLiteral("Показано записей: 1 из 5."));
}

TEST_F(ResultsViewTest, LessonBoxOffersEveryLessonAndFilters)
{
    QStringList items;
    for (int i = 0; i < lessonBox->count(); ++i)
        items.append(lessonBox->itemText(i));
    EXPECT_EQ(items, QStringList({"Все занятия", "АЛГЕБРА", "ДЕМО"}));
    lessonBox->setFocus();
    QTest::keyClick(lessonBox, Qt::Key_Down);
    EXPECT_EQ(lessonBox->currentText(), QStringLiteral("АЛГЕБРА"));
    EXPECT_EQ(names(), QStringList({"ИВАНОВ", "ПЕТРОВ"}));
    typeText(nameEdit, QStringLiteral("ИВ"));
    EXPECT_EQ(names(), QStringList({"ИВАНОВ"}));
}

TEST_F(ResultsViewTest, ChartCountsTheGradesOfTheChosenLessonAndFollowsTheFilter)
{
    auto *axis = qobject_cast<QBarCategoryAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_TRUE(axis);
    EXPECT_EQ(axis->categories(), QStringList({"2", "3", "4", "5"}));
    EXPECT_EQ(axis->titleText(), QStringLiteral("Оценка"));
    EXPECT_EQ(bars(), QList<qreal>({1, 2, 1, 1}));
    EXPECT_EQ(chart->chart()->title(), QStringLiteral("Оценки: все занятия"));
    lessonBox->setCurrentIndex(lessonBox->findText(QStringLiteral("ДЕМО")));
    EXPECT_EQ(bars(), QList<qreal>({1, 1, 0, 1}));
    EXPECT_EQ(chart->chart()->title(), QStringLiteral("Оценки: ДЕМО"));
    typeText(nameEdit, QStringLiteral("ПЕТ"));
    EXPECT_EQ(bars(), QList<qreal>({0, 0, 0, 1}));
}

TEST_F(ResultsViewTest, ClickingAColumnTitleSortsByIt)
{
    QHeaderView *header = table->horizontalHeader();
    const QPoint levels(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, levels);
    EXPECT_EQ(names(), QStringList({"СИДОРОВА", "ПЕТРОВ", "ИВАНОВ", "ИВАНОВ", "ПЕТРОВ"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, levels);
    EXPECT_EQ(names(), QStringList({"ПЕТРОВ", "ИВАНОВ", "ИВАНОВ", "ПЕТРОВ", "СИДОРОВА"}));
}

TEST_F(ResultsViewTest, ExportWritesTheListingsCsvOfTheRowsShown)
{
    typeText(nameEdit, QStringLiteral("ИВ"));
    const QString csv = lab.path("out.csv");
    QString error = QStringLiteral("untouched");
    ASSERT_TRUE(view.exportCsv(csv, &error));
    EXPECT_EQ(error, QString());
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF")
                               + QStringLiteral("Занятие;Фамилия;Пройдено уровней;Оценка;Контрольная сумма;Состояние\r\n"
                                                "ДЕМО;ИВАНОВ;7;Удовлетворительно;1191;в порядке\r\n"
                                                "АЛГЕБРА;ИВАНОВ;11;Хорошо;1191;в порядке\r\n")
                                     .toUtf8());
}

TEST_F(ResultsViewTest, ExportOfOneWholeFileIsTheListingProgramsCsv)
{
    lab.append("pc1", line("5", "cut;\"quoted\""));
    view.openFiles({lab.rez("pc1")});
    const QString csv = lab.path("out.csv");
    ASSERT_TRUE(view.exportCsv(csv));
    QProcess tool;
    tool.start(QStringLiteral(TALLORY_TOOLS_DIR "/tallory-results"), {"list", lab.rez("pc1"), "--csv"});
    ASSERT_TRUE(tool.waitForFinished(30000));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), tool.readAllStandardOutput());
}

TEST_F(ResultsViewTest, ExportThatCannotBeWrittenSaysWhy)
{
    QString error;
    EXPECT_FALSE(view.exportCsv(lab.path("no/such/folder/out.csv"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("out.csv"))) << error.toStdString();
}

TEST_F(ResultsViewTest, MissingFileIsNamedInTheStatus)
{
    view.openFiles({lab.rez("pc1"), lab.rez("pc9")});
    EXPECT_EQ(names(), QStringList({"ИВАНОВ", "ПЕТРОВ"}));
    EXPECT_EQ(status->text(), QStringLiteral("Показано записей: 2 из 2.\nФайла «%1» пока нет.")
                                  .arg(QDir::toNativeSeparators(lab.rez("pc9"))));
}

// The chart as narrow as the view lets it be: each grade's label is read whole under its bar,
// not cut to "Не…".
TEST(GradeChartLook, EveryGradeLabelFitsUnderItsBarAtTheNarrowestWidth)
{
    ResultsView view;
    auto *chart = view.findChild<GradeChart *>("gradeChart");
    ASSERT_TRUE(chart);
    chart->setParent(nullptr);
    chart->resize(chart->minimumWidth(), 300);
    chart->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chart));
    QCoreApplication::processEvents();
    auto *axis = qobject_cast<QBarCategoryAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_TRUE(axis);
    EXPECT_FALSE(axis->labelsTruncated()) << axis->categories().join(QLatin1Char(' ')).toStdString();
    delete chart;
}

// The table's titles and grade words read whole, not cut to "Удовлетвор…", and the chart cannot
// be dragged shut behind the splitter's edge.
TEST_F(ResultsViewTest, ColumnsShowTheirTitlesAndGradesWholeAndTheChartStays)
{
    const QHeaderView *header = table->horizontalHeader();
    const QFontMetrics metrics = table->fontMetrics();
    for (int c = 0; c + 1 < header->count(); ++c) {
        const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GT(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title)) << title.toStdString();
    }
    for (const char16_t *word : {u"Неудовлетворительно", u"Удовлетворительно", u"Хорошо", u"Отлично"})
        EXPECT_GT(header->sectionSize(3), metrics.horizontalAdvance(QString::fromUtf16(word)));
    auto *splitter = view.findChild<QSplitter *>();
    ASSERT_TRUE(splitter);
    QSplitterHandle *handle = splitter->handle(1);
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(splitter->width(), 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(splitter->width(), 0));
    EXPECT_GE(splitter->sizes().value(1), chart->minimumWidth());
}

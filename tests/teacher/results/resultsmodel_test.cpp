// The results table model and its filter: the model tester's checks on both, the columns, the
// colours and tooltips of damaged and conflicting records, filtering and sorting.

#include "resultsfiles.h"
#include "resultsfilter.h"
#include "resultsmodel.h"
#include "resultstest.h"

#include <QAbstractItemModelTester>

using namespace resultstest;

namespace {

class ResultsTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
        lab.play("pc1", u"ДЕМО", u"АБ", 16);
        lab.play("pc2", u"ДЕМО", u"ИВАНОВ", 8);
        lab.play("pc2", u"ДЕМО", u"БА", 1);
        lab.play("pc2", u"АЛГЕБРА", u"ПЕТРОВА", 12);
        lab.append("pc2", line("5", "cut"));
        files.setPaths({lab.rez("pc1"), lab.rez("pc2")});
        model.setSources(files.read());
        filter.setResultsModel(&model);
    }

    QString cell(const QAbstractItemModel &m, int row, int column, int role = Qt::DisplayRole)
    {
        return m.data(m.index(row, column), role).toString();
    }

    QStringList column(const QAbstractItemModel &m, int c)
    {
        QStringList texts;
        for (int r = 0; r < m.rowCount(); ++r)
            texts.append(cell(m, r, c));
        return texts;
    }

    Lab lab;
    ResultsFiles files;
    ResultsModel model;
    ResultsFilter filter;
};

} // namespace

TEST_F(ResultsTable, ModelPassesTheModelTesterThroughAReread)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    lab.play("pc1", u"ФИЗИКА", u"СИДОРОВ", 6);
    model.setSources(files.read());
    EXPECT_EQ(model.rowCount(), 6);
}

TEST_F(ResultsTable, FilterPassesTheModelTesterWhileFilteringAndSorting)
{
    QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    filter.setNameFilter(QStringLiteral("в"));
    filter.sort(ResultsModel::Levels, Qt::DescendingOrder);
    filter.setLesson(w(u"ДЕМО"));
    filter.setNameFilter({});
    model.setSources(files.read());
    filter.setLesson(std::nullopt);
    EXPECT_EQ(filter.rowCount(), 5);
}

TEST_F(ResultsTable, ColumnsReadAsTheListingWithTheFiles)
{
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c)
        titles.append(model.headerData(c, Qt::Horizontal).toString());
    EXPECT_EQ(titles, QStringList({"Занятие", "Фамилия", "Пройдено уровней", "Оценка", "Файл", "Состояние"}));
    QStringList first;
    for (int c = 0; c < model.columnCount(); ++c)
        first.append(cell(model, 0, c));
    EXPECT_EQ(first, QStringList({"ДЕМО", "ИВАНОВ", "7", "Удовлетворительно", "pc1, pc2", "в порядке"}));
    EXPECT_EQ(cell(model, 0, ResultsModel::File, Qt::ToolTipRole),
              QDir::toNativeSeparators(lab.rez("pc1")) + '\n' + QDir::toNativeSeparators(lab.rez("pc2")));
}

TEST_F(ResultsTable, ConflictingRowsAreColouredAndNameTheOtherRecord)
{
    ASSERT_EQ(cell(model, 1, ResultsModel::Name), QStringLiteral("АБ"));
    EXPECT_EQ(model.data(model.index(1, ResultsModel::Name), Qt::BackgroundRole).value<QColor>(),
              ResultsModel::kConflictColor);
    EXPECT_EQ(cell(model, 1, ResultsModel::Name, Qt::ToolTipRole),
              QStringLiteral("Расходится с записью: БА, 0, Неудовлетворительно — pc2"));
    EXPECT_EQ(cell(model, 1, ResultsModel::State),
              QStringLiteral("расходится с записью: БА, 0, Неудовлетворительно — pc2"));
    EXPECT_EQ(cell(model, 2, ResultsModel::Name), QStringLiteral("БА"));
    EXPECT_EQ(model.data(model.index(2, ResultsModel::Lesson), Qt::BackgroundRole).value<QColor>(),
              ResultsModel::kConflictColor);
    EXPECT_FALSE(model.data(model.index(0, ResultsModel::Name), Qt::BackgroundRole).isValid());
}

TEST_F(ResultsTable, DamagedRowsAreColouredAndSayWhy)
{
    const int damaged = model.rowCount() - 1;
    EXPECT_EQ(cell(model, damaged, ResultsModel::Lesson), QStringLiteral("АЛГЕБРА"));
    EXPECT_EQ(cell(model, damaged, ResultsModel::Name), QString());
    EXPECT_EQ(cell(model, damaged, ResultsModel::State), QStringLiteral("повреждена: запись не разбирается"));
    EXPECT_EQ(cell(model, damaged, ResultsModel::Grade, Qt::ToolTipRole),
              QStringLiteral("повреждена: запись не разбирается"));
    EXPECT_EQ(model.data(model.index(damaged, ResultsModel::Grade), Qt::BackgroundRole).value<QColor>(),
              ResultsModel::kDamagedColor);
}

TEST_F(ResultsTable, LessonsAreListedOnceInAlphabeticalOrder)
{
    EXPECT_EQ(model.lessons(), QList<QByteArray>({w(u"АЛГЕБРА"), w(u"ДЕМО")}));
}

TEST_F(ResultsTable, NameFilterIgnoresLetterCaseAndKeepsTheOrder)
{
    filter.setNameFilter(QStringLiteral("иВ"));
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"ИВАНОВ"}));
    filter.setNameFilter(QStringLiteral("А"));
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"ИВАНОВ", "АБ", "БА", "ПЕТРОВА"}));
    filter.setNameFilter(QStringLiteral("ВАБ")); // the end of one name and the start of the next
    EXPECT_EQ(filter.rowCount(), 0);
    filter.setNameFilter(QStringLiteral("Ω"));
    EXPECT_EQ(filter.rowCount(), 0) << "no stored name holds a letter the code page cannot";
}

TEST_F(ResultsTable, LessonFilterAndNameFilterTogether)
{
    filter.setLesson(w(u"ДЕМО"));
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"ИВАНОВ", "АБ", "БА"}));
    filter.setNameFilter(QStringLiteral("б"));
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"АБ", "БА"}));
    filter.setLesson(w(u"ГЕОГРАФИЯ"));
    EXPECT_EQ(filter.rowCount(), 0);
}

TEST_F(ResultsTable, SortsByTheColumnBothWays)
{
    filter.sort(ResultsModel::Name);
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"", "АБ", "БА", "ИВАНОВ", "ПЕТРОВА"}));
    filter.sort(ResultsModel::Levels, Qt::DescendingOrder);
    EXPECT_EQ(column(filter, ResultsModel::Levels), QStringList({"15", "11", "7", "0", ""}));
    filter.sort(ResultsModel::Grade);
    EXPECT_EQ(column(filter, ResultsModel::Grade),
              QStringList({"", "Неудовлетворительно", "Удовлетворительно", "Хорошо", "Отлично"}));
    filter.sort(ResultsModel::Lesson);
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"", "ПЕТРОВА", "АБ", "БА", "ИВАНОВ"}))
        << "by lesson, then by name";
    filter.sort(ResultsModel::File);
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"АБ", "ИВАНОВ", "", "БА", "ПЕТРОВА"}));
    filter.sort(-1);
    EXPECT_EQ(column(filter, ResultsModel::Name), QStringList({"ИВАНОВ", "АБ", "БА", "ПЕТРОВА", ""}));
}

TEST_F(ResultsTable, SelectedRowStaysSelectedWhileItPasses)
{
    QPersistentModelIndex petrova(filter.index(3, ResultsModel::Name));
    ASSERT_EQ(petrova.data().toString(), QStringLiteral("ПЕТРОВА"));
    filter.setNameFilter(QStringLiteral("ПЕТ"));
    EXPECT_EQ(petrova.row(), 0);
    EXPECT_EQ(petrova.data().toString(), QStringLiteral("ПЕТРОВА"));
    filter.setNameFilter(QStringLiteral("АБ"));
    EXPECT_FALSE(petrova.isValid());
}

TEST_F(ResultsTable, GradeCountsOfTheRowsShown)
{
    using Counts = std::array<int, kGradeCount>;
    EXPECT_EQ(filter.gradeCounts(), (Counts{1, 1, 1, 1})) << "the damaged record counts nowhere";
    filter.setLesson(w(u"ДЕМО"));
    EXPECT_EQ(filter.gradeCounts(), (Counts{1, 1, 0, 1}));
    filter.setNameFilter(QStringLiteral("ИВ"));
    EXPECT_EQ(filter.gradeCounts(), (Counts{0, 1, 0, 0}));
}

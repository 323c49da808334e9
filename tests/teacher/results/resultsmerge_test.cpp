// Merging the results files of a lab: one row for a record found twice, conflicts flagged on
// both sides, damaged records kept, and the names the table gives the files.

#include "resultsfiles.h"
#include "resultsmerge.h"
#include "resultstest.h"

using namespace resultstest;

namespace {

class ResultsMerge : public ::testing::Test
{
protected:
    std::vector<ResultRow> merge(const QStringList &machines)
    {
        QStringList paths;
        for (const QString &m : machines)
            paths.append(lab.rez(m));
        files.setPaths(paths);
        sources = files.read();
        return MergeResults(sources);
    }

    Lab lab;
    ResultsFiles files;
    std::vector<ResultsSource> sources;
};

} // namespace

TEST_F(ResultsMerge, RecordInTwoFilesIsOneRowNamingBoth)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    lab.play("pc2", u"ДЕМО", u"ИВАНОВ", 8);
    lab.play("pc2", u"ДЕМО", u"ПЕТРОВ", 16);
    const std::vector<ResultRow> rows = merge({"pc1", "pc2"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].entry.name, w(u"ИВАНОВ"));
    EXPECT_EQ(rows[0].files, QList<int>({0, 1}));
    EXPECT_TRUE(rows[0].conflicts.isEmpty());
    EXPECT_EQ(rows[0].grade, Grade::Pass);
    EXPECT_EQ(rows[1].entry.name, w(u"ПЕТРОВ"));
    EXPECT_EQ(rows[1].files, QList<int>({1}));
    EXPECT_EQ(rows[1].grade, Grade::Excellent);
}

TEST_F(ResultsMerge, LessonCodesDifferingInCaseAreOneLesson)
{
    lab.append("pc1", w(u"[демо]\r\n") + line("1191", w(u"ИВАНОВ|7|Удовлетворительно")));
    lab.play("pc2", u"ДЕМО", u"ИВАНОВ", 8);
    const std::vector<ResultRow> rows = merge({"pc1", "pc2"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].lessonKey, w(u"ДЕМО"));
    EXPECT_EQ(rows[0].files, QList<int>({0, 1}));
}

TEST_F(ResultsMerge, SameLessonAndKeyWithOtherContentIsFlaggedOnBothSides)
{
    // АБ and БА share the checksum 385: the second pupil took the lesson on another machine.
    lab.play("pc1", u"ДЕМО", u"АБ", 8);
    lab.play("pc2", u"ДЕМО", u"БА", 3);
    lab.play("pc2", u"ФИЗИКА", u"АБ", 12);
    const std::vector<ResultRow> rows = merge({"pc1", "pc2"});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].conflicts, QStringList{QStringLiteral("БА, 2, Неудовлетворительно — pc2")});
    EXPECT_EQ(rows[1].conflicts, QStringList{QStringLiteral("АБ, 7, Удовлетворительно — pc1")});
    EXPECT_TRUE(rows[2].conflicts.isEmpty()) << "another lesson is another attempt";
}

TEST_F(ResultsMerge, DamagedRecordsAreKeptWithTheirReasons)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    lab.append("pc1", line("5", "cut") + "no separator here\r\n" + line("999", w(u"ИВАНОВ|7|Удовлетворительно")));
    lab.append("pc2", w(u"[ДЕМО]\r\n") + line("5", "cut"));
    const std::vector<ResultRow> rows = merge({"pc1", "pc2"});
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].entry.state, ResultEntry::State::Damaged);
    EXPECT_EQ(rows[1].entry.reason, QStringLiteral("запись не разбирается"));
    EXPECT_EQ(rows[1].files, QList<int>({0, 1})) << "the same damaged value in two files is one record";
    EXPECT_EQ(rows[1].grade, Grade::Unknown);
    EXPECT_EQ(rows[2].entry.key, "no separator here");
    EXPECT_EQ(rows[2].entry.state, ResultEntry::State::Damaged);
    EXPECT_EQ(rows[3].entry.key, "999");
    EXPECT_EQ(rows[3].entry.state, ResultEntry::State::Damaged);
    EXPECT_EQ(rows[3].grade, Grade::Unknown) << "a damaged record counts for no grade";
}

TEST_F(ResultsMerge, ADamagedCopyOfAKeyConflictsWithNothing)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    lab.append("pc2", w(u"[ДЕМО]\r\n") + line("1191", w(u"ИВАНОВ|7|")));
    const std::vector<ResultRow> rows = merge({"pc1", "pc2"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].entry.state, ResultEntry::State::Damaged);
    EXPECT_TRUE(rows[0].conflicts.isEmpty()) << rows[0].conflicts.join('\n').toStdString();
    EXPECT_TRUE(rows[1].conflicts.isEmpty()) << rows[1].conflicts.join('\n').toStdString();
}

TEST_F(ResultsMerge, ARecordTwiceInOneFileStaysTwoRows)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    lab.append("pc1", w(u"[ДЕМО]\r\n") + line("1191", w(u"ИВАНОВ|7|Удовлетворительно")));
    const std::vector<ResultRow> rows = merge({"pc1"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].entry.state, ResultEntry::State::Hidden);
    EXPECT_TRUE(rows[0].conflicts.isEmpty());
}

TEST_F(ResultsMerge, MissingFileGivesNoRowsAndSaysSo)
{
    lab.play("pc1", u"ДЕМО", u"ИВАНОВ", 8);
    const std::vector<ResultRow> rows = merge({"pc1", "pc9"});
    EXPECT_EQ(rows.size(), 1u);
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_FALSE(sources[0].missing);
    EXPECT_TRUE(sources[1].missing);
}

TEST(FileLabels, FolderNamesWhenTheFilesShareAName)
{
    EXPECT_EQ(FileLabels({"/lab/pc07/tallory.rez", "/lab/pc08/tallory.rez"}), QStringList({"pc07", "pc08"}));
}

TEST(FileLabels, FileNamesWhenTheyDiffer)
{
    EXPECT_EQ(FileLabels({"/lab/pc07/tallory.rez"}), QStringList({"tallory.rez"}));
    EXPECT_EQ(FileLabels({"/exports/7a.rez", "/exports/7b.rez"}), QStringList({"7a.rez", "7b.rez"}));
}

TEST(FileLabels, WholePathsWhenNeitherTellsThemApart)
{
    EXPECT_EQ(FileLabels({"/a/pc/tallory.rez", "/b/pc/tallory.rez"}),
              QStringList({QDir::toNativeSeparators("/a/pc/tallory.rez"), QDir::toNativeSeparators("/b/pc/tallory.rez")}));
}

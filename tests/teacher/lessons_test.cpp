#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "lessonsmodel.h"
#include "testutil.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

namespace {

// A playable bank: one question on every level.
QByteArray playableBank()
{
    QByteArray bytes;
    for (int level = 1; level <= 15; ++level)
        bytes += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(w(u"Вопрос?|да|нет|может|никогда|")) + "\r\n";
    return bytes;
}

} // namespace

class LessonsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeBytes(folder + QStringLiteral("demo.faq"), playableBank());
        writeBytes(folder + QStringLiteral("banks/half.faq"), "[1]\r\n" + ScrambleText(w(u"Вопрос?|да|нет|может|никогда|")) + "\r\n");
        writeBytes(ini, before + lessons + after);
    }

    QString cell(int row, int column) const { return model.data(model.index(row, column)).toString(); }

    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString ini = folder + QStringLiteral("tallory.ini");
    QByteArray before = w(u"; настройки класса\r\n[ДЕМО]\r\nВопросник=demo.faq\r\n");
    QByteArray lessons = w(u"[Физика]\r\nвопросник = banks\\half.faq\r\n[ХИМИЯ]\r\nВопросник=chem.faq\r\n");
    QByteArray after = w(u"[настройки]\r\nВедущий=host.bmp\r\n[1024x768]\r\nОтвет=13\r\n");
    LessonsModel model{folder};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(LessonsTest, ListsEveryLessonWithItsBankAsTheGameFindsIt)
{
    model.reload();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(0, LessonsModel::Code), QStringLiteral("ДЕМО"));
    EXPECT_EQ(cell(0, LessonsModel::State), QStringLiteral("годится для игры"));
    EXPECT_EQ(cell(1, LessonsModel::Code), QStringLiteral("Физика"));
    EXPECT_EQ(cell(1, LessonsModel::Bank), QStringLiteral("banks\\half.faq"));
    EXPECT_EQ(cell(1, LessonsModel::State), QStringLiteral("нет вопросов уровней 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15"));
    EXPECT_EQ(cell(2, LessonsModel::State), QStringLiteral("файл не найден"));
    EXPECT_FALSE(model.data(model.index(0, LessonsModel::State), Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model.data(model.index(2, LessonsModel::State), Qt::BackgroundRole).isValid());
}

TEST_F(LessonsTest, AddingALessonAppendsItsTwoLinesAndNothingElse)
{
    model.reload();
    ASSERT_TRUE(model.addLesson(QStringLiteral("алгебра-1"), model.storedPath(folder + QStringLiteral("demo.faq"))).ok());
    EXPECT_EQ(readBytes(ini), before + lessons + after + w(u"[АЛГЕБРА-1]\r\nВопросник=demo.faq\r\n"));
    EXPECT_EQ(model.rowCount(), 4);
    // The demo's bank under a second code: one lesson with ДЕМО.
    EXPECT_EQ(cell(3, LessonsModel::State), QStringLiteral("годится для игры; одно занятие с «ДЕМО»"));
}

// The game looks a lesson up as below; a lesson the workbench adds must be the one it finds.
TEST_F(LessonsTest, ALessonAddedIsTheOneTheGameLooksUp)
{
    ASSERT_TRUE(model.addLesson(QStringLiteral("алгебра-1"), model.storedPath(folder + QStringLiteral("banks/half.faq"))).ok());
    const QByteArray configured = IniReadString(SettingsFilePath(folder), w(u"АЛГЕБРА-1"), LessonBankKey(), {});
    EXPECT_EQ(FindBankFile(configured, folder), QFileInfo(folder + QStringLiteral("banks/half.faq")).absoluteFilePath());
}

TEST_F(LessonsTest, ABankOutsideTheProgramFolderIsStoredWithItsFullPath)
{
    QTemporaryDir elsewhere;
    EXPECT_EQ(model.storedPath(elsewhere.filePath(QStringLiteral("x.faq"))), QDir::toNativeSeparators(elsewhere.filePath(QStringLiteral("x.faq"))));
    EXPECT_EQ(model.storedPath(folder + QStringLiteral("banks/x.faq")), QDir::toNativeSeparators(QStringLiteral("banks/x.faq")));
}

TEST_F(LessonsTest, RenamingChangesTheHeaderLineAlone)
{
    model.reload();
    ASSERT_TRUE(model.setData(model.index(1, LessonsModel::Code), QStringLiteral("физика-8")));
    EXPECT_EQ(readBytes(ini), before + w(u"[ФИЗИКА-8]\r\nвопросник = banks\\half.faq\r\n[ХИМИЯ]\r\nВопросник=chem.faq\r\n") + after);
    EXPECT_EQ(cell(1, LessonsModel::Code), QStringLiteral("ФИЗИКА-8"));
}

TEST_F(LessonsTest, ChangingTheBankRewritesItsValueInPlace)
{
    model.reload();
    ASSERT_TRUE(model.setData(model.index(2, LessonsModel::Bank), QStringLiteral("demo.faq")));
    EXPECT_EQ(readBytes(ini), before + w(u"[Физика]\r\nвопросник = banks\\half.faq\r\n[ХИМИЯ]\r\nВопросник=demo.faq\r\n") + after);
    EXPECT_EQ(cell(2, LessonsModel::State), QStringLiteral("годится для игры; одно занятие с «ДЕМО»"));
}

TEST_F(LessonsTest, RemovingTakesTheLessonsSectionOnly)
{
    model.reload();
    ASSERT_TRUE(model.removeLesson(1).ok());
    EXPECT_EQ(readBytes(ini), before + w(u"[ХИМИЯ]\r\nВопросник=chem.faq\r\n") + after);
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(LessonsTest, ACodeTakenAlreadyOrOutsideTheCodePageIsRefusedAndNothingIsWritten)
{
    model.reload();
    QSignalSpy refused(&model, &LessonsModel::refused);
    EXPECT_FALSE(model.addLesson(QStringLiteral("химия"), QStringLiteral("x.faq")).ok());
    EXPECT_FALSE(model.addLesson(QStringLiteral("  "), QStringLiteral("x.faq")).ok());
    const Status chinese = model.addLesson(QStringLiteral("数学"), QStringLiteral("x.faq"));
    EXPECT_TRUE(chinese.error.contains(QStringLiteral("Windows-1251"))) << chinese.error.toStdString();
    EXPECT_FALSE(model.setData(model.index(0, LessonsModel::Code), QStringLiteral("химия")));
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(readBytes(ini), before + lessons + after);
}

TEST_F(LessonsTest, AMissingSettingsFileIsMadeByTheFirstLesson)
{
    QFile::remove(ini);
    model.reload();
    EXPECT_EQ(model.rowCount(), 0);
    ASSERT_TRUE(model.addLesson(QStringLiteral("demo"), QStringLiteral("demo.faq")).ok());
    EXPECT_EQ(readBytes(ini), w(u"[DEMO]\r\nВопросник=demo.faq\r\n"));
    EXPECT_EQ(IniReadString(ini, "demo", w(u"Вопросник"), ""), "demo.faq");
}

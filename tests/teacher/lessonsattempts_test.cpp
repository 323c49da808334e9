// Lesson codes and attempts in the lessons tab: codes naming one bank say they are one lesson,
// and a code with records is renamed only after the teacher has read what that does to
// attempts, the safe answer (keep the old code beside the new) being the default.

#include "cp1251.h"
#include "faq.h"
#include "inifile.h"
#include "lessoncodes.h"
#include "lessonsmodel.h"
#include "lessonstab.h"
#include "results.h"
#include "teachertest.h"
#include "testutil.h"

#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

namespace {

class LessonAttempts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QByteArray bank;
        for (int level = 1; level <= 15; ++level)
            bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(w(u"Вопрос?|да|нет|может|никогда|")) + "\r\n";
        writeBytes(folder + QStringLiteral("demo.faq"), bank);
        writeBytes(folder + QStringLiteral("chem.faq"), bank);
        // The same file twice, once relative and once by its full path.
        writeBytes(ini, w(u"[ДЕМО]\r\nВопросник=demo.faq\r\n[DEMO]\r\nВопросник=") + *cp1251::encode(folder + "demo.faq")
                            + w(u"\r\n[ХИМИЯ]\r\nВопросник=chem.faq\r\n"));
    }

    void show()
    {
        tab = std::make_unique<LessonsTab>(folder, &prompts);
        tab->show();
    }
    QString state(int row) const { return tab->model()->data(tab->model()->index(row, LessonsModel::State)).toString(); }
    void recordOrlov(const char16_t *lesson)
    {
        ASSERT_TRUE(WriteResult(folder + QStringLiteral("tallory.rez"), w(lesson), w(u"ОРЛОВ"), 3).ok());
    }
    void renameFirst(const QString &code)
    {
        tab->table()->setCurrentIndex(tab->model()->index(0, 0));
        prompts.texts = {code};
        QTest::mouseClick(tab->findChild<QPushButton *>(QStringLiteral("renameLesson")), Qt::LeftButton);
    }

    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString ini = folder + QStringLiteral("tallory.ini");
    FakePrompts prompts;
    std::unique_ptr<LessonsTab> tab;
};

} // namespace

TEST_F(LessonAttempts, CodesNamingOneBankSayTheyAreOneLesson)
{
    show();
    ASSERT_EQ(tab->model()->rowCount(), 3);
    EXPECT_EQ(state(0), QStringLiteral("годится для игры; одно занятие с «DEMO»"));
    EXPECT_EQ(state(1), QStringLiteral("годится для игры; одно занятие с «ДЕМО»"));
    EXPECT_EQ(state(2), QStringLiteral("годится для игры"));
}

TEST_F(LessonAttempts, RenamingACodeWithRecordsAsksWhatToDoWithAttempts)
{
    struct Case {
        const char *name;
        bool recorded;
        std::optional<int> answer; ///< the teacher's choice: 0 keep the old code too, 1 rename
        bool asked;
        QStringList codes;         ///< the lesson's codes afterwards, as the guard finds them
    };
    const QList<Case> cases{
        {"no records: renamed at once", false, 0, false, {"НОВЫЙ", "DEMO"}},
        {"records, the safe default", true, 0, true, {"НОВЫЙ", "ДЕМО", "DEMO"}},
        {"records, renamed all the same", true, 1, true, {"НОВЫЙ", "DEMO"}},
        {"records, cancelled", true, std::nullopt, true, {}},
    };
    const QByteArray before = readBytes(ini);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(ini, before);
        QFile::remove(folder + QStringLiteral("tallory.rez"));
        if (c.recorded)
            recordOrlov(u"ДЕМО");
        show();
        prompts.lastQuestion.clear();
        prompts.chooseAnswer = c.answer;
        renameFirst(QStringLiteral("новый"));
        EXPECT_EQ(!prompts.lastQuestion.isEmpty(), c.asked);
        if (c.asked) {
            EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("записей занятия «ДЕМО»: 1")));
            EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("смогут сдать его снова под кодом «НОВЫЙ»")));
        }
        if (c.codes.isEmpty()) {
            EXPECT_EQ(readBytes(ini), before);
            continue;
        }
        QStringList codes;
        for (const QByteArray &code : SameLessonCodes(folder, w(u"НОВЫЙ")))
            codes << cp1251::decode(code);
        EXPECT_EQ(codes, c.codes);
        EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    }
}

// Typing over the code in the table would skip the question: a code with records is refused there.
TEST_F(LessonAttempts, ACodeWithRecordsIsNotRenamedInTheTableCell)
{
    recordOrlov(u"ДЕМО");
    show();
    const QByteArray before = readBytes(ini);
    EXPECT_FALSE(tab->model()->setData(tab->model()->index(0, LessonsModel::Code), QStringLiteral("НОВЫЙ")));
    EXPECT_EQ(readBytes(ini), before);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("«Переименовать…»")));
    EXPECT_TRUE(tab->model()->setData(tab->model()->index(2, LessonsModel::Code), QStringLiteral("ХИМИЯ-8")));
}

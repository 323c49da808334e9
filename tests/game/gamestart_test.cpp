#include "gamestart.h"

#include "permissions.h"
#include "results.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

/// One start on a program folder with the lesson ТЕСТ and its bank "lesson.faq", one question a level.
struct StartCase {
    const char *name;
    const char16_t *lesson;
    const char16_t *player;
    std::function<void(const QString &folder)> arrange = nullptr; ///< changes the folder first
    const char16_t *refusal = u"";      ///< "%1" is the program folder; empty: the game starts
    bool refusalIsPrefix = false;        ///< the rest is the system's own text
    bool fileFailure = false;
    bool nameAsked = true;
    bool needsPermissions = false;       ///< file permissions must bind the test
    size_t lastLevelQuestions = 1;
};

void PrintTo(const StartCase &c, std::ostream *os)
{
    *os << c.name;
}

void writeFile(const QString &path, const char16_t *text)
{
    testutil::writeBytes(path, testutil::w(text));
}

void recordOrlov(const QString &folder, const char16_t *lesson)
{
    ASSERT_TRUE(WriteResult(ResultsFilePath(folder), testutil::w(lesson), testutil::w(u"ОРЛОВ"), 3).ok());
}

const char16_t *const kNoQuestions = u"Код занятия не содержит вопросов!";
const char16_t *const kNoName = u"Фамилия и инициалы студента обязательны для заполнения!";

const StartCase kCases[] = {
    {.name = "UnknownLesson", .lesson = u"физика", .player = u"Петров", .refusal = kNoQuestions, .nameAsked = false},
    {.name = "LessonCodeOutsideTheCodePage", .lesson = u"ТЕСТ\u200D", .player = u"Петров",
     .refusal = u"Символ U+200D (невидимый) нельзя использовать: его нельзя сохранить в файлах программы.",
     .nameAsked = false},
    {.name = "BankFileMissing", .lesson = u"ТЕСТ", .player = u"Петров",
     .arrange = [](const QString &f) { writeFile(f + "tallory.ini", u"[ТЕСТ]\r\nВопросник=absent.faq\r\n"); },
     .refusal = kNoQuestions, .nameAsked = false},
    {.name = "BankUnreadable", .lesson = u"ТЕСТ", .player = u"Петров",
     .arrange = [](const QString &f) { QFile::setPermissions(f + "lesson.faq", QFileDevice::WriteOwner); },
     .refusal = u"Не удаётся прочитать файл «%1lesson.faq»: ", .refusalIsPrefix = true, .fileFailure = true,
     .nameAsked = false, .needsPermissions = true},
    // An empty bank is not refused here: the question set-up names the level without questions.
    {.name = "EmptyBank", .lesson = u"ТЕСТ", .player = u"Петров",
     .arrange = [](const QString &f) { writeFile(f + "lesson.faq", u""); }, .lastLevelQuestions = 0},
    {.name = "NameOutsideTheCodePage", .lesson = u"ТЕСТ", .player = u"Ιωάννης",
     .refusal = u"Символ «Ι» (U+0399) нельзя использовать: его нельзя сохранить в файлах программы."},
    {.name = "NameCancelled", .lesson = u"ТЕСТ", .player = u"", .refusal = kNoName},
    {.name = "NameOfBlanks", .lesson = u"ТЕСТ", .player = u"   ", .refusal = kNoName},
    {.name = "NameWhoseRecordWouldBeCut", .lesson = u"ТЕСТ", .player = u"Петров § 2",
     .refusal = u"Символ «§» (U+00A7) нельзя сохранить в файле результатов."},
    // "ЛОРОВ" has the letters of "ОРЛОВ": the same checksum, the same player to the guard.
    {.name = "SecondAttempt", .lesson = u"тест", .player = u"Лоров",
     .arrange = [](const QString &f) { recordOrlov(f, u"ТЕСТ"); },
     .refusal = u"Нельзя дважды отвечать на вопросы теста!"},
    {.name = "AnotherLessonOfTheSamePlayer", .lesson = u"тест", .player = u"Орлов",
     .arrange = [](const QString &f) { recordOrlov(f, u"ДРУГОЙ"); }},
    // A bank is the lesson: a code naming the same file, however its path is written, is the
    // same lesson to the guard; one naming another file is another lesson.
    {.name = "RecordUnderTheLessonsOtherCode", .lesson = u"тест", .player = u"Орлов",
     .arrange = [](const QString &f) {
         testutil::writeBytes(f + "tallory.ini", testutil::w(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[test]\r\nВопросник=")
                                                     + *cp1251::encode(f + "lesson.faq") + "\r\n");
         recordOrlov(f, u"TEST");
     },
     .refusal = u"Нельзя дважды отвечать на вопросы теста!"},
    {.name = "RecordUnderACodeOfAnotherBank", .lesson = u"тест", .player = u"Орлов",
     .arrange = [](const QString &f) {
         writeFile(f + "tallory.ini", u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[ДРУГОЙ]\r\nВопросник=other.faq\r\n");
         QFile::copy(f + "lesson.faq", f + "other.faq");
         recordOrlov(f, u"ДРУГОЙ");
     }},
    {.name = "SettingsInUtf8", .lesson = u"тест", .player = u"Петров",
     .arrange = [](const QString &f) {
         testutil::writeBytes(f + "tallory.ini", QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n").toUtf8());
     },
     .refusal = u"Код занятия не содержит вопросов!\n\nФайл настроек «%1tallory.ini» сохранён в кодировке UTF-8",
     .refusalIsPrefix = true, .nameAsked = false},
    {.name = "ResultsUnreadable", .lesson = u"ТЕСТ", .player = u"Петров",
     .arrange = [](const QString &f) { QDir(f).mkdir("tallory.rez"); },
     .refusal = u"«%1tallory.rez» — это папка, а не файл", .fileFailure = true},
    {.name = "ResultsNotWritable", .lesson = u"ТЕСТ", .player = u"Петров",
     .arrange = [](const QString &f) { QFile::link(f + "gone/tallory.rez", f + "tallory.rez"); },
     .refusal = u"Результат игры нельзя будет записать: нет права записи в папку «%1gone». Обратитесь к учителю."},
    {.name = "GoodStart", .lesson = u"тест", .player = u"Петров П.П."},
};

class GameStartRule : public ::testing::TestWithParam<StartCase>
{
};

} // namespace

TEST_P(GameStartRule, RefusesWithTheMessageShownOrAllows)
{
    const StartCase &c = GetParam();
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    writeFile(folder + "tallory.ini", u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n");
    QByteArray bank;
    for (int level = 1; level <= 15; ++level)
        bank += "[" + QByteArray::number(level) + "]\r\n" + testutil::xorAd(testutil::w(u"Вопрос|Да|Нет|Не|Ни|")) + "\r\n";
    testutil::writeBytes(folder + "lesson.faq", bank);
    if (c.arrange)
        c.arrange(folder);

    bool asked = false;
    GameStart start;
    {
        const testutil::WithoutPermissionOverride asAnyUser;
        if (c.needsPermissions && QFile(folder + "lesson.faq").open(QIODevice::ReadOnly))
            GTEST_SKIP() << "the file's permissions do not apply to this user";
        start = DecideGameStart(folder, QString::fromUtf16(c.lesson), [&] {
            asked = true;
            return QString::fromUtf16(c.player);
        });
    }

    const QString refusal = QString::fromUtf16(c.refusal).replace(QStringLiteral("%1"), folder);
    if (c.refusalIsPrefix)
        EXPECT_TRUE(start.refusal.startsWith(refusal)) << start.refusal.toStdString();
    else
        EXPECT_EQ(start.refusal, refusal);
    EXPECT_EQ(start.fileFailure, c.fileFailure);
    EXPECT_EQ(asked, c.nameAsked);
    // The name is asked once the bank is read, and a refused start keeps the bank it read.
    EXPECT_EQ(start.bank.has_value(), c.nameAsked);
    if (!start.allowed())
        return;
    EXPECT_EQ(start.lessonCode, testutil::w(u"ТЕСТ"));
    EXPECT_EQ(start.playerName, cp1251::upper(testutil::w(c.player)));
    EXPECT_EQ(start.bankName, QStringLiteral("lesson.faq"));
    EXPECT_EQ(start.bank->section(15).size(), c.lastLevelQuestions);
}

INSTANTIATE_TEST_SUITE_P(Cases, GameStartRule, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StartCase> &info) { return std::string(info.param.name); });

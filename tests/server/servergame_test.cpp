// The game with the school's server: whole games played in the window reach the server as the
// journal and tallory.rez hold them, the server's guard refuses a second attempt made on another
// machine, and a server that goes away loses nothing and stores nothing twice.

#include "gameservertest.h"

#include "cp1251.h"

#include <QSqlQuery>

namespace {

using gameserver::kFlushMs;
using gameserver::kRefusal;

class ServerGame : public GameServerTest
{
protected:
    /// The server's results rows as "name|levels|grade", the record's own form.
    QStringList serverRecords()
    {
        QSqlQuery q(owner->database());
        q.exec(QStringLiteral("SELECT name || '|' || levels || '|' || grade FROM tallory.results ORDER BY name"));
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

TEST_F(ServerGame, WholeGamesReachTheServerAsTheJournalAndResultsFileHoldThem)
{
    auto a = seat(QStringLiteral("kab-1"));
    a->play(QStringLiteral("тест"), QStringLiteral("Петров П.П."), 8);
    a->newGame(QStringLiteral("тест"), QStringLiteral("Иванова А.А."));
    a->answerRight();
    a->stop();
    expectAllSent(*a);
    EXPECT_EQ(server(ServerTable::Answers).size(), 10); // eight, one, and the question stopped on
    EXPECT_EQ(serverRecords(), (QStringList{a->record(QStringLiteral("ТЕСТ"), QStringLiteral("Иванова А.А.")),
                                            a->record(QStringLiteral("ТЕСТ"), QStringLiteral("Петров П.П."))}));
    // A result is its game's: the same id, lesson, machine and the game's end as its time.
    QSqlQuery q(owner->database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM tallory.results r JOIN tallory.games g ON g.id = r.id "
                                      "JOIN tallory.game_ends e ON e.game = r.id WHERE r.lesson = g.lesson "
                                      "AND r.name = g.student AND r.machine = 'kab-1' AND r.recorded = e.ended "
                                      "AND r.grade = e.grade AND r.levels = e.levels_passed AND r.standing = 'agrees'")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
}

TEST_F(ServerGame, TheServerRefusesASecondAttemptMadeOnAnotherMachine)
{
    auto a = seat(QStringLiteral("kab-1"));
    auto b = seat(QStringLiteral("kab-2"));
    a->play(QStringLiteral("тест"), QStringLiteral("Сидоров С.С."), 2);
    ASSERT_TRUE(a->school->link().flush(kFlushMs)) << a->school->link().lastProblem().toStdString();

    b->newGame(QStringLiteral("Тест"), QStringLiteral("сидоров с.с."));
    EXPECT_EQ(b->form->Game.CurrentLevel, 0);
    EXPECT_EQ(b->errors(), QStringList{kRefusal});
    // A game left unfinished on one machine refuses its player on another only where the
    // settings make attempts strict: the guard is asked with the machine's own setting.
    b->newGame(QStringLiteral("тест"), QStringLiteral("Орлов О.О."));
    ASSERT_EQ(b->form->Game.CurrentLevel, 1);
    ASSERT_TRUE(b->school->link().flush(kFlushMs));
    a->writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[настройки]\r\nПопытка=строго\r\n");
    a->newGame(QStringLiteral("тест"), QStringLiteral("Орлов О.О."));
    EXPECT_EQ(a->form->Game.CurrentLevel, 0);
    EXPECT_EQ(a->errors(), QStringList{kRefusal});
    a->writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n");
    a->newGame(QStringLiteral("тест"), QStringLiteral("Орлов О.О."));
    EXPECT_EQ(a->form->Game.CurrentLevel, 1);
    EXPECT_EQ(a->errors(), QStringList{kRefusal});
}

// ДЕМО and DEMO: two codes naming one bank are one lesson to the school's guard too, while the
// record stays under the code the game was started with.
TEST_F(ServerGame, TheServerRefusesTheLessonUnderItsOtherCode)
{
    auto a = seat(QStringLiteral("kab-1"));
    auto b = seat(QStringLiteral("kab-2"));
    b->writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[TEST]\r\nВопросник=lesson.faq\r\n");
    a->play(QStringLiteral("тест"), QStringLiteral("Сидоров С.С."), 2);
    ASSERT_TRUE(a->school->link().flush(kFlushMs)) << a->school->link().lastProblem().toStdString();

    b->newGame(QStringLiteral("test"), QStringLiteral("сидоров с.с."));
    EXPECT_EQ(b->form->Game.CurrentLevel, 0);
    EXPECT_EQ(b->errors(), QStringList{kRefusal});
    EXPECT_EQ(serverRecords(), QStringList{a->record(QStringLiteral("ТЕСТ"), QStringLiteral("Сидоров С.С."))});
}

TEST_F(ServerGame, HostileNamesAreStoredAndReadBackAsTyped)
{
    auto a = seat(QStringLiteral("kab-1"));
    const QStringList names{QStringLiteral("O'Neil"), QStringLiteral("'); DROP TABLE x; --"),
                            QStringLiteral("Д'Артаньян \\ \"Ш\"")};
    for (const QString &name : names)
        a->play(QStringLiteral("тест"), name, 1);
    expectAllSent(*a);
    QStringList expected;
    for (const QString &name : names)
        expected << name.toUpper() + QStringLiteral("|0|Неудовлетворительно");
    expected.sort();
    QStringList stored = serverRecords();
    stored.sort();
    EXPECT_EQ(stored, expected);
    // And the guard reads them as they were typed too.
    auto b = seat(QStringLiteral("kab-2"));
    b->newGame(QStringLiteral("тест"), QStringLiteral("o'neil"));
    EXPECT_EQ(b->errors(), QStringList{kRefusal});
}

} // namespace

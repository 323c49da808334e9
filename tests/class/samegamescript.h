#pragma once
// What the same-game tests share: the script both faces play, the room's chance drawn from the
// window's generator, and a journal's rows as text that two machines' journals can be compared by.

#include "journalfiles.h"
#include "results.h"
#include "testutil.h"
#include "randomsource.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <gtest/gtest.h>

namespace samegame {

/// The room's chance for every game, drawn from one generator as the window's is.
class SharedRandom final : public RandomSource
{
public:
    explicit SharedRandom(RandomSource &inner) : m_inner(inner) {}
    int below(int n) override { return m_inner.below(n); }

private:
    RandomSource &m_inner;
};

inline const QStringList kScript = {
    // Every lifeline, then a stop with the grade of level 5.
    QStringLiteral("new Первый"), QStringLiteral("fifty"), QStringLiteral("right"), QStringLiteral("audience"),
    QStringLiteral("right"), QStringLiteral("friend"), QStringLiteral("right"), QStringLiteral("right"),
    QStringLiteral("right"), QStringLiteral("right"), QStringLiteral("stop"),
    // Past the teasing levels to a wrong answer at 10.
    QStringLiteral("new Второй"), QStringLiteral("right"), QStringLiteral("right"), QStringLiteral("right"),
    QStringLiteral("right"), QStringLiteral("right"), QStringLiteral("right"), QStringLiteral("right"),
    QStringLiteral("right"), QStringLiteral("right"), QStringLiteral("wrong"),
    // The same student again: refused by both, nothing written.
    QStringLiteral("new Второй")};

/// A journal's games and answers as comparable text: no ids, machines or times.
inline QStringList journalRows(const QString &folder, const QString &machine)
{
    const QString connection = QStringLiteral("samegame-rows");
    QStringList lines;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(JournalFilePath(folder, machine));
        EXPECT_TRUE(db.open()) << machine.toStdString();
        const QString games = QStringLiteral("SELECT lesson, student, bank_file, bank_sha256, ending, levels_passed, grade "
                                             "FROM games ORDER BY student");
        const QString answers = QStringLiteral(
            "SELECT g.student, a.level, a.bank_index, a.question_sha256, a.question, a.answer_a, a.answer_b, a.answer_c, "
            "a.answer_d, a.right_button, a.clicked_button, a.chosen, a.fifty_blanked, a.votes_a, a.votes_b, "
            "a.votes_c, a.votes_d, a.friend_reply, a.tease FROM answers a JOIN games g ON g.id = a.game "
            "ORDER BY g.student, a.level");
        for (const QString &sql : {games, answers}) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql));
            while (q.next()) {
                QStringList values;
                for (int c = 0; c < q.record().count(); ++c)
                    values << (q.value(c).isNull() ? QStringLiteral("NULL") : q.value(c).toString());
                lines << values.join(QLatin1Char('|')).replace(QDir(folder).absolutePath(), QStringLiteral("<folder>"));
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return lines;
}

/// The desktop's folder (its journal of machine "ПК-1") and the room's ("ПК-2") hold the same
/// tallory.rez, byte for byte, and the same journal rows; the first difference is named.
inline void expectSameRecords(const QString &desktopFolder, const QString &roomFolder)
{
    ASSERT_FALSE(testutil::readBytes(ResultsFilePath(desktopFolder)).isEmpty());
    EXPECT_EQ(testutil::readBytes(ResultsFilePath(roomFolder)), testutil::readBytes(ResultsFilePath(desktopFolder)));
    const QStringList desktop = journalRows(desktopFolder, QStringLiteral("ПК-1"));
    const QStringList served = journalRows(roomFolder, QStringLiteral("ПК-2"));
    ASSERT_GT(desktop.size(), 15);
    for (qsizetype i = 0; i < std::max(desktop.size(), served.size()); ++i)
        ASSERT_EQ(served.value(i, QStringLiteral("<none>")).toStdString(), desktop.value(i, QStringLiteral("<none>")).toStdString())
            << "first difference at row " << i + 1;
}

} // namespace samegame

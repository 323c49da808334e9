#pragma once
// A room on a program folder of its own: a fifteen-level bank whose right answers read
// "Верно <level>", a steady clock the test moves by hand, seeded chance and counted tokens.

#include "classroom.h"
#include "cp1251.h"
#include "faq.h"
#include "gamestate.h"
#include "inifile.h"
#include "journalfiles.h"
#include "randomsource.h"
#include "results.h"
#include "testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

class ClassFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = program.path() + QLatin1Char('/');
        writeSettings(QString());
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            bank += "[" + QByteArray::number(level) + "]\r\n";
            const QString line = QStringLiteral("Вопрос %1|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|").arg(level);
            bank += ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
        // The host's and the friends' counters start afresh for every test.
        qputenv("XDG_CONFIG_HOME", (program.path() + QStringLiteral("/cfg")).toUtf8());
    }
    void TearDown() override { room.reset(); }

    void writeSettings(const QString &more)
    {
        testutil::writeBytes(folder + QStringLiteral("tallory.ini"),
                             *cp1251::encode(QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n") + more));
    }

    ClassRoom &open(quint32 seed = 7)
    {
        ClassRoomOptions o;
        o.folder = folder;
        o.machine = QStringLiteral("КЛАСС");
        o.steadyMs = [this] { return now; };
        o.newRandom = [seed]() -> std::unique_ptr<RandomSource> { return std::make_unique<SeededRandom>(seed); };
        o.newToken = [this] { return QStringLiteral("%1").arg(++tokens, 32, 10, QLatin1Char('0')); };
        if (wall)
            o.wallMs = [this] { return *wall; };
        o.report = [this](const QString &what) { reports << what; };
        room = std::make_unique<ClassRoom>(o);
        return *room;
    }

    /// Joins and returns the token; fails the test on a refusal.
    QString join(const QString &name, const QString &device = QStringLiteral("10.0.0.2"))
    {
        const ClassReply r = room->join({{"lesson", "тест"}, {"name", name}}, device);
        EXPECT_EQ(r.status, 200) << r.body.value("error").toString().toStdString();
        return r.body.value("token").toString();
    }

    ClassReply act(const QString &token, int step, const QString &what, const QJsonObject &more = {})
    {
        QJsonObject request = more;
        request.insert("token", token);
        request.insert("step", step);
        request.insert("do", what);
        return room->act(request);
    }

    QJsonObject view(const QString &token) { return room->game({{"token", token}}).body.value("game").toObject(); }

    /// The button whose caption is the right answer, read as a student could not: by the bank's words.
    static int rightButton(const QJsonObject &game)
    {
        const QJsonArray answers = game.value("question").toObject().value("answers").toArray();
        for (int b = 0; b < 4; ++b) {
            if (answers[b].toString().startsWith(QStringLiteral("Верно")))
                return b + 1;
        }
        return 0;
    }

    QString record(const QString &name) const
    {
        const QByteArray key = checks(*cp1251::encode(name));
        return cp1251::decode(ScrambleText(IniReadString(folder + QStringLiteral("tallory.rez"), "\xD2\xC5\xD1\xD2", key, {})));
    }

    /// One column of the journal's rows, read from the file as the teacher's side would.
    QStringList journalRows(const QString &sql) const
    {
        QStringList rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("class-test"));
            db.setDatabaseName(JournalFilePath(folder, QStringLiteral("КЛАСС")));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql)) {
                    while (q.next()) {
                        QStringList values;
                        for (int i = 0; i < q.record().count(); ++i)
                            values << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
                        rows << values.join(QLatin1Char('|'));
                    }
                }
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("class-test"));
        return rows;
    }

    QTemporaryDir program;
    QString folder;
    qint64 now = 1000;
    std::optional<qint64> wall; ///< the wall clock, when a test moves it by hand
    QStringList reports;        ///< what the room said outside any request
    int tokens = 0;
    std::unique_ptr<ClassRoom> room;
};

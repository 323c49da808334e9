// One game, two faces: the same script (the same chance, the same clicks, every lifeline, a stop
// and a wrong answer) played in the desktop window and in the class room leaves the same
// tallory.rez and the same journal rows, apart from the machine, the times and the games' ids.
// Both faces run one session; this is where a draw taken in another order, a remark counted
// twice or a row written differently by the server would show.

#include "lifelinesfixture.h"
#include "samegamescript.h"

#include "classroom.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "telform.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using samegame::expectSameRecords;
using samegame::kScript;
using samegame::SharedRandom;

class SameGame : public LifelinesFixture
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        journal = std::make_unique<GameJournal>(folder, QStringLiteral("ПК-1"), JournalClock::system(), JournalSync::Normal);
        FormServices s = services(watching);
        s.recorder = journal.get();
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        dialogs.onModal = [](QDialog &d) {
            TTelform &call = lifelines::callWindow(d);
            QTest::keyClicks(&call, call.Label1->text().right(7));
            QTest::keyClick(&call, Qt::Key_Return);
        };
    }
    void TearDown() override
    {
        LifelinesFixture::TearDown();
        journal.reset();
    }

    /// The script in the window, as a student plays it with the keys.
    void playDesktop()
    {
        for (const QString &step : kScript)
            playByKeys(step);
    }

    /// The same script through the room, as the page sends it.
    void playRoom(ClassRoom &room)
    {
        QString token;
        QJsonObject view;
        const auto act = [&](const QString &what, QJsonObject more = {}) {
            more.insert(QStringLiteral("token"), token);
            more.insert(QStringLiteral("step"), view.value(QStringLiteral("step")));
            more.insert(QStringLiteral("do"), what);
            const ClassReply r = room.act(more);
            EXPECT_EQ(r.status, 200) << what.toStdString() << ": "
                                     << r.body.value(QStringLiteral("error")).toString().toStdString();
            view = r.body.value(QStringLiteral("game")).toObject();
            return r.body.value(QStringLiteral("event")).toObject();
        };
        // The right answer's button: its caption reads "Верно <level>".
        const auto rightTag = [&] {
            const QJsonArray answers = view.value(QStringLiteral("question")).toObject().value(QStringLiteral("answers")).toArray();
            const QString right = QStringLiteral("Верно %1").arg(view.value(QStringLiteral("level")).toInt());
            for (int i = 0; i < answers.size(); ++i)
                if (answers[i].toString() == right)
                    return i + 1;
            return 0;
        };
        for (const QString &step : kScript) {
            if (step.startsWith(QLatin1String("new "))) {
                const ClassReply r = room.join({{QStringLiteral("lesson"), QStringLiteral("тест")},
                                                {QStringLiteral("name"), step.mid(4)}},
                                               QStringLiteral("192.168.1.20"));
                token = r.body.value(QStringLiteral("token")).toString();
                view = r.body.value(QStringLiteral("game")).toObject();
            } else if (step == QLatin1String("friend")) {
                const QJsonObject call = act(QStringLiteral("friend"));
                act(QStringLiteral("dial"), {{QStringLiteral("digits"), call.value(QStringLiteral("number"))}});
                if (view.value(QStringLiteral("state")).toString() == QLatin1String("call"))
                    act(QStringLiteral("hangup"));
            } else if (step == QLatin1String("fifty") || step == QLatin1String("audience") || step == QLatin1String("stop")) {
                act(step);
            } else {
                ASSERT_GT(rightTag(), 0) << "no right answer shown";
                const int tag = step == QLatin1String("right") ? rightTag() : rightTag() % 4 + 1;
                for (int clicks = 0; clicks < 5; ++clicks)
                    if (!act(QStringLiteral("answer"), {{QStringLiteral("button"), tag}}).value(QStringLiteral("teased")).toBool())
                        break;
            }
        }
    }

    std::unique_ptr<GameJournal> journal;
};

TEST_F(SameGame, TheWindowAndTheRoomRecordTheSameGames)
{
    playDesktop();
    form.reset();
    journal.reset();

    // The room on a folder of its own with the same settings and bank, from a fresh counters
    // store and the same seed as the window's.
    QTemporaryDir roomDir;
    const QString roomFolder = roomDir.path() + QLatin1Char('/');
    for (const char *name : {"tallory.ini", "lesson.faq"})
        testutil::writeBytes(roomFolder + QLatin1String(name), testutil::readBytes(folder + QLatin1String(name)));
    for (const QString &clip : kClips)
        testutil::writeBytes(roomFolder + QStringLiteral("wav/") + clip + QStringLiteral(".wav"), "RIFF");
    QTemporaryDir roomHome;
    qputenv("XDG_CONFIG_HOME", roomHome.filePath(QStringLiteral("cfg")).toUtf8());
    SeededRandom roomRandom{12345};
    {
        ClassRoomOptions options;
        options.folder = roomFolder;
        options.machine = QStringLiteral("ПК-2");
        options.steadyMs = [] { return qint64(1000); };
        options.newRandom = [&roomRandom] { return std::make_unique<SharedRandom>(roomRandom); };
        ClassRoom room(options);
        ASSERT_EQ(room.problem(), QString());
        playRoom(room);
        room.shutdown();
    }

    expectSameRecords(folder, roomFolder);
}

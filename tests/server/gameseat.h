#pragma once
// One lab machine with the school's server: a program folder of its own with a lesson whose
// answers are known, its journal under its own machine name, the sender and the guard, and the
// game window with every other service faked. Tests play it as a student does.

#include "game/gamefixture.h"
#include "schoolserver.h"

#include <QAction>

class GameSeat : public GameFixture
{
public:
    GameSeat(QString machine, QString service, int guardWaitMs = 2000)
        : m_machine(std::move(machine)), m_service(std::move(service)), m_guardWaitMs(guardWaitMs)
    {
    }
    ~GameSeat() override { close(); }
    void TestBody() override {}

    /// Lays the folder out and builds the window, as the program entry does.
    void open()
    {
        SetUp();
        journal = std::make_unique<JournalThread>(folder, m_machine, JournalClock::system(), JournalSync::Normal);
        // The cluster's services are in its own file, which the tests' PGSERVICEFILE names.
        school = std::make_unique<SchoolServer>(m_service, *journal, m_guardWaitMs,
                                                QFile::decodeName(qgetenv("PGSERVICEFILE")));
        FormServices s = services(watching);
        s.recorder = journal.get();
        school->serve(s);
        form = std::make_unique<TForm1>(s);
    }
    void close()
    {
        if (!journal)
            return;
        form.reset();
        journal.reset(); // its writer pokes the sender until it is gone
        school.reset();
        TearDown();
    }

    /// Plays a game: right answers up to level stopAt, then a wrong one (16: wins the game).
    void play(const QString &lesson, const QString &name, int wrongAt)
    {
        newGame(lesson, name);
        while (form->Game.CurrentLevel > 0 && form->Game.CurrentLevel < wrongAt) {
            const int level = form->Game.CurrentLevel;
            answerRight();
            if (form->Game.CurrentLevel == level) // the host teased: the same question again
                answerRight();
        }
        if (form->Game.CurrentLevel == wrongAt)
            answerWrong();
    }
    /// Stops the game on screen with the stop command, keeping the grade reached.
    void stop() { form->N6->trigger(); }

    /// The errors the window showed so far.
    QStringList errors() const { return timeline.events.filter(QStringLiteral("error: ")); }

    using GameFixture::answerRight;
    using GameFixture::answerWrong;
    using GameFixture::folder;
    using GameFixture::form;
    using GameFixture::newGame;
    using GameFixture::record;
    using GameFixture::writeSettings;

    std::unique_ptr<JournalThread> journal;
    std::unique_ptr<SchoolServer> school;

private:
    QString m_machine;
    QString m_service;
    int m_guardWaitMs;
};

#pragma once
// A whole game on a program folder of its own, written to a real SQLite journal there, with
// clocks the test moves by hand.

#include "game/gamefixture.h"

#include "journalthread.h"
#include "journalfiles.h"
#include "journalreader.h"

#include <QAction>

/// Clocks that stand still until the test moves them.
struct FakeClock {
    qint64 wall = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch();
    qint64 steady = 1000;
    void advance(qint64 ms)
    {
        wall += ms;
        steady += ms;
    }
    JournalClock clock()
    {
        return {[this] { return wall; }, [this] { return steady; }};
    }
};

class JournalFixture : public GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
    }
    void TearDown() override
    {
        GameFixture::TearDown();
        journal.reset();
    }

    /// The window, with this fixture's journal as its recorder.
    TForm1 &startJournalled()
    {
        FormServices s = services(watching);
        s.recorder = journal.get();
        form = std::make_unique<TForm1>(s);
        return *form;
    }

    QString journalPath() const { return JournalFilePath(folder, QStringLiteral("ПК-7")); }

    /// The games of the journal, read as the teacher's side reads them.
    QList<JournalGame> games(const QString &path = {}) const
    {
        const auto reader = JournalReader::open(path.isEmpty() ? journalPath() : path);
        if (!reader.ok())
            ADD_FAILURE() << reader.error.toStdString();
        return reader.ok() ? reader.value->games().value : QList<JournalGame>{};
    }
    QList<JournalAnswer> answers(const QString &path = {}) const
    {
        const auto reader = JournalReader::open(path.isEmpty() ? journalPath() : path);
        if (!reader.ok())
            ADD_FAILURE() << reader.error.toStdString();
        return reader.ok() ? reader.value->answers().value : QList<JournalAnswer>{};
    }

    QString problem() const { return ReadProblemNote(folder, QStringLiteral("ПК-7")); }

    /// Plays to the level given, answering right; a tease is answered again.
    void climbTo(int level)
    {
        while (form->Game.CurrentLevel >= 1 && form->Game.CurrentLevel < level) {
            const int before = form->Game.CurrentLevel;
            answerRight();
            if (form->Game.CurrentLevel == before)
                answerRight();
        }
    }

    FakeClock clock;
    std::unique_ptr<JournalThread> journal;
};

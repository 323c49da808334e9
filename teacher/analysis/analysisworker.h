#pragma once
// The reading behind the tab «Анализ», on a thread of its own: the journals (AnswerArchive) and
// the school's server (AnswersFeed) are opened, read and added up there, so that a lesson of a
// million answers, a server slow to answer or a server gone never hold the window. Qt SQL
// connections belong to the thread that made them: every connection the tab reads through is
// made, used and closed on this thread. The tab calls the slots across the threads (queued) and
// hears the outcomes by queued signals.
//
// A server that cannot be reached, or stops answering in the middle of a reading, is tried
// again every few seconds, as the game's sender tries again, until it answers; meanwhile the
// journals are read, and the outcome says what stopped the server and what to fix.

#include "answeranalysis.h"

#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class AnswersFeed;

/// How much of the journals to read again for a request.
enum class JournalReading {
    Keep,    ///< the journals as last opened (a change of lesson or of a threshold)
    Changed, ///< the journals changed: those written meanwhile are read again
    Afresh,  ///< another set of journals: every one opened anew
};

struct AnalysisRequest {
    QStringList journals; ///< the journal files read while the server is not
    JournalReading reading = JournalReading::Keep;
    QString lesson;       ///< the lesson wanted; the first one with games when it has none
    AnalysisSettings settings;
};

/// One reading's outcome, for the window to show.
struct AnalysisOutcome {
    bool fromServer = false;
    QString service;       ///< the server named; empty when none is
    QString serverProblem; ///< why the server is not read now, with what to fix
    QStringList lessons;
    LessonAnalysis analysis;
    QList<JournalProblem> problems;
    QStringList journals; ///< the journal files opened, read or not
};

/// A game's answers, read when the teacher chose the game.
struct PathOutcome {
    QString gameId;
    Result<QList<JournalAnswer>> answers;
};

Q_DECLARE_METATYPE(AnalysisOutcome)
Q_DECLARE_METATYPE(PathOutcome)

class AnalysisWorker : public QObject
{
    Q_OBJECT

public:
    /// How long a server out of reach is left before the next try.
    static constexpr int kRetryMs = 5000;

    AnalysisWorker();
    ~AnalysisWorker() override;

    /// How long a server out of reach is left before the next try, and how often a connected
    /// one is checked (a stopped server is otherwise noticed only at the next reading).
    void setRetryMs(int ms);

    /// Reads the server the service names from now on, in place of the journals; connecting
    /// waits at most 2 s, and a failure is tried again every retry interval.
    void follow(const QString &service);
    /// Reads the lesson and emits analysed().
    void analyse(const AnalysisRequest &request);
    /// Reads a game's answers and emits pathRead().
    void readPath(const GamePath &game);

signals:
    void analysed(const AnalysisOutcome &outcome);
    void pathRead(const PathOutcome &outcome);
    /// Something is there to be read again: games ended on the server, the server came back,
    /// or the reason it cannot be reached changed.
    void changed();

private:
    /// Tries the server once; false with m_problem saying why.
    bool connectServer();
    /// The server failed in the middle of a reading: tries again at once, else every interval.
    void lost(const QString &problem);
    void retry();
    bool analyseServer(const AnalysisRequest &request, AnalysisOutcome &outcome);
    void analyseJournals(const AnalysisRequest &request, AnalysisOutcome &outcome);

    AnswersFeed *m_feed = nullptr;
    std::unique_ptr<AnswerArchive> m_archive;
    QString m_service;
    QString m_problem; ///< why the server is not read, for the outcome
    QTimer m_retry;
};

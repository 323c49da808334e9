#include "analysisworker.h"

#include "answersfeed.h"
#include "serveranswers.h"

AnalysisWorker::AnalysisWorker() : m_feed(new AnswersFeed(this)), m_retry(this)
{
    qRegisterMetaType<AnalysisOutcome>();
    qRegisterMetaType<PathOutcome>();
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &AnalysisWorker::retry);
    connect(m_feed, &AnswersFeed::gamesEnded, this, &AnalysisWorker::changed);
}

AnalysisWorker::~AnalysisWorker() = default;

void AnalysisWorker::setRetryMs(int ms)
{
    m_retry.setInterval(ms);
}

void AnalysisWorker::follow(const QString &service)
{
    m_service = service;
    m_retry.start();
    connectServer();
}

bool AnalysisWorker::connectServer()
{
    m_problem = m_feed->follow(m_service);
    return m_problem.isEmpty();
}

void AnalysisWorker::retry()
{
    // A stopped server has cut the connection and its announcements with it: the journals are
    // shown meanwhile, and a restarted server is read again with its announcements.
    if (m_feed->answers()) {
        if (!m_feed->check()) {
            lost(m_feed->problem());
            emit changed();
        }
        return;
    }
    const QString before = m_problem;
    connectServer();
    // Back, or out of reach for another reason, which the teacher should read.
    if (m_problem != before)
        emit changed();
}

void AnalysisWorker::lost(const QString &problem)
{
    // Most often the server was restarted: a new connection gets the reading going at once.
    if (connectServer())
        return;
    // Otherwise what the connection says (the server not answering, with what to check) tells
    // the teacher more than the statement that failed; both are kept.
    m_problem = problem + QStringLiteral(". ") + m_problem;
}

bool AnalysisWorker::analyseServer(const AnalysisRequest &request, AnalysisOutcome &outcome)
{
    for (int attempt = 0; attempt < 2 && m_feed->answers(); ++attempt) {
        const ServerAnswers &server = *m_feed->answers();
        const qsizetype before = server.problems().size();
        outcome.lessons = server.lessons();
        const QString lesson = outcome.lessons.contains(request.lesson) ? request.lesson : outcome.lessons.value(0);
        outcome.analysis = lesson.isEmpty() ? LessonAnalysis{} : server.analyse(lesson, request.settings);
        if (server.problems().size() == before) {
            outcome.fromServer = true;
            outcome.problems = server.problems();
            return true;
        }
        lost(server.problems().back().problem);
    }
    outcome.lessons.clear();
    outcome.analysis = {};
    return false;
}

void AnalysisWorker::analyseJournals(const AnalysisRequest &request, AnalysisOutcome &outcome)
{
    // The same journals, all readable: the archive reads again only those written meanwhile.
    // Another set, or one that could not be read (it may be whole now), is opened afresh.
    const bool reopen = !m_archive || request.reading == JournalReading::Afresh
                        || (request.reading == JournalReading::Changed
                            && (m_archive->files() != request.journals || !m_archive->problems().isEmpty()));
    if (reopen)
        m_archive = std::make_unique<AnswerArchive>(request.journals);
    outcome.lessons = m_archive->lessons();
    const QString lesson = outcome.lessons.contains(request.lesson) ? request.lesson : outcome.lessons.value(0);
    outcome.analysis = lesson.isEmpty() ? LessonAnalysis{} : m_archive->analyse(lesson, request.settings);
    outcome.problems = m_archive->problems();
    outcome.journals = m_archive->files();
}

void AnalysisWorker::analyse(const AnalysisRequest &request)
{
    AnalysisOutcome outcome;
    outcome.service = m_service;
    if (!analyseServer(request, outcome))
        analyseJournals(request, outcome);
    outcome.serverProblem = m_problem;
    emit analysed(outcome);
}

void AnalysisWorker::readPath(const GamePath &game)
{
    const ServerAnswers *server = m_feed->answers();
    PathOutcome outcome{game.game.id, {}};
    if (server && game.file == server->label())
        outcome.answers = server->path(game);
    else if (m_archive)
        outcome.answers = m_archive->path(game);
    else
        outcome.answers = Result<QList<JournalAnswer>>::failure(QStringLiteral("журналы не открыты"));
    emit pathRead(outcome);
}

#pragma once
// The class's answers as the school's server holds them: every machine's games and answers in
// tallory.answers and tallory.game_overview, read with the teacher's role. The server adds up a
// lesson in one statement (LessonTallySql beside the journals' own: counts per question and
// chosen answer, the times, the latest texts), and the same fold as the journals' makes the
// figures from its rows (TallyFold), so the two sources give the same figures.

#include "answeranalysis.h"

#include <QSqlDatabase>
#include <QString>

/// A lesson's answers from the server, through a connection the caller keeps open (a Qt SQL
/// connection belongs to the thread that made it: use the source there).
class ServerAnswers : public AnswerSource
{
public:
    /// service: the libpq service the connection came from, to name the server in problems.
    ServerAnswers(QSqlDatabase db, QString service);

    QStringList lessons() const override;
    LessonAnalysis analyse(const QString &lesson, const AnalysisSettings &settings = {}) const override;
    Result<QList<JournalAnswer>> path(const GamePath &game) const override;
    QList<JournalProblem> problems() const override { return m_problems; }

    /// The name problems and paths carry in place of a journal file: «сервер «SERVICE»».
    QString label() const;

private:
    void noteProblem(const QString &problem) const;

    QSqlDatabase m_db;
    QString m_service;
    mutable QList<JournalProblem> m_problems;
};

/// The session settings the analysis reads with: the lesson's answers sorted by question in
/// memory rather than on the server's disk, and no JIT compiling (it costs a statement read once
/// a tenth of a second and gains nothing back here). Any role may set them for its session.
QStringList ServerAnalysisSessionSql();

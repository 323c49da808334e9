#pragma once
// The tab «Анализ»: what the class got wrong, from the answer journals of every machine. The
// question table with its flags, the funnel of the levels, each student's games and paths,
// the level moves the answers suggest, and the journals that could not be read or written.

#include "answeranalysis.h"
#include "analysisworker.h"
#include "journalwatch.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class FunnelChart;
class LevelMovesPane;
class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QTableView;
class QThread;
class QuestionTableModel;
class StudentPaths;
class TableFit;

class AnalysisView : public QWidget
{
    Q_OBJECT

public:
    /// Carries out an accepted level move in the bank of the lesson; an empty text when done,
    /// else why not, for the teacher.
    using MoveApplier = std::function<QString(const QString &bankFile, const LevelMove &move)>;

    explicit AnalysisView(QWidget *parent = nullptr);
    /// Waits for a reading under way to end.
    ~AnalysisView() override;

    /// Reads and follows the journals of these program folders, journal folders and files.
    void openSources(const QStringList &sources);
    QStringList sources() const;
    /// The journal files read, and those that could not be.
    QStringList journals() const;
    /// Reads the whole school's answers from the server the service names, and follows games
    /// as they end there, in place of the journals; while the server cannot be reached, the
    /// journals stay, with a line saying why and what to fix, and the server is tried again
    /// every few seconds until it answers.
    void followServer(const QString &service);
    /// How long a server out of reach is left before the next try (5 s unless set).
    void setServerRetryMs(int ms);
    /// Whether the figures shown come from the server.
    bool readsServer() const { return m_fromServer; }
    /// Whether a reading is under way: the journals and the server are read on a thread of the
    /// tab's own, and the figures shown change when it ends (refreshed()).
    bool busy() const { return m_inFlight; }

    void setMoveApplier(MoveApplier applier) { m_applier = std::move(applier); }
    /// The pane of «Предложить уровни», for whoever holds the bank to warn about a move.
    LevelMovesPane *movesPane() const { return m_moves; }
    /// The figures of the lesson chosen, with the thresholds set.
    const LessonAnalysis &analysis() const { return m_analysis; }
    AnalysisSettings settings() const;
    /// The bank the lesson's last game was played from, as the journal names it.
    QString lessonBankFile() const;
    /// Writes the question table as CSV; false with the reason in error when it cannot.
    bool exportCsv(const QString &path, QString *error = nullptr) const;

public slots:
    /// Reads the journals again now when they changed since they were last read; a change of a
    /// watched journal calls it by itself.
    void refresh();
    /// Shows the moves «Предложить уровни» proposes for the lesson chosen.
    void proposeLevels();

signals:
    /// A reading ended and its figures are shown.
    void refreshed();
    /// The teacher asked for more journals to be added.
    void addRequested();
    /// The teacher asked for the question table as CSV.
    void exportRequested();

private:
    QWidget *buildControls();
    void buildThresholds();
    QWidget *buildJournalsPane();
    QSpinBox *addSpin(const char *name, int min, int max, int value, const QString &suffix);
    void fillLessons(const QStringList &lessons);
    /// Asks the reading thread for the lesson chosen, with the journals read as said; a
    /// request made while one is under way is made once that one ends.
    void request(JournalReading reading);
    void received(const AnalysisOutcome &outcome);
    /// Flags the questions shown anew for thresholds that need no reading.
    void reflag();
    void showAnalysis();
    /// The widths the question table's columns' texts and titles take, a line each.
    QList<int> contentWidths() const;
    void showProblems();
    void removeChosenSource();
    void showServerStatus(QStringList &status) const;

    JournalWatch *m_watch = nullptr;
    QThread *m_thread = nullptr;
    AnalysisWorker *m_worker = nullptr; ///< lives on m_thread
    bool m_inFlight = false;  ///< a request is being read
    bool m_again = false;     ///< and another is to follow it
    JournalReading m_reading = JournalReading::Afresh; ///< how the next request reads the journals
    bool m_fromServer = false;
    QString m_service;        ///< the server named, read or not
    QString m_serverProblem;  ///< why the server is not read, for the status line
    QString m_wantedLesson;   ///< the lesson the teacher chose
    QList<JournalProblem> m_problems; ///< what the last reading could not read
    QStringList m_journals;   ///< the journal files the last reading opened
    QStringList m_stamp; ///< the journals as last read
    LessonAnalysis m_analysis;
    MoveApplier m_applier;
    QuestionTableModel *m_model = nullptr;
    QComboBox *m_lessonBox = nullptr;
    QSpinBox *m_margin = nullptr;     ///< percent
    QSpinBox *m_minAnswers = nullptr;
    QSpinBox *m_minMove = nullptr;
    QSpinBox *m_quickMs = nullptr;
    QTabWidget *m_pages = nullptr;
    QTableView *m_table = nullptr;
    TableFit *m_fit = nullptr; ///< keeps the question table's columns inside its width
    FunnelChart *m_funnel = nullptr;
    StudentPaths *m_students = nullptr;
    LevelMovesPane *m_moves = nullptr;
    QListWidget *m_sourceList = nullptr;
    QListWidget *m_problemList = nullptr; ///< journals not read, machines that could not write
    QLabel *m_status = nullptr;
};

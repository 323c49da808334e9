#pragma once
// The tab «Анализ»: what the class got wrong, from the answer journals of every machine. The
// question table with its flags, the funnel of the levels, each student's games and paths,
// the level moves the answers suggest, and the journals that could not be read or written.

#include "answeranalysis.h"
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
class QuestionTableModel;
class AnswersFeed;
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
    ~AnalysisView() override;

    /// Reads and follows the journals of these program folders, journal folders and files.
    void openSources(const QStringList &sources);
    QStringList sources() const;
    /// The journal files read, and those that could not be.
    QStringList journals() const;
    /// Reads the whole school's answers from the server the service names, and follows games
    /// as they end there, in place of the journals; while the server cannot be reached, the
    /// journals stay, with a line saying why. Connecting waits at most 2 s.
    void followServer(const QString &service);
    /// Whether the figures come from the server now.
    bool readsServer() const;

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
    /// The journals were read again because they changed.
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
    void fillLessons();
    void analyse();
    void showProblems();
    void removeChosenSource();
    /// The server while it is followed, else the journals.
    const AnswerSource *source() const;
    void showServerStatus(QStringList &status) const;

    JournalWatch *m_watch = nullptr;
    std::unique_ptr<AnswerArchive> m_archive;
    AnswersFeed *m_server = nullptr;
    QString m_serverLine; ///< why the server is not read, for the status line
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

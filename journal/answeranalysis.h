#pragma once
// What the class got wrong: the answers of a lesson gathered from every machine's journal and
// turned into figures per question, per level and per student, and the ladder the class's
// answers suggest. The workbench's analysis tab and `tallory-results answers` show the same
// figures; both read the journals read-only, so games being written meanwhile go on.

#include "journalreader.h"
#include "result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

/// The thresholds the teacher may set. Shares are fractions (0.25 = 25 %).
struct AnalysisSettings {
    /// Answers a question needs before it is flagged or moved: with fewer, one student more or
    /// less changes its share by more than the margins below.
    int minAnswers = 10;
    /// How far a question's share right may lie from its level's neighbours before it is
    /// flagged as far harder or far easier than its level.
    double margin = 0.25;
    /// Answers right in less than this many ms count as quick...
    qint64 quickMs = 1000;
    /// ...and a question answered right quickly in more than this share of its answers is
    /// flagged as guessable.
    double quickShare = 0.5;
    /// Answers a question needs before «Предложить уровни» may move it.
    int minAnswersToMove = 20;
};

enum class QuestionFlagKind {
    WrongBeatsRight, ///< a wrong answer chosen more often than the right one
    Harder,          ///< far harder than its level's neighbours
    Easier,          ///< far easier than its level's neighbours
    Guessable,       ///< answered right in under a second most of the time
};

struct QuestionFlag {
    QuestionFlagKind kind;
    QString reason; ///< one Russian sentence with the figures, for a tooltip and the CSV
};

/// The short Russian word of a flag for a table cell and the CLI: «ключ?», «трудный»,
/// «лёгкий», «угадывается».
QString FlagWord(QuestionFlagKind kind);

/// One question of the lesson as the class answered it. A question is known by its level and
/// the hash of its bank line, so that a reordered bank keeps its figures and an edited question
/// starts anew.
struct QuestionFigures {
    int level = 0;             ///< 1..15
    int bankIndex = 0;         ///< its place in the level's section when last asked
    QString sha256;            ///< the hash of its bank line, as the journal keeps it
    QString question;          ///< the text as last shown
    /// The answers in bank order: [1] the right one, [2..4] wrong 1..3; a wrong answer nobody
    /// chose may be unknown (empty), since the journal keeps what was clicked.
    std::array<QString, 5> answers{};
    int asked = 0;             ///< times shown, stops on it included
    int answered = 0;          ///< times a button was clicked on it
    std::array<int, 5> chosen{}; ///< [1] right, [2..4] wrong 1..3: clicks on each
    qint64 medianMs = -1;      ///< median time to the click; -1 when never answered
    int quickRight = 0;        ///< right in less than AnalysisSettings::quickMs
    int fiftyFifty = 0;        ///< times 50:50 was used on it
    int audience = 0;          ///< times the audience was asked on it
    int friendCalls = 0;       ///< times the friend was called on it
    std::array<int, 5> rightOnButton{}; ///< [1..4]: times the right answer stood on A..D
    QList<QuestionFlag> flags;

    /// chosen[k] / answered; 0 when never answered.
    double share(int k) const;
    double rightShare() const { return share(1); }
};

/// One level of the ladder: how many games reached it and how many passed it.
struct LevelFigures {
    int level = 0;
    int reached = 0; ///< games shown a question of this level
    int passed = 0;  ///< games that answered it right
};

/// One game as the student played it.
struct GamePath {
    JournalGame game;
    QString file;                 ///< the journal it was read from
    QList<JournalAnswer> answers; ///< by level; filled by AnswerArchive::path
    bool unfinished() const { return !game.ending.has_value(); }
};

/// A move «Предложить уровни» proposes.
struct LevelMove {
    QString sha256;
    QString question;
    int bankIndex = 0;
    int fromLevel = 0;
    int toLevel = 0;
    double share = 0;  ///< its share right
    int answered = 0;
    QString reason;    ///< one Russian sentence with the figures
};

/// The analysis of one lesson.
struct LessonAnalysis {
    QString lesson;
    QList<QuestionFigures> questions; ///< by level, then bank index
    std::array<LevelFigures, 16> levels{}; ///< [1..15]
    QList<GamePath> games;            ///< by start time; answers empty until asked for
    int answers = 0;                  ///< answer rows read
};

class TallyCache;

/// A journal that could not be read, with the reason, for the teacher.
struct JournalProblem {
    QString file;
    QString problem;
};

/// Where the analysis reads the answers: the machines' journals (AnswerArchive), or the school's
/// server. The figures, the flags and the paths are the same whichever it is; only the reading
/// differs. Use a source on the thread that made it.
class AnswerSource
{
public:
    virtual ~AnswerSource() = default;
    /// The lesson codes with games, sorted.
    virtual QStringList lessons() const = 0;
    /// Every figure of a lesson, with the flags of settings.
    virtual LessonAnalysis analyse(const QString &lesson, const AnalysisSettings &settings = {}) const = 0;
    /// The answers of one game of an analysis, with their texts.
    virtual Result<QList<JournalAnswer>> path(const GamePath &game) const = 0;
    /// What could not be read, so far, for the teacher.
    virtual QList<JournalProblem> problems() const = 0;
};

/// The journals of one or more folders and files, merged. Each file is opened read-only. Use an
/// archive on the thread that made it; it reads the journals on threads of its own.
class AnswerArchive : public AnswerSource
{
public:
    /// Opens every file; one that cannot be read is listed among the problems, the rest are read.
    explicit AnswerArchive(const QStringList &files);
    ~AnswerArchive();
    AnswerArchive(const AnswerArchive &) = delete;
    AnswerArchive &operator=(const AnswerArchive &) = delete;

    const QStringList &files() const { return m_files; }
    QList<JournalProblem> problems() const override { return m_problems; }
    /// The lesson codes with games in any journal, sorted.
    QStringList lessons() const override;
    LessonAnalysis analyse(const QString &lesson, const AnalysisSettings &settings = {}) const override;
    Result<QList<JournalAnswer>> path(const GamePath &game) const override;
    /// Whether the other lessons are still being read in the background. After the first
    /// analysis they are, so that a change of lesson finds them ready; an analysis asked for
    /// meanwhile is never wrong, only slower.
    bool readingAhead() const;

    /// One journal as the archive keeps it (defined with the archive).
    struct Journal;

private:
    Journal *journalOf(const QString &file) const;
    void noteProblem(const QString &file, const QString &problem) const;

    QStringList m_files;
    /// Problems found while analysing are added as they come: a journal may be damaged later.
    mutable QList<JournalProblem> m_problems;
    std::vector<std::unique_ptr<Journal>> m_journals;
    /// The lessons each journal has added up, kept until its file changes, so that going back
    /// to a lesson, or to another one, reads only the journals written meanwhile.
    std::unique_ptr<TallyCache> m_tallies;
    mutable bool m_readAhead = false; ///< the other lessons are being or have been read ahead
};

/// The journals a path names: a journal file itself, or every journal of a folder that holds
/// journal/ (a program folder) or is one.
QStringList JournalFilesOf(const QString &path);

/// Completes an analysis whose questions and games a source has read: questions in ladder order,
/// games by start, the funnel (leftOnScreen[l]: unfinished games left on a level-l question
/// with no answer row for it), the answers counted, and the flags set.
void CompleteAnalysis(LessonAnalysis &analysis, const std::array<int, 16> &leftOnScreen,
                      const AnalysisSettings &settings);

/// Sets the flags of every question from its figures and the thresholds; the teacher may
/// change the thresholds and flag again without reading the journals anew (all but quickMs,
/// which counts as the answers are read).
void FlagQuestions(LessonAnalysis &analysis, const AnalysisSettings &settings);

/// The moves that make the ladder climb, from the shares right of the questions answered at
/// least settings.minAnswersToMove times: a question whose share lies more than the margin
/// from its level's typical share goes to the level whose typical share is nearest its own.
/// A level's typical share is the median of its questions' shares, made to climb first (levels
/// where a higher one is easier than a lower one are pooled).
QList<LevelMove> ProposeLevels(const LessonAnalysis &analysis, const AnalysisSettings &settings = {});

/// The question table as CSV for a spreadsheet: ";" between fields, UTF-8 with a BOM, CRLF,
/// fields a spreadsheet would take for a formula guarded as the results export guards them.
QByteArray QuestionTableCsv(const LessonAnalysis &analysis);
/// The same for several lessons, one table with the lesson in the first column.
QByteArray QuestionTableCsv(const QList<LessonAnalysis> &analyses);

/// The short question table for a terminal, in UTF-8 with LF line ends: lesson, level,
/// question (cut short), asked, shares right and wrong in %, median ms, flags; "Ответов нет."
/// when there is no question.
QByteArray QuestionTableText(const QList<LessonAnalysis> &analyses);

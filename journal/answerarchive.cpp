// The journals of every machine merged into one lesson's figures. Each journal adds up its own
// answers in SQL (answertally.cpp); here the tallies are folded into the figures (tallyfold.cpp),
// the texts fetched once per question from whichever journal showed it last.

#include "answeranalysis.h"

#include "answertally.h"
#include "journalfiles.h"
#include "tallycache.h"
#include "tallyfold.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

struct AnswerArchive::Journal {
    QString file;
    std::shared_ptr<JournalReader> reader;
    /// The texts of the rows read so far: a row never changes once written.
    QHash<RowMark, ShownTexts> texts;
};

AnswerArchive::AnswerArchive(const QStringList &files) : m_files(files)
{
    for (const QString &file : files) {
        auto reader = JournalReader::open(file);
        if (!reader.ok()) {
            m_problems << JournalProblem{file, reader.error};
            continue;
        }
        auto journal = std::make_unique<Journal>();
        journal->file = file;
        journal->reader = reader.value;
        m_journals.push_back(std::move(journal));
    }
    QStringList readable;
    for (const auto &j : m_journals)
        readable << j->file;
    m_tallies = std::make_unique<TallyCache>(readable);
}

AnswerArchive::~AnswerArchive() = default;

void AnswerArchive::noteProblem(const QString &file, const QString &problem) const
{
    const JournalProblem p{file, problem};
    const bool known = std::any_of(m_problems.begin(), m_problems.end(),
                                   [&](const JournalProblem &q) { return q.file == p.file && q.problem == p.problem; });
    if (!known)
        m_problems << p;
}

AnswerArchive::Journal *AnswerArchive::journalOf(const QString &file) const
{
    for (const auto &j : m_journals) {
        if (j->file == file)
            return j.get();
    }
    return nullptr;
}

QStringList AnswerArchive::lessons() const
{
    QStringList codes;
    for (const auto &j : m_journals) {
        const auto found = j->reader->lessons();
        if (!found.ok())
            noteProblem(j->file, QStringLiteral("%1: %2").arg(QFileInfo(j->file).fileName(), found.error));
        codes << found.value;
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

namespace {

void countLevels(LessonAnalysis &a, const std::array<int, 16> &leftOnScreen)
{
    for (int l = 1; l <= 15; ++l) {
        a.levels[static_cast<size_t>(l)].level = l;
        a.levels[static_cast<size_t>(l)].reached = leftOnScreen[static_cast<size_t>(l)];
    }
    for (const QuestionFigures &q : a.questions) {
        if (q.level < 1 || q.level > 15)
            continue;
        a.levels[static_cast<size_t>(q.level)].reached += q.asked;
        a.levels[static_cast<size_t>(q.level)].passed += q.chosen[1];
        a.answers += q.asked;
    }
}

bool byLadder(const QuestionFigures &x, const QuestionFigures &y)
{
    return std::tie(x.level, x.bankIndex, x.sha256) < std::tie(y.level, y.bankIndex, y.sha256);
}

bool byStart(const GamePath &x, const GamePath &y)
{
    const qint64 a = x.game.started.toMSecsSinceEpoch();
    const qint64 b = y.game.started.toMSecsSinceEpoch();
    return a != b ? a < b : x.game.id < y.game.id;
}

} // namespace

void CompleteAnalysis(LessonAnalysis &analysis, const std::array<int, 16> &leftOnScreen,
                      const AnalysisSettings &settings)
{
    std::sort(analysis.questions.begin(), analysis.questions.end(), byLadder);
    std::sort(analysis.games.begin(), analysis.games.end(), byStart);
    analysis.answers = 0;
    countLevels(analysis, leftOnScreen);
    FlagQuestions(analysis, settings);
}

LessonAnalysis AnswerArchive::analyse(const QString &lesson, const AnalysisSettings &settings) const
{
    LessonAnalysis a;
    a.lesson = lesson;
    TallyFold fold;
    for (const TallyCache::Found &found : m_tallies->lesson(lesson)) {
        if (!found.tally) {
            noteProblem(found.file, found.problem);
            continue;
        }
        Journal *journal = journalOf(found.file);
        // A row never changes once written: its texts are read once per journal.
        fold.add(*found.tally, [this, journal](const RowMark &mark, int level) {
            if (!journal)
                return Result<ShownTexts>::failure(QString());
            const QString key = QString::number(level) + QLatin1Char('|') + mark;
            const auto known = journal->texts.constFind(key);
            if (known != journal->texts.constEnd())
                return Result<ShownTexts>::success(*known);
            auto texts = ReadShownTexts(journal->reader->database(), mark, level);
            if (texts.ok())
                journal->texts.insert(key, texts.value);
            else
                noteProblem(journal->file, QStringLiteral("%1: %2").arg(QFileInfo(journal->file).fileName(), texts.error));
            return texts;
        });
        for (const JournalGame &g : found.tally->games)
            a.games << GamePath{g, found.file, {}};
    }
    fold.complete(a, settings);
    // Once: later the journals written meanwhile are read as their lessons are asked for.
    if (!m_readAhead) {
        m_readAhead = true;
        m_tallies->readAhead(lessons());
    }
    return a;
}

bool AnswerArchive::readingAhead() const
{
    return m_tallies->readingAhead();
}

Result<QList<JournalAnswer>> AnswerArchive::path(const GamePath &game) const
{
    const Journal *j = journalOf(game.file);
    if (!j)
        return Result<QList<JournalAnswer>>::failure(
            QStringLiteral("Журнал «%1» не открыт.").arg(QFileInfo(game.file).fileName()));
    return j->reader->answersOf(game.game.id);
}

QStringList JournalFilesOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return {info.absoluteFilePath()};
    if (!info.isDir())
        return {};
    const QString folder = QDir::cleanPath(info.absoluteFilePath()) + QLatin1Char('/');
    return QFileInfo(JournalFolder(folder)).isDir() ? JournalFiles(folder) : JournalFilesIn(folder);
}

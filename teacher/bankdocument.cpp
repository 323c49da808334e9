#include "bankdocument.h"

#include "bankcommands.h"

#include <algorithm>
#include <thread>

namespace {

QString where(int level, int row, QuestionField field)
{
    QString text = QStringLiteral("Уровень %1, вопрос %2").arg(level).arg(row + 1);
    if (field != QuestionField::Line)
        text += QStringLiteral(", ") + QuestionFieldName(field);
    return text;
}

} // namespace

BankDocument::BankDocument(QObject *parent) : QObject(parent)
{
}

BankDocument::Entry BankDocument::checked(const QuestionFields &fields)
{
    return Entry{fields, CheckQuestion(fields)};
}

void BankDocument::reset(EditorBank bank)
{
    m_undo.clear();
    m_notes = std::move(bank.notes);
    std::vector<Entry *> all;
    all.reserve(static_cast<size_t>(bank.total()));
    for (int level = 1; level <= kBankLevels; ++level) {
        auto &questions = bank.levels[static_cast<size_t>(level)];
        auto &entries = m_levels[static_cast<size_t>(level)];
        entries.clear();
        entries.reserve(static_cast<size_t>(questions.size()));
        for (QuestionFields &q : questions)
            entries.push_back(Entry{std::move(q), {}});
        for (Entry &e : entries)
            all.push_back(&e);
    }
    checkAll(all);
    emit bankReset();
    emit notesChanged();
    emit problemsChanged();
}

// Every question of a large bank is checked on every core: the checks are independent, and a
// bank of 200 000 lines opens in the time of a few hundred thousand of them.
void BankDocument::checkAll(const std::vector<Entry *> &entries)
{
    constexpr size_t kPerThread = 20000;
    const size_t threads = std::clamp<size_t>(entries.size() / kPerThread, 1, std::max(1u, std::thread::hardware_concurrency()));
    const auto checkRange = [&entries](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            entries[i]->problems = CheckQuestion(entries[i]->fields);
    };
    const size_t chunk = (entries.size() + threads - 1) / threads;
    std::vector<std::jthread> helpers;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(checkRange, t * chunk, std::min(entries.size(), (t + 1) * chunk));
    checkRange(0, std::min(entries.size(), chunk));
}

EditorBank BankDocument::bank() const
{
    EditorBank out;
    out.notes = m_notes;
    for (int level = 1; level <= kBankLevels; ++level) {
        auto &questions = out.levels[static_cast<size_t>(level)];
        for (const Entry &e : m_levels[static_cast<size_t>(level)])
            questions.append(e.fields);
    }
    return out;
}

void BankDocument::setNotes(const QStringList &notes)
{
    if (notes == m_notes)
        return;
    m_undo.push(new NotesStep(this, notes));
}

void BankDocument::applyNotes(const QStringList &notes)
{
    m_notes = notes;
    emit notesChanged();
    emit problemsChanged();
}

int BankDocument::count(int level) const
{
    if (level < 1 || level > kBankLevels)
        return 0;
    return static_cast<int>(m_levels[static_cast<size_t>(level)].size());
}

const BankDocument::Entry &BankDocument::entry(int level, int row) const
{
    return m_levels[static_cast<size_t>(level)][static_cast<size_t>(row)];
}

const QuestionFields &BankDocument::question(int level, int row) const
{
    return entry(level, row).fields;
}

const QList<QuestionProblem> &BankDocument::problems(int level, int row) const
{
    return entry(level, row).problems;
}

QString BankDocument::cellProblems(int level, int row, int column) const
{
    QStringList reasons;
    for (const QuestionProblem &p : problems(level, row)) {
        const int at = ColumnOf(p.field);
        if (at == column || at < 0)
            reasons.append(p.reason);
    }
    return reasons.join(QLatin1Char('\n'));
}

QString BankDocument::levelProblem(int level) const
{
    const int n = count(level);
    if (n == 0)
        return QStringLiteral("Уровень %1: нет ни одного вопроса").arg(level);
    if (n < m_minimum)
        return QStringLiteral("Уровень %1: вопросов %2, а нужно не меньше %3").arg(level).arg(n).arg(m_minimum);
    return {};
}

QList<BankProblem> BankDocument::allProblems() const
{
    QList<BankProblem> out;
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        for (const QString &reason : NoteProblems(m_notes[i]))
            out.append(BankProblem{0, -1, -1, QStringLiteral("Заметки, строка %1: %2").arg(i + 1).arg(reason)});
    }
    for (int level = 1; level <= kBankLevels; ++level) {
        const QString levelText = levelProblem(level);
        if (!levelText.isEmpty())
            out.append(BankProblem{level, -1, -1, levelText});
        const auto &entries = m_levels[static_cast<size_t>(level)];
        for (size_t row = 0; row < entries.size(); ++row) {
            for (const QuestionProblem &p : entries[row].problems) {
                const int column = ColumnOf(p.field);
                out.append(BankProblem{level, static_cast<int>(row), column,
                                       where(level, static_cast<int>(row), p.field) + QStringLiteral(": ") + p.reason});
            }
        }
    }
    return out;
}

bool BankDocument::hasProblems() const
{
    for (const QString &note : m_notes) {
        if (!NoteProblems(note).isEmpty())
            return true;
    }
    for (int level = 1; level <= kBankLevels; ++level) {
        if (!levelProblem(level).isEmpty())
            return true;
        for (const Entry &e : m_levels[static_cast<size_t>(level)]) {
            if (!e.problems.isEmpty())
                return true;
        }
    }
    return false;
}

void BankDocument::setMinimum(int minimum)
{
    if (minimum == m_minimum)
        return;
    m_minimum = minimum;
    emit minimumChanged(minimum);
    emit problemsChanged();
}

void BankDocument::setField(int level, int row, int column, const QString &text)
{
    if (FieldAt(question(level, row), column) == text)
        return;
    m_undo.push(new SetFieldStep(this, level, row, column, text));
}

void BankDocument::addQuestion(int level, int row, const QuestionFields &fields)
{
    m_undo.push(new InsertStep(this, level, row, fields));
}

void BankDocument::addQuestions(const QList<LevelQuestion> &questions, const QString &what)
{
    if (questions.isEmpty())
        return;
    auto *step = new QUndoCommand(what);
    std::array<int, kBankLevels + 1> rows{};
    for (int level = 1; level <= kBankLevels; ++level)
        rows[static_cast<size_t>(level)] = count(level);
    for (const LevelQuestion &q : questions)
        new InsertStep(this, q.level, rows[static_cast<size_t>(q.level)]++, q.fields, step);
    m_undo.push(step);
}

void BankDocument::removeQuestion(int level, int row)
{
    m_undo.push(new RemoveStep(this, level, row));
}

namespace {

// The rows sorted, each once, and only those the level has.
QList<int> validRows(QList<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([count](int r) { return r < 0 || r >= count; });
    return rows;
}

} // namespace

void BankDocument::removeQuestions(int level, QList<int> rows)
{
    rows = validRows(std::move(rows), count(level));
    if (rows.size() == 1)
        return removeQuestion(level, rows.front());
    if (rows.isEmpty())
        return;
    auto *step = new QUndoCommand(QStringLiteral("удаление вопросов уровня %1 (%2)").arg(level).arg(rows.size()));
    // From the last row up, so that each removal leaves the rows still to go where they were.
    for (auto r = rows.crbegin(); r != rows.crend(); ++r)
        new RemoveStep(this, level, *r, step);
    m_undo.push(step);
}

void BankDocument::duplicateQuestion(int level, int row)
{
    auto *step = new InsertStep(this, level, row + 1, question(level, row));
    step->setText(QStringLiteral("копия вопроса %1 уровня %2").arg(row + 1).arg(level));
    m_undo.push(step);
}

void BankDocument::moveToLevel(int level, int row, int target)
{
    if (target == level || target < 1 || target > kBankLevels)
        return;
    auto *step = new QUndoCommand(QStringLiteral("перенос вопроса %1 с уровня %2 на уровень %3").arg(row + 1).arg(level).arg(target));
    new InsertStep(this, target, count(target), question(level, row), step);
    new RemoveStep(this, level, row, step);
    m_undo.push(step);
}

void BankDocument::moveToLevel(int level, QList<int> rows, int target)
{
    rows = validRows(std::move(rows), count(level));
    if (rows.size() == 1)
        return moveToLevel(level, rows.front(), target);
    if (rows.isEmpty() || target == level || target < 1 || target > kBankLevels)
        return;
    auto *step = new QUndoCommand(QStringLiteral("перенос вопросов (%1) с уровня %2 на уровень %3")
                                      .arg(rows.size()).arg(level).arg(target));
    int at = count(target);
    for (int r : rows)
        new InsertStep(this, target, at++, question(level, r), step);
    for (auto r = rows.crbegin(); r != rows.crend(); ++r)
        new RemoveStep(this, level, *r, step);
    m_undo.push(step);
}

void BankDocument::moveQuestion(int level, int from, int to)
{
    if (from == to || to < 0 || to >= count(level))
        return;
    m_undo.push(new MoveStep(this, level, from, to));
}

void BankDocument::applyInsert(int level, int row, const QuestionFields &fields)
{
    auto &entries = m_levels[static_cast<size_t>(level)];
    emit aboutToInsert(level, row);
    entries.insert(entries.begin() + row, checked(fields));
    emit inserted(level, row);
    emit countChanged(level);
    emit problemsChanged();
}

QuestionFields BankDocument::applyRemove(int level, int row)
{
    auto &entries = m_levels[static_cast<size_t>(level)];
    emit aboutToRemove(level, row);
    QuestionFields fields = entries[static_cast<size_t>(row)].fields;
    entries.erase(entries.begin() + row);
    emit removed(level, row);
    emit countChanged(level);
    emit problemsChanged();
    return fields;
}

void BankDocument::applySet(int level, int row, int column, const QString &text)
{
    Entry &e = m_levels[static_cast<size_t>(level)][static_cast<size_t>(row)];
    FieldAt(e.fields, column) = text;
    e.problems = CheckQuestion(e.fields);
    emit questionChanged(level, row);
    emit problemsChanged();
}

void BankDocument::applyMove(int level, int from, int to)
{
    auto &entries = m_levels[static_cast<size_t>(level)];
    emit aboutToMove(level, from, to);
    Entry e = std::move(entries[static_cast<size_t>(from)]);
    entries.erase(entries.begin() + from);
    entries.insert(entries.begin() + to, std::move(e));
    emit moved(level, from, to);
    emit problemsChanged();
}

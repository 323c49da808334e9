#include "resultsmerge.h"

#include "cp1251.h"
#include "inifile.h"
#include "linescan.h"
#include "results.h"
#include "resultstable.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <utility>

namespace {

using GroupKey = std::pair<QByteArray, QByteArray>; // upper-cased lesson and key

// The stored value of every key line, indexed by line number. The lister reads each value but
// keeps only what it decodes; the value itself is what tells two copies of a record apart,
// damaged ones included.
std::vector<QByteArray> storedValues(const QByteArray &text)
{
    std::vector<QByteArray> values(1); // line numbers start at 1
    LineScanner scan(text.constData(), text.constData() + text.size());
    LineSpan span;
    while (scan.next(span)) {
        const IniLine line = ClassifyIniLine(QByteArrayView(span.begin, span.length));
        values.push_back(line.kind == IniLine::Key ? IniValueText(line.value) : QByteArray());
    }
    return values;
}

} // namespace

Grade GradeOf(const ResultEntry &e)
{
    if (e.state == ResultEntry::State::Damaged)
        return Grade::Unknown;
    // The words are made once: each GradeWord call converts its text from Unicode afresh.
    static const QByteArray words[kGradeCount] = {GradeWord(1), GradeWord(6), GradeWord(11), GradeWord(16)};
    for (int g = 0; g < kGradeCount; ++g) {
        if (e.grade == words[g])
            return static_cast<Grade>(g);
    }
    return Grade::Unknown;
}

namespace {

class Merger
{
public:
    explicit Merger(const std::vector<ResultsSource> &sources) : m_sources(sources) {}
    std::vector<ResultRow> run();

private:
    void add(int source, ResultEntry &&entry, QByteArray &&value);
    QString describe(const ResultRow &row) const;
    void flagConflicts();

    const std::vector<ResultsSource> &m_sources;
    std::vector<ResultRow> m_rows;
    QHash<GroupKey, QList<int>> m_groups; // rows under one lesson and key, in row order
};

std::vector<ResultRow> Merger::run()
{
    for (int s = 0; s < int(m_sources.size()); ++s) {
        const QByteArray &bytes = m_sources[s].bytes;
        const std::vector<QByteArray> values = storedValues(bytes);
        for (ResultEntry &e : ReadResultEntries(bytes)) {
            QByteArray value = e.line < int(values.size()) ? values[e.line] : QByteArray();
            add(s, std::move(e), std::move(value));
        }
    }
    flagConflicts();
    return std::move(m_rows);
}

void Merger::add(int source, ResultEntry &&entry, QByteArray &&value)
{
    const QByteArray lessonKey = cp1251::upper(entry.lesson);
    QList<int> &group = m_groups[GroupKey(lessonKey, cp1251::upper(entry.key))];
    for (int r : group) {
        ResultRow &row = m_rows[r];
        // A file listing the same record twice keeps both lines, as the lister shows them.
        if (row.value == value && !row.files.contains(source)) {
            row.files.append(source);
            return;
        }
    }
    group.append(int(m_rows.size()));
    ResultRow row;
    row.lessonKey = lessonKey;
    row.nameKey = cp1251::upper(entry.name);
    row.grade = GradeOf(entry);
    row.entry = std::move(entry);
    row.value = std::move(value);
    row.files = {source};
    m_rows.push_back(std::move(row));
}

QString Merger::describe(const ResultRow &row) const
{
    const QStringList fields = ResultFields(row.entry);
    QString text = row.entry.state == ResultEntry::State::Damaged
                       ? QStringLiteral("повреждённая запись")
                       : fields[1] + QStringLiteral(", ") + fields[2] + QStringLiteral(", ") + fields[3];
    QStringList labels;
    for (int s : row.files)
        labels.append(m_sources[s].label);
    return text + QStringLiteral(" — ") + labels.join(QStringLiteral(", "));
}

// Two results of one pupil are a conflict. A damaged record says nothing of whose it is or
// what was scored (a copy cut short by a full disk, a line broken by a stray byte): it is
// coloured as damaged, and the good record beside it is not put in doubt by it.
void Merger::flagConflicts()
{
    const auto damaged = [this](int r) { return m_rows[r].entry.state == ResultEntry::State::Damaged; };
    for (const QList<int> &group : std::as_const(m_groups)) {
        if (group.size() < 2)
            continue;
        for (int r : group) {
            for (int other : group) {
                if (!damaged(r) && !damaged(other) && m_rows[other].value != m_rows[r].value)
                    m_rows[r].conflicts.append(describe(m_rows[other]));
            }
        }
    }
}

bool distinct(const QStringList &labels)
{
    return QSet<QString>(labels.begin(), labels.end()).size() == labels.size();
}

} // namespace

std::vector<ResultRow> MergeResults(const std::vector<ResultsSource> &sources)
{
    return Merger(sources).run();
}

QStringList FileLabels(const QStringList &paths)
{
    QStringList names;
    QStringList folders;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        names.append(info.fileName());
        folders.append(info.absoluteDir().dirName());
    }
    if (distinct(names))
        return names;
    if (distinct(folders))
        return folders;
    QStringList whole;
    for (const QString &path : paths)
        whole.append(QDir::toNativeSeparators(path));
    return whole;
}

QStringList GradeTitles()
{
    // The school's marks: the words ("Неудовлетворительно") do not fit under a bar of a narrow
    // chart and were cut to "Не…"; the table beside the chart gives them.
    return {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
}

#include "resultslist.h"

#include "cp1251.h"
#include "faq.h"
#include "inifile.h"
#include "linescan.h"
#include "results.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace {

constexpr int kMaxLevelsPassed = 15;

// The count as the game writes it: one or two digits, no sign, no blank and no leading zero.
std::optional<int> levelsPassed(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0'))
        return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxLevelsPassed ? std::optional<int>(n) : std::nullopt;
}

bool isGradeWord(QByteArrayView word)
{
    for (int level : {16, 11, 6, 1}) {
        if (word == GradeWord(level))
            return true;
    }
    return false;
}

ResultEntry entry(int line, const QByteArray &lesson, QByteArrayView key)
{
    ResultEntry e;
    e.line = line;
    e.lesson = lesson;
    e.key = key.toByteArray();
    return e;
}

void damage(ResultEntry &e, const QString &reason)
{
    if (e.state != ResultEntry::State::Damaged) {
        e.state = ResultEntry::State::Damaged;
        e.reason = reason;
    }
}

// Fills name, levels and grade from the scrambled value and marks what is wrong with it.
void readRecord(ResultEntry &e, QByteArrayView value)
{
    if (value.isEmpty())
        return damage(e, QStringLiteral("пустое значение"));
    const QByteArray plain = ScrambleText(value);
    const qsizetype gradeBar = plain.lastIndexOf('|');
    const qsizetype levelsBar = gradeBar > 0 ? plain.lastIndexOf('|', gradeBar - 1) : -1;
    if (levelsBar < 0)
        return damage(e, QStringLiteral("запись не разбирается"));
    e.name = plain.first(levelsBar);
    e.grade = plain.sliced(gradeBar + 1);
    const auto levels = levelsPassed(QByteArrayView(plain).sliced(levelsBar + 1, gradeBar - levelsBar - 1));
    e.levels = levels.value_or(-1);
    if (e.name.isEmpty())
        damage(e, QStringLiteral("нет фамилии"));
    if (!levels)
        damage(e, QStringLiteral("число уровней — не число от 0 до 15"));
    if (!isGradeWord(e.grade))
        damage(e, QStringLiteral("неизвестная оценка"));
    if (!e.name.isEmpty() && checks(e.name) != e.key)
        damage(e, QStringLiteral("контрольная сумма фамилии %1 не равна ключу")
                      .arg(QString::fromLatin1(checks(e.name))));
    if (e.state == ResultEntry::State::Intact && e.grade != GradeWord(e.levels + 1)) {
        e.state = ResultEntry::State::Mismatch;
        e.reason = QStringLiteral("оценка не соответствует числу пройденных уровней");
    }
}

class ResultsReader
{
public:
    std::vector<ResultEntry> run(const QByteArray &text);

private:
    void take(QByteArrayView line, int number);
    void section(QByteArrayView name, int number);
    void record(const IniLine &line, int number);
    void hide(ResultEntry &e, const QString &reason);

    std::vector<ResultEntry> m_entries;
    bool m_inSection = false;
    QByteArray m_lesson;
    int m_hiddenBy = 0; // line of the earlier section of the same lesson, 0 when this one is read
    QHash<QByteArray, int> m_lessonLines; // upper-case lesson → line of its first section
    QHash<QByteArray, int> m_keyLines;    // upper-case key → line, in the current section
};

std::vector<ResultEntry> ResultsReader::run(const QByteArray &text)
{
    LineScanner scan(text.constData(), text.constData() + text.size());
    LineSpan span;
    int number = 0;
    while (scan.next(span))
        take(QByteArrayView(span.begin, span.length), ++number);
    return std::move(m_entries);
}

void ResultsReader::take(QByteArrayView line, int number)
{
    // The game's own rules say what a line is, so the listing sees the file as the game does.
    const IniLine l = ClassifyIniLine(line);
    switch (l.kind) {
    case IniLine::Blank:
    case IniLine::Comment:
        return;
    case IniLine::Section:
        return section(l.name, number);
    case IniLine::Key:
        return record(l, number);
    case IniLine::Other: {
        ResultEntry e = entry(number, m_lesson, l.name);
        damage(e, QStringLiteral("строка без «=»"));
        m_entries.push_back(std::move(e));
        return;
    }
    }
}

void ResultsReader::section(QByteArrayView name, int number)
{
    m_lesson = name.toByteArray();
    m_inSection = true;
    m_keyLines.clear();
    const QByteArray upper = cp1251::upper(m_lesson);
    m_hiddenBy = m_lessonLines.value(upper, 0);
    if (m_hiddenBy == 0)
        m_lessonLines.insert(upper, number);
}

void ResultsReader::record(const IniLine &line, int number)
{
    ResultEntry e = entry(number, m_lesson, line.name);
    readRecord(e, IniValueText(line.value));
    const QByteArray upperKey = cp1251::upper(e.key);
    if (!m_inSection) {
        hide(e, QStringLiteral("запись стоит до первого занятия"));
    } else if (m_hiddenBy != 0) {
        hide(e, QStringLiteral("занятие уже было в строке %1, этот раздел игра не читает").arg(m_hiddenBy));
    } else if (m_keyLines.contains(upperKey)) {
        hide(e, QStringLiteral("этот ключ уже есть в строке %1, игра читает ту запись").arg(m_keyLines.value(upperKey)));
    } else {
        m_keyLines.insert(upperKey, number);
    }
    m_entries.push_back(std::move(e));
}

void ResultsReader::hide(ResultEntry &e, const QString &reason)
{
    if (e.state == ResultEntry::State::Damaged)
        return;
    e.state = ResultEntry::State::Hidden;
    e.reason = reason;
}

} // namespace

std::vector<ResultEntry> ReadResultEntries(const QByteArray &text)
{
    return ResultsReader().run(text);
}

QString StateText(const ResultEntry &entry)
{
    switch (entry.state) {
    case ResultEntry::State::Intact:
        return QStringLiteral("в порядке");
    case ResultEntry::State::Damaged:
        return QStringLiteral("повреждена: ") + entry.reason;
    case ResultEntry::State::Hidden:
        return QStringLiteral("не читается игрой: ") + entry.reason;
    case ResultEntry::State::Mismatch:
        return QStringLiteral("под сомнением: ") + entry.reason;
    }
    return {};
}

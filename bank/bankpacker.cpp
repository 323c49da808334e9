#include "bankpacker.h"

#include "cp1251.h"
#include "faq.h"
#include "questionrules.h"

#include <numeric>

namespace {

class Packer
{
public:
    PackOutcome run(const PlainText &text);

private:
    void take(const PlainLine &line);
    void header(const PlainLine &line, const QString &trimmed);
    void question(const PlainLine &line);
    void note(const PlainLine &line);
    bool checkSeparators(const PlainLine &line);
    bool checkQuestion(const PlainLine &line, bool separatorsRight);
    void warnEmptyLevels();
    void error(int line, const QString &text) { m_out.diagnostics.push_back({Diagnostic::Severity::Error, line, text}); }
    void warning(int line, const QString &text) { m_out.diagnostics.push_back({Diagnostic::Severity::Warning, line, text}); }

    PackOutcome m_out;
    int m_level = -1; // -1 before the first header, 0 after a header that names no level
    std::array<int, kBankLevels + 1> m_headerLine{};
    std::array<int, kBankLevels + 1> m_lines{}; // question lines under each level, refused ones too
};

PackOutcome Packer::run(const PlainText &text)
{
    for (const PlainLine &line : text.lines)
        take(line);
    warnEmptyLevels();
    if (!m_out.ok())
        m_out.bank.clear();
    return std::move(m_out);
}

void Packer::take(const PlainLine &line)
{
    const PlainLineKind kind = KindOfPlainLine(line.text);
    if (kind == PlainLineKind::Blank)
        return;
    if (kind == PlainLineKind::Header)
        header(line, line.text.trimmed());
    else if (m_level < 0)
        note(line);
    else
        question(line);
}

void Packer::header(const PlainLine &line, const QString &trimmed)
{
    const int level = PlainHeaderLevel(trimmed);
    m_level = level;
    if (level == 0) {
        error(line.number, QStringLiteral("заголовок «%1» не обозначает уровень: уровни обозначаются "
                                          "[1] … [15], без нулей впереди").arg(trimmed));
        return;
    }
    if (trimmed != line.text)
        error(line.number, QStringLiteral("вокруг заголовка «%1» есть пробелы: заголовок должен занимать "
                                          "строку целиком").arg(trimmed));
    if (m_headerLine[level] != 0) {
        error(line.number, QStringLiteral("уровень %1 уже начат в строке %2: у уровня может быть только "
                                          "один заголовок").arg(level).arg(m_headerLine[level]));
        return;
    }
    m_headerLine[level] = line.number;
    m_out.bank.append(trimmed.toUtf8()).append("\r\n");
}

void Packer::question(const PlainLine &line)
{
    if (m_level > 0)
        ++m_lines[static_cast<size_t>(m_level)];
    const bool separatorsRight = checkSeparators(line);
    if (!checkQuestion(line, separatorsRight) || !separatorsRight)
        return;
    m_out.bank.append(ScrambleText(cp1251::encode(line.text).value_or(QByteArray()))).append("\r\n");
    if (m_level > 0)
        ++m_out.counts[static_cast<size_t>(m_level)];
}

// The question rules shared with the importers and the workbench: what keeps a line from being
// stored is refused; an empty or repeated answer, which the game can still show, is warned of
// once the line is stored. A character is named once, whichever fields hold it.
bool Packer::checkQuestion(const PlainLine &line, bool separatorsRight)
{
    QStringList named;
    QStringList warnings;
    bool storable = true;
    for (const QuestionProblem &problem : CheckQuestion(SplitQuestionLine(line.text))) {
        if ((problem.rule == QuestionRule::Separator && !separatorsRight) || named.contains(problem.reason))
            continue; // the count of "|" is already refused
        named.append(problem.reason);
        if (problem.storable()) {
            warnings.append(problem.reason);
        } else {
            error(line.number, problem.reason);
            storable = false;
        }
    }
    if (storable && separatorsRight) {
        for (const QString &text : warnings)
            warning(line.number, text);
    }
    return storable;
}

// A title or notes before the first header: the game never reads them, so they are stored plain
// and come back on unpacking. Only a line the game would take for a header cannot be one.
void Packer::note(const PlainLine &line)
{
    const QStringList problems = NoteProblems(line.text);
    for (const QString &reason : problems)
        error(line.number, reason);
    if (problems.isEmpty())
        m_out.bank.append(cp1251::encode(line.text).value_or(QByteArray())).append("\r\n");
}

bool Packer::checkSeparators(const PlainLine &line)
{
    if (HasQuestionSeparators(line.text))
        return true;
    const int separators = static_cast<int>(line.text.count(QLatin1Char('|')));
    QString text = QStringLiteral("в строке %1 «|», а нужно ровно пять: "
                                  "вопрос|верный ответ|неверный|неверный|неверный|рисунок")
                       .arg(RussianCount(separators, QStringLiteral("знак"), QStringLiteral("знака"),
                                         QStringLiteral("знаков")));
    if (separators > kQuestionSeparators)
        text += QStringLiteral(" (знак «|» внутри поля недопустим)");
    error(line.number, text);
    return false;
}

void Packer::warnEmptyLevels()
{
    QStringList missing;
    for (int level = 1; level <= kBankLevels; ++level) {
        const auto at = static_cast<size_t>(level);
        if (m_headerLine[at] == 0)
            missing.append(QString::number(level));
        else if (m_lines[at] == 0)
            warning(m_headerLine[at], QStringLiteral("в уровне %1 нет вопросов").arg(level));
    }
    if (!missing.isEmpty())
        warning(0, QStringLiteral("в тексте нет уровней %1: в игре на них не будет вопросов")
                       .arg(missing.join(QStringLiteral(", "))));
}

} // namespace

int PackOutcome::total() const
{
    return std::accumulate(counts.begin(), counts.end(), 0);
}

PackOutcome PackBank(const PlainText &text)
{
    return Packer().run(text);
}

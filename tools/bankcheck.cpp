#include "bankcheck.h"

#include "cp1251.h"
#include "faq.h"

#include <algorithm>

namespace {

class Checker
{
public:
    explicit Checker(const QByteArray &bytes) : m_bytes(bytes), m_faq(FaqText::fromBytes(bytes)) {}
    CheckOutcome run();

private:
    void checkNul();
    void checkLooseLines();
    void checkNote(qsizetype index);
    void checkHeaders();
    void checkSection(int level);
    void checkQuestion(int level, qsizetype index);
    int lineIndex(QByteArrayView view) const;
    void problem(qsizetype index, const QString &text)
    {
        m_out.problems.push_back({Diagnostic::Severity::Note, static_cast<int>(index + 1), text});
    }

    const QByteArray &m_bytes;
    FaqText m_faq;
    CheckOutcome m_out;
    qsizetype m_firstHeader = 0;
};

CheckOutcome Checker::run()
{
    checkNul();
    checkLooseLines();
    checkHeaders();
    for (int level = 1; level <= kBankLevels; ++level)
        checkSection(level);
    std::stable_sort(m_out.problems.begin(), m_out.problems.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    return std::move(m_out);
}

void Checker::checkNul()
{
    const NulCut cut = FindNulCut(m_bytes);
    if (cut.offset >= 0)
        problem(cut.line - 1, QStringLiteral("текст обрывается на байте %1 (NUL): дальше игра ничего не читает")
                                  .arg(cut.offset));
}

// Lines before the first header, and lines the game skips because of a bracket at one end.
void Checker::checkLooseLines()
{
    m_firstHeader = m_faq.lineCount();
    for (qsizetype i = 0; i < m_faq.lineCount(); ++i) {
        const QByteArrayView line = m_faq.line(i);
        if (IsHeaderLike(line)) {
            m_firstHeader = std::min(m_firstHeader, i);
        } else if (i < m_firstHeader) {
            checkNote(i);
        } else if (IsSkippedLine(line)) {
            problem(i, line.front() == '['
                           ? QStringLiteral("строка начинается с «[»: игра её пропускает")
                           : QStringLiteral("строка кончается на «]»: игра её пропускает"));
        }
    }
}

// A line before the first header: a title or notes, which the packer stores plain. The game
// never reads it, so it is listed for the reader and is no problem.
void Checker::checkNote(qsizetype index)
{
    const QByteArrayView line = m_faq.line(index);
    if (!line.isEmpty())
        m_out.notes.push_back({Diagnostic::Severity::Note, static_cast<int>(index + 1), cp1251::decode(line)});
}

void Checker::checkHeaders()
{
    for (qsizetype i = m_firstHeader; i < m_faq.lineCount(); ++i) {
        const QByteArrayView line = m_faq.line(i);
        if (!IsHeaderLike(line))
            continue;
        const int level = HeaderLevel(line);
        int &first = m_out.headerLine[static_cast<size_t>(level)];
        if (level == 0) {
            problem(i, QStringLiteral("заголовок «%1» не обозначает уровень (нужно [1] … [15]): строки под ним "
                                      "игра не читает").arg(cp1251::decode(line)));
        } else if (first != 0) {
            problem(i, QStringLiteral("уровень %1 повторяется (первый заголовок в строке %2): строки под этим "
                                      "заголовком игра не читает").arg(level).arg(first));
        } else {
            first = static_cast<int>(i + 1);
        }
    }
}

void Checker::checkSection(int level)
{
    for (QByteArrayView question : m_faq.section(level))
        checkQuestion(level, lineIndex(question));
}

void Checker::checkQuestion(int level, qsizetype index)
{
    const int separators = SeparatorCount(ScrambleText(m_faq.line(index)));
    if (separators >= kQuestionSeparators)
        ++m_out.usable[static_cast<size_t>(level)];
    if (separators == kQuestionSeparators)
        return;
    if (m_faq.line(index).isEmpty()) {
        problem(index, QStringLiteral("пустая строка в уровне %1: игра может выбрать её вместо вопроса").arg(level));
        return;
    }
    const QString count = RussianCount(separators, QStringLiteral("знак"), QStringLiteral("знака"),
                                       QStringLiteral("знаков"));
    problem(index, separators < kQuestionSeparators
                       ? QStringLiteral("вопрос уровня %1: %2 «|» вместо пяти, игра не сможет его показать")
                             .arg(level).arg(count)
                       : QStringLiteral("вопрос уровня %1: %2 «|» вместо пяти").arg(level).arg(count));
}

// The index of the line a section view points into: the views share the bank's bytes.
int Checker::lineIndex(QByteArrayView view) const
{
    qsizetype lo = 0;
    qsizetype hi = m_faq.lineCount() - 1;
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (m_faq.line(mid).data() <= view.data())
            lo = mid;
        else
            hi = mid - 1;
    }
    return static_cast<int>(lo);
}

} // namespace

bool CheckOutcome::playable() const
{
    return emptyLevels().isEmpty();
}

QList<int> CheckOutcome::emptyLevels() const
{
    QList<int> levels;
    for (int level = 1; level <= kBankLevels; ++level) {
        if (usable[static_cast<size_t>(level)] == 0)
            levels.append(level);
    }
    return levels;
}

CheckOutcome CheckBank(const QByteArray &fileBytes)
{
    return Checker(fileBytes).run();
}

#include "bankcheck.h"

#include "cp1251.h"
#include "faq.h"

#include <algorithm>

namespace {

Diagnostic note(qsizetype index, const QString &text)
{
    return {Diagnostic::Severity::Note, static_cast<int>(index + 1), text};
}

bool byLine(const Diagnostic &a, const Diagnostic &b)
{
    return a.line < b.line;
}

// A header-like line: the first of its level, or a header that the game reads no line under.
// True for the first header of a level, whose lines the game reads.
bool checkHeader(BankDamage &out, const FaqText &faq, qsizetype i)
{
    const QByteArrayView line = faq.line(i);
    const int level = HeaderLevel(line);
    int &first = out.headerLine[static_cast<size_t>(level)];
    if (level == 0) {
        out.problems.push_back(note(i, QStringLiteral("заголовок «%1» не обозначает уровень (нужно [1] … [15]): строки "
                                                      "под ним игра не читает").arg(cp1251::decode(line))));
        out.unreadLines.append(static_cast<int>(i + 1));
        return false;
    }
    if (first != 0) {
        out.problems.push_back(note(i, QStringLiteral("уровень %1 повторяется (первый заголовок в строке %2): строки под "
                                                      "этим заголовком игра не читает").arg(level).arg(first)));
        return false;
    }
    first = static_cast<int>(i + 1);
    return true;
}

// A text whose last line has no line end and is too short for a question was not written to its
// end (a copy cut off, a full disk, a NUL inside a line): the game would take the stump for a
// question without answers. text: the bytes the game reads, up to a NUL.
void checkCutOff(BankDamage &out, QByteArrayView text, const FaqText &faq, bool byNul)
{
    const qsizetype last = faq.lineCount() - 1;
    if (last <= out.firstHeader || text.endsWith('\n') || text.endsWith('\r'))
        return;
    const QByteArrayView line = faq.line(last);
    if (IsSkippedLine(line) || SeparatorCount(ScrambleText(line)) >= kQuestionSeparators)
        return;
    if (!byNul)
        out.problems.push_back(note(last, QStringLiteral("файл обрывается посреди строки (байт %1 — последний): похоже, "
                                                         "он записан не до конца, а обрывок игра примет за вопрос без "
                                                         "ответов").arg(text.size())));
    out.cutLine = static_cast<int>(last + 1);
    if (!out.unreadLines.contains(out.cutLine))
        out.unreadLines.append(out.cutLine);
}

} // namespace

BankDamage FindBankDamage(QByteArrayView fileBytes, const FaqText &faq)
{
    BankDamage out;
    out.firstHeader = static_cast<int>(faq.lineCount());
    const NulCut cut = FindNulCut(fileBytes);
    if (cut.offset >= 0)
        out.problems.push_back(note(cut.line - 1, QStringLiteral("текст обрывается на байте %1 (NUL): дальше игра "
                                                                 "ничего не читает").arg(cut.offset)));
    bool read = true; // whether the game reads the lines under the header above
    for (qsizetype i = 0; i < faq.lineCount(); ++i) {
        const QByteArrayView line = faq.line(i);
        if (IsHeaderLike(line)) {
            out.firstHeader = std::min(out.firstHeader, static_cast<int>(i));
            read = checkHeader(out, faq, i);
        } else if (!read && !line.isEmpty()) {
            // Under a repeated header or one naming no level: questions nobody is asked.
            out.unreadLines.append(static_cast<int>(i + 1));
        } else if (i > out.firstHeader && IsSkippedLine(line)) {
            // Lines before the first header are the title and notes, which may look like anything.
            out.problems.push_back(note(i, line.front() == '['
                                               ? QStringLiteral("строка начинается с «[»: игра её пропускает")
                                               : QStringLiteral("строка кончается на «]»: игра её пропускает")));
            out.unreadLines.append(static_cast<int>(i + 1));
        }
    }
    checkCutOff(out, cut.offset < 0 ? fileBytes : fileBytes.first(cut.offset), faq, cut.offset >= 0);
    std::stable_sort(out.problems.begin(), out.problems.end(), byLine);
    return out;
}

bool HoldsALevel(const FaqText &faq)
{
    for (qsizetype i = 0; i < faq.lineCount(); ++i) {
        if (HeaderLevel(faq.line(i)) != 0)
            return true;
    }
    return false;
}

namespace {

class Checker
{
public:
    explicit Checker(const QByteArray &bytes) : m_faq(FaqText::fromBytes(bytes)), m_damage(FindBankDamage(bytes, m_faq)) {}
    CheckOutcome run();

private:
    void checkSection(int level);
    void checkQuestion(int level, qsizetype index);
    int lineIndex(QByteArrayView view) const;
    void problem(qsizetype index, const QString &text) { m_out.problems.push_back(note(index, text)); }

    FaqText m_faq;
    BankDamage m_damage;
    CheckOutcome m_out;
};

CheckOutcome Checker::run()
{
    m_out.problems = m_damage.problems;
    m_out.headerLine = m_damage.headerLine;
    // A line before the first header: a title or notes, which the packer stores plain. The game
    // never reads it, so it is listed for the reader and is no problem.
    for (qsizetype i = 0; i < m_damage.firstHeader; ++i) {
        if (!m_faq.line(i).isEmpty())
            m_out.notes.push_back(note(i, cp1251::decode(m_faq.line(i))));
    }
    for (int level = 1; level <= kBankLevels; ++level)
        checkSection(level);
    std::stable_sort(m_out.problems.begin(), m_out.problems.end(), byLine);
    return std::move(m_out);
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

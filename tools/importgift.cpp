// GIFT, the text format of Moodle's question bank. Only multiple choice with one right and three
// wrong answers fits the game; every other shape is named and left out.

#include "bankformat.h"
#include "importparts.h"

#include <QRegularExpression>

#include <optional>

namespace {

// Where c stands in text from `from` on, not escaped by a backslash; -1 when nowhere.
qsizetype findUnescaped(const QString &text, QStringView what, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\'))
            ++i; // the next character is escaped
        else if (QStringView(text).sliced(i).startsWith(what))
            return i;
    }
    return -1;
}

// The text with GIFT's escapes resolved: \~ \= \# \{ \} \: \\ stand for themselves; \n is a line
// break in Moodle, which the game has no room for, so it becomes a blank.
QString unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[++i];
            out += next == QLatin1Char('n') ? QChar(QLatin1Char(' ')) : next;
        } else {
            out += text[i];
        }
    }
    return JoinWrappedLines(out);
}

// A question written in HTML shows its text without tags; the common entities become characters.
QString plainFromHtml(QString text)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    text.replace(tag, QStringLiteral(" "));
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

// The level a category chooses: its name ends in a number from 1 to 15 ("Химия/Уровень 3").
int categoryLevel(const QString &category)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)\\s*$"));
    const QRegularExpressionMatch m = number.match(category);
    const int level = m.hasMatch() ? m.captured(1).toInt() : 0;
    return level >= 1 && level <= kBankLevels ? level : 0;
}

struct Answers {
    QStringList right;
    QStringList wrong;
    bool weighted = false;
    bool matching = false;
};

// The answers of a block "=right ~wrong ~wrong ~wrong", each without its feedback after "#".
std::optional<Answers> splitAnswers(const QString &inner)
{
    Answers answers;
    qsizetype at = -1;
    for (qsizetype i = 0; i <= inner.size(); ++i) {
        const bool end = i == inner.size();
        if (!end && inner[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (!end && inner[i] != QLatin1Char('=') && inner[i] != QLatin1Char('~'))
            continue;
        if (at < 0 && !inner.first(i).trimmed().isEmpty())
            return std::nullopt; // text before the first answer
        if (at >= 0) {
            QString answer = inner.sliced(at + 1, i - at - 1);
            const qsizetype feedback = findUnescaped(answer, u"#");
            if (feedback >= 0)
                answer.truncate(feedback);
            answers.weighted |= answer.trimmed().startsWith(QLatin1Char('%'));
            answers.matching |= findUnescaped(answer, u"->") >= 0;
            (inner[at] == QLatin1Char('=') ? answers.right : answers.wrong).append(unescape(answer));
        }
        at = i;
    }
    return answers;
}

// Why the answer block is not one the game can ask, or nothing when it is.
std::optional<QString> shapeProblem(const QString &inner, const std::optional<Answers> &answers)
{
    static const QRegularExpression trueFalse(QStringLiteral("^\\s*(T|F|TRUE|FALSE)\\s*(#.*)?$"),
                                              QRegularExpression::CaseInsensitiveOption
                                                  | QRegularExpression::DotMatchesEverythingOption);
    const QString four = QStringLiteral(": в игре нужны один верный и три неверных ответа");
    if (inner.trimmed().isEmpty())
        return QStringLiteral("эссе (пустые скобки { })") + four;
    if (inner.trimmed().startsWith(QLatin1Char('#')))
        return QStringLiteral("числовой вопрос ({#…})") + four;
    if (trueFalse.match(inner).hasMatch())
        return QStringLiteral("вопрос «верно/неверно» ({T} или {F})") + four;
    if (!answers)
        return QStringLiteral("в скобках текст до первого ответа: ответы начинаются с «=» или «~»");
    if (answers->matching)
        return QStringLiteral("вопрос на соответствие («->»)") + four;
    if (answers->weighted)
        return QStringLiteral("ответы с весами (%50%): в игре один ответ верный, остальные неверные");
    if (answers->wrong.isEmpty())
        return QStringLiteral("вопрос с кратким ответом (только «=»)") + four;
    if (answers->right.size() != 1)
        return QStringLiteral("верных ответов (=) %1, а нужен ровно один").arg(answers->right.size());
    if (answers->wrong.size() != 3)
        return QStringLiteral("неверных ответов (~) %1, а нужно ровно три").arg(answers->wrong.size());
    return std::nullopt;
}

// The question's text with its title and format marker taken off.
QString questionText(QString text, bool &html)
{
    if (text.startsWith(QStringLiteral("::"))) {
        const qsizetype end = findUnescaped(text, u"::", 2);
        text = end >= 0 ? text.sliced(end + 2).trimmed() : text;
    }
    static const QRegularExpression marker(QStringLiteral("^\\[(html|moodle|plain|markdown)\\]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = marker.match(text);
    html = m.hasMatch() && m.captured(1).compare(QStringLiteral("html"), Qt::CaseInsensitive) == 0;
    return m.hasMatch() ? text.sliced(m.capturedLength()) : text;
}

class GiftReader
{
public:
    ImportOutcome run(const QString &text);

private:
    void flush();
    void question(const QString &text, int line);
    void add(const SourceLine &line);

    ImportOutcome m_out;
    QStringList m_block;
    int m_blockLine = 0;
    int m_level = 0;
    int m_depth = 0;       // braces open in the block
    bool m_closed = false; // the block's answers have closed
    bool m_begun = false; // a question or category has been read: comments are no longer a title
};

ImportOutcome GiftReader::run(const QString &text)
{
    for (const SourceLine &line : SourceLines(text)) {
        const QString trimmed = line.text.trimmed();
        if (trimmed.startsWith(QStringLiteral("//"))) {
            if (!m_begun && m_block.isEmpty())
                KeepNote(m_out, trimmed.sliced(2)); // the comments a file opens with are its title
        } else if (trimmed.startsWith(QStringLiteral("$CATEGORY:"), Qt::CaseInsensitive)) {
            flush();
            m_begun = true;
            m_level = categoryLevel(trimmed.sliced(10));
            KeepNote(m_out, trimmed);
        } else if (trimmed.isEmpty()) {
            flush();
        } else {
            add(line);
        }
    }
    flush();
    return std::move(m_out);
}

// Questions are meant to be parted by blank lines; one whose answer block has closed ends at the
// end of that line all the same, so that a forgotten blank line does not run two questions together.
void GiftReader::add(const SourceLine &line)
{
    if (m_block.isEmpty()) {
        m_blockLine = line.number;
        m_depth = 0;
        m_closed = false;
    }
    m_block.append(line.text);
    for (qsizetype i = 0; i < line.text.size(); ++i) {
        if (line.text[i] == QLatin1Char('\\'))
            ++i;
        else if (line.text[i] == QLatin1Char('{'))
            ++m_depth;
        else if (line.text[i] == QLatin1Char('}') && m_depth > 0)
            m_closed = --m_depth == 0;
    }
    if (m_closed && m_depth == 0)
        flush();
}

void GiftReader::flush()
{
    if (m_block.isEmpty())
        return;
    m_begun = true;
    question(m_block.join(QLatin1Char('\n')).trimmed(), m_blockLine);
    m_block.clear();
}

void GiftReader::question(const QString &text, int line)
{
    bool html = false;
    const QString body = questionText(text, html);
    const qsizetype open = findUnescaped(body, u"{");
    const qsizetype close = open < 0 ? -1 : findUnescaped(body, u"}", open + 1);
    if (open < 0 || close < 0) {
        RejectQuestion(m_out, line, unescape(body),
                       open < 0 ? QStringLiteral("нет ответов в фигурных скобках { … }")
                                : QStringLiteral("нет закрывающей скобки «}» после ответов"));
        return;
    }
    const QString inner = body.sliced(open + 1, close - open - 1);
    const QString after = body.sliced(close + 1).trimmed();
    // A block inside the sentence ("missing word") leaves a gap where it stood.
    QString asked = unescape(body.first(open)).trimmed();
    if (!after.isEmpty())
        asked += QStringLiteral(" _____") + (after[0].isLetterOrNumber() ? QStringLiteral(" ") : QString()) + unescape(after);
    const auto answers = splitAnswers(inner);
    if (const auto why = shapeProblem(inner, answers)) {
        RejectQuestion(m_out, line, asked, *why);
        return;
    }
    const auto plain = [html](const QString &s) { return html ? plainFromHtml(s) : s; };
    ImportedQuestion q;
    q.fields = QuestionFields{plain(asked), plain(answers->right[0]), plain(answers->wrong[0]),
                              plain(answers->wrong[1]), plain(answers->wrong[2]), QString()};
    q.level = m_level;
    q.line = line;
    TakeQuestion(m_out, q);
}

} // namespace

ImportOutcome ImportGift(const QString &text)
{
    return GiftReader().run(text);
}

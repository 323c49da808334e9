// GIFT, the text format of Moodle's question bank. Only multiple choice with one right and three
// wrong answers fits the game; every other shape is named and left out.

#include "bankformat.h"
#include "importparts.h"
#include "richtext.h"

#include <QRegularExpression>

#include <algorithm>
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

// Moodle heads every question it exports with "// question: 48211  name: …": its own
// bookkeeping, not a title of the file.
bool isMoodleComment(const QString &comment)
{
    static const QRegularExpression heading(QStringLiteral("^\\s*question:\\s*\\d+\\s+name:"),
                                            QRegularExpression::CaseInsensitiveOption);
    return heading.match(comment).hasMatch();
}

struct Answer {
    QString text;
    bool marked = false;           ///< written with "=" rather than "~"
    std::optional<QString> weight; ///< the percentage as written ("50", "-33.3"), when there is one
};

// An answer's share of the marks: as written, otherwise 100 % for "=" and 0 % for "~".
double weightOf(const Answer &a)
{
    return a.weight ? QString(*a.weight).replace(QLatin1Char(','), QLatin1Char('.')).toDouble() : (a.marked ? 100 : 0);
}

struct Answers {
    QList<Answer> all;
    bool weighted = false;
    bool matching = false;

    bool isRight(const Answer &a) const { return weighted ? weightOf(a) == 100 : a.marked; }
};

// One answer of a block, "%50%" and feedback after "#" taken off.
Answer readAnswer(QString text, bool marked)
{
    static const QRegularExpression weight(QStringLiteral("^\\s*%(-?\\d+(?:[.,]\\d+)?)%"));
    const qsizetype feedback = findUnescaped(text, u"#");
    if (feedback >= 0)
        text.truncate(feedback);
    Answer answer{text, marked, std::nullopt};
    if (const QRegularExpressionMatch m = weight.match(text); m.hasMatch()) {
        answer.weight = m.captured(1);
        answer.text = text.sliced(m.capturedLength());
    }
    return answer;
}

// The answers of a block "=right ~wrong ~wrong ~wrong".
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
            const Answer answer = readAnswer(inner.sliced(at + 1, i - at - 1), inner[at] == QLatin1Char('='));
            answers.weighted |= answer.weight.has_value();
            answers.matching |= findUnescaped(answer.text, u"->") >= 0;
            answers.all.append({unescape(answer.text), answer.marked, answer.weight});
        }
        at = i;
    }
    return answers;
}

// Weights make a question of the game's kind when one answer earns 100 % and every other 0 % or
// less; otherwise the answers that earn anything are named with their weights as written.
std::optional<QString> weightProblem(const QList<Answer> &all)
{
    QStringList earning;
    int full = 0;
    for (const Answer &a : all) {
        const double weight = weightOf(a);
        if (weight <= 0)
            continue;
        earning.append(QStringLiteral("«%1» — %2 %").arg(a.text.trimmed(), a.weight.value_or(QStringLiteral("100"))));
        full += weight == 100 ? 1 : 0;
    }
    if (full == 1 && earning.size() == 1)
        return std::nullopt;
    const QString rule = QStringLiteral(" (в игре один ответ верный — 100 %, остальные неверные — 0 % или меньше)");
    if (earning.isEmpty())
        return QStringLiteral("у всех ответов вес 0 % или меньше: верного нет") + rule;
    return QStringLiteral("веса ответов не выделяют один верный: ") + earning.join(QStringLiteral(", ")) + rule;
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
    if (answers->weighted) {
        if (auto why = weightProblem(answers->all))
            return why;
    }
    const auto right = std::count_if(answers->all.cbegin(), answers->all.cend(),
                                     [&](const Answer &a) { return answers->isRight(a); });
    const auto wrong = answers->all.size() - right;
    if (wrong == 0)
        return QStringLiteral("вопрос с кратким ответом (только «=»)") + four;
    if (right != 1)
        return QStringLiteral("верных ответов (=) %1, а нужен ровно один").arg(right);
    if (wrong != 3)
        return QStringLiteral("неверных ответов (~) %1, а нужно ровно три").arg(wrong);
    return std::nullopt;
}

enum class TextFormat { Plain, Html, Markdown };

// The question's text with its title and format marker taken off. Moodle's own format
// "[moodle]" is taken as plain text, as is a question without a marker.
QString questionText(QString text, TextFormat &format)
{
    if (text.startsWith(QStringLiteral("::"))) {
        const qsizetype end = findUnescaped(text, u"::", 2);
        text = end >= 0 ? text.sliced(end + 2).trimmed() : text;
    }
    static const QRegularExpression marker(QStringLiteral("^\\[(html|moodle|plain|markdown)\\]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = marker.match(text);
    const QString name = m.captured(1).toLower();
    format = name == QLatin1String("html")       ? TextFormat::Html
             : name == QLatin1String("markdown") ? TextFormat::Markdown
                                                 : TextFormat::Plain;
    return m.hasMatch() ? text.sliced(m.capturedLength()) : text;
}

// A field as the reader of the source sees it, in the question's format.
QString readable(const QString &text, TextFormat format, QStringList &images)
{
    switch (format) {
    case TextFormat::Html: return PlainFromHtml(text, images);
    case TextFormat::Markdown: return PlainFromMarkdown(text);
    case TextFormat::Plain: break;
    }
    return text;
}

// The question's wording: a block inside the sentence ("missing word") leaves a gap where it stood.
QString askedText(const QString &body, qsizetype open, qsizetype close)
{
    const QString after = body.sliced(close + 1).trimmed();
    QString asked = unescape(body.first(open)).trimmed();
    if (!after.isEmpty())
        asked += QStringLiteral(" _____") + (after[0].isLetterOrNumber() ? QStringLiteral(" ") : QString()) + unescape(after);
    return asked;
}

class GiftReader
{
public:
    ImportOutcome run(const QString &text);

private:
    void flush();
    void question(const QString &text, int line);
    void add(const PlainLine &line);

    ImportOutcome m_out;
    QStringList m_block;
    int m_blockLine = 0;
    ImportCategory m_category;
    int m_depth = 0;       // braces open in the block
    bool m_closed = false; // the block's answers have closed
    bool m_begun = false; // a question or category has been read: comments are no longer a title
};

ImportOutcome GiftReader::run(const QString &text)
{
    for (const PlainLine &line : SplitPlainLines(text)) {
        const QString trimmed = line.text.trimmed();
        if (trimmed.startsWith(QStringLiteral("//"))) {
            // The comments a file opens with are its title.
            if (!m_begun && m_block.isEmpty() && !isMoodleComment(trimmed.sliced(2)))
                KeepNote(m_out, trimmed.sliced(2));
        } else if (trimmed.startsWith(QStringLiteral("$CATEGORY:"), Qt::CaseInsensitive)) {
            flush();
            m_begun = true; // a category is the quiz system's filing, no note for a colleague
            m_category = ReadCategory(trimmed.sliced(10).trimmed());
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
void GiftReader::add(const PlainLine &line)
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
    TextFormat format = TextFormat::Plain;
    const QString body = questionText(text, format);
    QStringList images;
    const auto plain = [&](const QString &s) { return readable(s, format, images); };
    const qsizetype open = findUnescaped(body, u"{");
    const qsizetype close = open < 0 ? -1 : findUnescaped(body, u"}", open + 1);
    if (open < 0 || close < 0) {
        RejectQuestion(m_out, line, plain(unescape(body)),
                       open < 0 ? QStringLiteral("нет ответов в фигурных скобках { … }")
                                : QStringLiteral("нет закрывающей скобки «}» после ответов"));
        return;
    }
    const QString inner = body.sliced(open + 1, close - open - 1);
    const QString asked = plain(askedText(body, open, close));
    auto answers = splitAnswers(inner);
    if (answers) {
        for (Answer &a : answers->all)
            a.text = plain(a.text);
    }
    if (const auto why = shapeProblem(inner, answers)) {
        RejectQuestion(m_out, line, asked, *why);
        return;
    }
    QString right;
    QStringList wrong;
    for (const Answer &a : answers->all) {
        if (answers->isRight(a))
            right = a.text;
        else
            wrong.append(a.text);
    }
    ImportedQuestion q{{asked, right, wrong[0], wrong[1], wrong[2], QString()}, m_category.level, line, QuestionRemarks(images, m_category)};
    TakeQuestion(m_out, q);
}

} // namespace

ImportOutcome ImportGift(const QString &text)
{
    return GiftReader().run(text);
}

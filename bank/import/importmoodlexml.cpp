// Moodle XML, the question bank's own export: <quiz> holding one <question> after another. Only
// multiple choice with one right answer (100 %) and three wrong ones (0 % or less) fits the game;
// every other type is named with its line and left out. The texts are read as GIFT's are.

#include "importparts.h"
#include "richtext.h"

#include <QHash>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>

namespace {

// A text of the export with the format its editor wrote it in.
struct FormattedText {
    QString format; ///< "html", "moodle_auto_format", "plain_text" or "markdown"
    QString text;
};

struct XmlAnswer {
    FormattedText source;
    QString fraction; ///< the share of the marks as written, "100", "-33.33333"
    QString text;     ///< what a reader sees of the source
};

// One <question> as read: its type and the elements the game could use.
struct XmlQuestion {
    QString type;
    int line = 0;
    FormattedText question;
    QList<XmlAnswer> answers;
    QStringList images;
    QString single = QStringLiteral("true");
    QString category; ///< the path of a type="category" entry
};

double fractionOf(const XmlAnswer &a)
{
    return a.fraction.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

bool isFull(double fraction)
{
    return std::abs(fraction - 100) < 1e-6;
}

// The names Moodle gives its question types in the editor, for a teacher who knows them by those.
QString typeName(const QString &type)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("truefalse"), QStringLiteral("верно/неверно")},
        {QStringLiteral("shortanswer"), QStringLiteral("короткий ответ")},
        {QStringLiteral("numerical"), QStringLiteral("числовой ответ")},
        {QStringLiteral("essay"), QStringLiteral("эссе")},
        {QStringLiteral("matching"), QStringLiteral("на соответствие")},
        {QStringLiteral("randomsamatch"), QStringLiteral("случайный вопрос на соответствие")},
        {QStringLiteral("multianswer"), QStringLiteral("вложенные ответы (Cloze)")},
        {QStringLiteral("calculated"), QStringLiteral("вычисляемый")},
        {QStringLiteral("calculatedsimple"), QStringLiteral("простой вычисляемый")},
        {QStringLiteral("calculatedmulti"), QStringLiteral("вычисляемый с выбором ответа")},
        {QStringLiteral("ddwtos"), QStringLiteral("перетаскивание в текст")},
        {QStringLiteral("gapselect"), QStringLiteral("выбор пропущенных слов")},
        {QStringLiteral("ddimageortext"), QStringLiteral("перетаскивание на изображение")},
        {QStringLiteral("ddmarker"), QStringLiteral("перетаскивание маркеров")},
        {QStringLiteral("ordering"), QStringLiteral("упорядочивание")},
        {QStringLiteral("random"), QStringLiteral("случайный вопрос")},
    };
    return names.value(type, type);
}

// Why a multiple choice question is not one the game can ask, or nothing when it is.
std::optional<QString> choiceProblem(const XmlQuestion &q)
{
    const QString single = q.single.trimmed().toLower();
    if (single == QLatin1String("false") || single == QLatin1String("0"))
        return QStringLiteral("вопрос с несколькими верными ответами (<single>false</single>): в игре верный ответ один");
    QStringList earning;
    int full = 0;
    for (const XmlAnswer &a : q.answers) {
        const double fraction = fractionOf(a);
        if (fraction <= 0)
            continue;
        earning.append(QStringLiteral("«%1» — %2 %").arg(a.text, a.fraction.trimmed()));
        full += isFull(fraction) ? 1 : 0;
    }
    const QString rule = QStringLiteral(" (в игре один ответ верный — 100 %, остальные неверные — 0 % или меньше)");
    if (earning.isEmpty())
        return QStringLiteral("у всех ответов вес 0 % или меньше: верного нет") + rule;
    if (full != 1 || earning.size() != 1)
        return QStringLiteral("веса ответов не выделяют один верный: ") + earning.join(QStringLiteral(", ")) + rule;
    if (q.answers.size() != 4)
        return QStringLiteral("неверных ответов %1, а нужно ровно три").arg(q.answers.size() - 1);
    return std::nullopt;
}

class MoodleXmlReader
{
public:
    explicit MoodleXmlReader(const QByteArray &bytes) : m_xml(bytes) {}
    ImportOutcome run();

private:
    void readQuestion();
    FormattedText readText();
    QString readable(const FormattedText &text, QStringList &images) const;
    void decide(XmlQuestion &q);

    QXmlStreamReader m_xml;
    ImportOutcome m_out;
    ImportCategory m_category;
};

ImportOutcome MoodleXmlReader::run()
{
    if (m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("quiz")) {
            RejectQuestion(m_out, static_cast<int>(m_xml.lineNumber()), QStringLiteral("<%1>").arg(m_xml.name()),
                           QStringLiteral("это не вопросы Moodle: файл начинается не с <quiz>"));
            return std::move(m_out);
        }
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("question"))
                readQuestion();
            else
                m_xml.skipCurrentElement();
        }
    }
    // Qt's own message is in English; the teacher is told where the file stops making sense.
    if (m_xml.hasError())
        RejectQuestion(m_out, static_cast<int>(m_xml.lineNumber()), QStringLiteral("остаток файла"),
                       m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                           ? QStringLiteral("файл обрывается на середине: дальше этой строки вопросов нет")
                           : QStringLiteral("разметка XML нарушена в столбце %1: дальше этой строки файл не прочитан")
                                 .arg(m_xml.columnNumber()));
    return std::move(m_out);
}

void MoodleXmlReader::readQuestion()
{
    XmlQuestion q;
    q.type = m_xml.attributes().value(QStringLiteral("type")).toString();
    q.line = static_cast<int>(m_xml.lineNumber());
    while (m_xml.readNextStartElement()) {
        const auto name = m_xml.name();
        if (name == QLatin1String("questiontext")) {
            q.question = readText();
        } else if (name == QLatin1String("answer")) {
            const QString fraction = m_xml.attributes().value(QStringLiteral("fraction")).toString();
            q.answers.append({readText(), fraction, {}});
        } else if (name == QLatin1String("single")) {
            q.single = m_xml.readElementText();
        } else if (name == QLatin1String("category")) {
            q.category = readText().text;
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (!m_xml.hasError()) // a question cut off by broken markup is told of once, as the rest of the file
        decide(q);
}

// The <text> of an element such as <questiontext format="html">; its <file> (the picture's
// bytes) and feedback are skipped: a bank line holds neither.
FormattedText MoodleXmlReader::readText()
{
    FormattedText text{m_xml.attributes().value(QStringLiteral("format")).toString(), {}};
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("text"))
            text.text = m_xml.readElementText();
        else
            m_xml.skipCurrentElement();
    }
    return text;
}

QString MoodleXmlReader::readable(const FormattedText &text, QStringList &images) const
{
    if (text.format == QLatin1String("html"))
        return PlainFromHtml(text.text, images);
    if (text.format == QLatin1String("markdown"))
        return PlainFromMarkdown(JoinWrappedLines(text.text));
    return JoinWrappedLines(text.text); // plain_text, and moodle_auto_format, which is plain text with line breaks
}

void MoodleXmlReader::decide(XmlQuestion &q)
{
    if (q.type == QLatin1String("category")) {
        m_category = ReadCategory(q.category.trimmed());
        return;
    }
    const QString asked = readable(q.question, q.images);
    for (XmlAnswer &a : q.answers)
        a.text = readable(a.source, q.images);
    if (q.type != QLatin1String("multichoice")) {
        const QString four = QStringLiteral(": в игре нужны один верный и три неверных ответа");
        RejectQuestion(m_out, q.line, asked,
                       q.type == QLatin1String("description")
                           ? QStringLiteral("описание (type=\"description\") — это не вопрос")
                           : QStringLiteral("вопрос типа «%1» (type=\"%2\")").arg(typeName(q.type), q.type) + four);
        return;
    }
    if (const auto why = choiceProblem(q)) {
        RejectQuestion(m_out, q.line, asked, *why);
        return;
    }
    QString right;
    QStringList wrong;
    for (const XmlAnswer &a : q.answers) {
        if (isFull(fractionOf(a)))
            right = a.text;
        else
            wrong.append(a.text);
    }
    TakeQuestion(m_out, {{asked, right, wrong[0], wrong[1], wrong[2], QString()}, m_category.level, q.line,
                         QuestionRemarks(q.images, m_category)});
}

} // namespace

ImportOutcome ImportMoodleXml(const QByteArray &bytes)
{
    return MoodleXmlReader(bytes).run();
}

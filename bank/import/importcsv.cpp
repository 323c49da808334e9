// CSV as a spreadsheet saves it: ";" or "," between cells, a cell in quotes when it holds the
// separator, a quote (doubled) or a line break. Columns: level; question; right answer; three
// wrong answers; illustration. A header row and a title row above the questions are allowed.

#include "bankformat.h"
#include "importparts.h"

#include <algorithm>

namespace {

struct CsvRecord {
    int line = 0; ///< the line the record starts on
    QStringList cells;
};

class CsvParser
{
public:
    CsvParser(const QString &text, QChar separator) : m_text(text), m_separator(separator) {}
    QList<CsvRecord> records();

private:
    bool lineEnd(qsizetype &i);
    QString quotedCell(qsizetype &i);

    const QString &m_text;
    QChar m_separator;
    int m_line = 1;
};

// Whether a line ends at i; steps over the LF of a CR LF and counts the line.
bool CsvParser::lineEnd(qsizetype &i)
{
    if (m_text[i] != QLatin1Char('\n') && m_text[i] != QLatin1Char('\r'))
        return false;
    if (m_text[i] == QLatin1Char('\r') && i + 1 < m_text.size() && m_text[i + 1] == QLatin1Char('\n'))
        ++i;
    ++m_line;
    return true;
}

// A cell from its opening quote at i: "" is one quote; the cell runs to the closing quote, and
// whatever follows it up to the separator is kept as a spreadsheet would.
QString CsvParser::quotedCell(qsizetype &i)
{
    QString cell;
    for (++i; i < m_text.size(); ++i) {
        if (m_text[i] == QLatin1Char('"')) {
            if (i + 1 < m_text.size() && m_text[i + 1] == QLatin1Char('"')) {
                cell += QLatin1Char('"');
                ++i;
                continue;
            }
            ++i;
            break;
        }
        const qsizetype at = i;
        cell += lineEnd(i) ? QStringLiteral("\n") : QString(m_text[at]);
    }
    return cell;
}

QList<CsvRecord> CsvParser::records()
{
    QList<CsvRecord> out;
    CsvRecord record{m_line, {}};
    QString cell;
    bool any = false; // the record has a character or a separator
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == QLatin1Char('"') && cell.isEmpty()) {
            cell = quotedCell(i);
            any = true;
            if (i >= m_text.size())
                break;
        }
        if (lineEnd(i)) {
            record.cells.append(cell);
            out.append(record);
            record = CsvRecord{m_line, {}};
            cell.clear();
            any = false;
        } else if (m_text[i] == m_separator) {
            record.cells.append(cell);
            cell.clear();
            any = true;
        } else {
            cell += m_text[i];
            any = true;
        }
    }
    if (any || !cell.isEmpty()) {
        record.cells.append(cell);
        out.append(record);
    }
    return out;
}

// The separator that gives more rows of six or seven cells: a Russian spreadsheet writes ";"
// (the comma is its decimal point), others write ","; a tie goes to ";".
QChar guessSeparator(const QString &text)
{
    const auto rows = [&](QChar separator) {
        int fit = 0;
        for (const CsvRecord &r : CsvParser(text, separator).records())
            fit += r.cells.size() == 6 || r.cells.size() == 7;
        return fit;
    };
    return rows(QLatin1Char(',')) > rows(QLatin1Char(';')) ? QLatin1Char(',') : QLatin1Char(';');
}

// The cells of a row as the teacher filled them. A spreadsheet pads every row with empty cells to
// the widest one, so empty cells past the seventh are padding; an empty cell within the seven is
// a cell all the same, counted and named as one. A row of nothing but empty cells is no row.
QStringList filledCells(QStringList cells)
{
    constexpr qsizetype kColumns = 7;
    while (cells.size() > kColumns && cells.back().trimmed().isEmpty())
        cells.removeLast();
    const bool empty = std::all_of(cells.cbegin(), cells.cend(), [](const QString &c) { return c.trimmed().isEmpty(); });
    return empty ? QStringList() : cells;
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

class CsvReader
{
public:
    ImportOutcome run(const QString &text);

private:
    bool aboveQuestions(const QStringList &cells);
    void row(const CsvRecord &record, const QStringList &cells);

    ImportOutcome m_out;
    bool m_begun = false; // a question row has been read
};

ImportOutcome CsvReader::run(const QString &text)
{
    for (const CsvRecord &record : CsvParser(text, guessSeparator(text)).records()) {
        QStringList cells = filledCells(record.cells);
        for (QString &cell : cells)
            cell = JoinWrappedLines(cell.trimmed()); // a wrapped cell is one line in the game
        if (cells.isEmpty() || aboveQuestions(cells))
            continue;
        m_begun = true;
        row(record, cells);
    }
    return std::move(m_out);
}

// Above the first question a row with one filled cell is a title, kept as a note, and a row whose
// level column holds a word (no digit) is the column headers.
bool CsvReader::aboveQuestions(const QStringList &cells)
{
    if (m_begun)
        return false;
    const auto filled = std::count_if(cells.cbegin(), cells.cend(), [](const QString &c) { return !c.isEmpty(); });
    if (filled == 1) {
        KeepNote(m_out, cells.join(QString()));
        return true;
    }
    return !cells[0].isEmpty() && !hasDigit(cells[0]);
}

void CsvReader::row(const CsvRecord &record, const QStringList &cells)
{
    const QString text = cells.value(1).isEmpty() ? cells.join(QStringLiteral("; ")) : cells[1];
    if (cells.size() < 6 || cells.size() > 7) {
        RejectQuestion(m_out, record.line, text,
                       QStringLiteral("клеток в строке %1, а нужно шесть или семь: уровень; вопрос; верный ответ; "
                                      "три неверных; рисунок").arg(cells.size()));
        return;
    }
    bool number = false;
    const int level = cells[0].toInt(&number);
    if (!cells[0].isEmpty() && (!number || level < 1 || level > kBankLevels)) {
        RejectQuestion(m_out, record.line, text,
                       QStringLiteral("уровень «%1»: нужно число от 1 до 15 или пустая клетка").arg(cells[0]));
        return;
    }
    ImportedQuestion q;
    q.fields = QuestionFields{cells[1], cells[2], cells[3], cells[4], cells[5], cells.value(6)};
    q.level = cells[0].isEmpty() ? 0 : level;
    q.line = record.line;
    TakeQuestion(m_out, q);
}

} // namespace

ImportOutcome ImportCsv(const QString &text)
{
    return CsvReader().run(text);
}

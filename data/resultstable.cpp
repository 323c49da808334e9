#include "resultstable.h"

#include "cp1251.h"

#include <algorithm>

namespace {

QString shown(QByteArrayView stored)
{
    QString text = cp1251::decode(stored);
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString tableRow(const QStringList &fields, const QList<qsizetype> &widths)
{
    QString row;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const bool last = i + 1 == fields.size();
        row += last ? fields[i] : fields[i].leftJustified(widths[i]) + QStringLiteral("  ");
    }
    return row + QLatin1Char('\n');
}

} // namespace

QStringList ResultColumnTitles()
{
    return {QStringLiteral("Занятие"), QStringLiteral("Фамилия"), QStringLiteral("Пройдено уровней"),
            QStringLiteral("Оценка"), QStringLiteral("Контрольная сумма"), QStringLiteral("Состояние")};
}

QStringList ResultFields(const ResultEntry &entry)
{
    return {shown(entry.lesson),
            shown(entry.name),
            entry.levels >= 0 ? QString::number(entry.levels) : QString(),
            shown(entry.grade),
            shown(entry.key),
            StateText(entry)};
}

QByteArray FormatResultsTable(const std::vector<ResultEntry> &entries)
{
    if (entries.empty())
        return QByteArrayLiteral("Записей нет.\n");
    std::vector<QStringList> rows{ResultColumnTitles()};
    for (const ResultEntry &e : entries)
        rows.push_back(ResultFields(e));
    return FormatTextTable(rows);
}

QByteArray FormatTextTable(const std::vector<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QString out;
    for (const QStringList &row : rows)
        out += tableRow(row, widths);
    return out.toUtf8();
}

QString CsvField(const QString &text)
{
    // A spreadsheet works out a field that begins like a formula: a name a student typed as
    // "=..." would be run on the teacher's machine. An apostrophe in front keeps it text.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    const QString field = !text.isEmpty() && formulaStarts.contains(text.front()) ? QLatin1Char('\'') + text : text;
    const bool quote = field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('"'))
                       || field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
    if (!quote)
        return field;
    QString doubled = field;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QByteArray FormatResultsCsv(const std::vector<ResultEntry> &entries)
{
    std::vector<QStringList> rows{ResultColumnTitles()};
    for (const ResultEntry &e : entries)
        rows.push_back(ResultFields(e));
    return FormatCsv(rows);
}

QByteArray FormatCsv(const std::vector<QStringList> &rows)
{
    QString out;
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &f : row)
            fields.append(CsvField(f));
        out += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

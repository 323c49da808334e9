#pragma once
// The results listing for a reader: an aligned table for the terminal, or CSV for a spreadsheet.

#include "resultslist.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

/// The column titles, the same in the table and in the CSV header row.
QStringList ResultColumnTitles();

/// The displayed fields of an entry, in column order. Control characters show as U+FFFD.
QStringList ResultFields(const ResultEntry &entry);

/// An aligned table in UTF-8 with LF line ends: the titles, then one row per entry;
/// "Записей нет." when there is none.
QByteArray FormatResultsTable(const std::vector<ResultEntry> &entries);

/// CSV for spreadsheets: UTF-8 with a byte order mark, ";" between fields, CR LF after every row,
/// the titles first.
QByteArray FormatResultsCsv(const std::vector<ResultEntry> &entries);

/// Rows (the titles first) as an aligned table in UTF-8 with LF line ends: every column but
/// the last padded to its widest field, two blanks between columns.
QByteArray FormatTextTable(const std::vector<QStringList> &rows);

/// Rows (the titles first) as CSV for spreadsheets, as FormatResultsCsv writes them.
QByteArray FormatCsv(const std::vector<QStringList> &rows);

/// One CSV field: after an apostrophe when it begins like a formula ("=", "+", "-", "@"), and
/// quoted, with its quotes doubled, when it holds ";", a quote or a line break.
QString CsvField(const QString &text);

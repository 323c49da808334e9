#pragma once
// The records of several results files as one list: a lab of machines each with its own
// results file, or one shared file. A record found in several files is one row naming them
// all; records under the same lesson and name checksum that read differently are flagged,
// since one pupil then holds two results; damaged records are kept as they are.

#include "resultslist.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

/// One results file as read.
struct ResultsSource {
    QString path;     ///< the file, absolute
    QString label;    ///< how the table names it: the machine's folder or the file's name
    QByteArray bytes; ///< the file's content; empty when it is missing or unreadable
    QString error;    ///< why it could not be read; empty when it was
    bool missing = false; ///< no such file yet: a machine whose pupils have not finished
    bool operator==(const ResultsSource &) const = default;
};

/// The grades in rising order, the chart's categories.
enum class Grade { Unknown = -1, Fail, Pass, Good, Excellent };
inline constexpr int kGradeCount = 4;

/// The grade of an entry; Unknown for a damaged one or an unknown word.
Grade GradeOf(const ResultEntry &entry);

/// One row of the merged list.
struct ResultRow {
    ResultEntry entry;      ///< the record as its first file holds it
    QByteArray value;       ///< the stored value: two copies are the same record when it is equal
    QList<int> files;       ///< the sources that hold it, in source order
    QStringList conflicts;  ///< the other records under the same lesson and key, as read
    QByteArray lessonKey;   ///< the lesson upper-cased, as the game matches it
    QByteArray nameKey;     ///< the name upper-cased, for filtering and sorting
    Grade grade = Grade::Unknown; ///< Unknown for a damaged record
};

/// The rows of the sources, in the order their records first appear.
std::vector<ResultRow> MergeResults(const std::vector<ResultsSource> &sources);

/// The table's names for the files: the file name when those are all distinct, else the
/// folder name (one folder per machine), else the whole path.
QStringList FileLabels(const QStringList &paths);

/// The chart's category titles, in Grade order.
QStringList GradeTitles();

#pragma once
// A script of SQL statements cut into single statements. Qt's PostgreSQL driver reads only the
// first result of a query that holds several, so an error in a later statement of a script run
// at once would pass unseen; run one by one, each statement's error is its own.

#include <QString>
#include <QStringList>

/// The statements of a script, without their ';' and without comments or blank statements.
/// Semicolons inside quotes ('…', "…"), dollar quotes ($$…$$, $tag$…$tag$) and comments
/// (-- to the end of the line, /* … */) do not end a statement.
QStringList SplitSqlScript(const QString &script);

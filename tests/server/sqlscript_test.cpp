// The schema's scripts are run statement by statement, so that every error is seen: the cuts
// must fall between statements only.

#include "sqlscript.h"
#include "toolstest.h"

TEST(SqlScript, SemicolonsInsideQuotesBodiesAndCommentsDoNotCut)
{
    const QString script = QStringLiteral(
        "-- a comment; with a semicolon\n"
        "CREATE TABLE a (x text DEFAULT 'O''Neil; x');\n"
        "CREATE FUNCTION f() RETURNS int LANGUAGE sql AS $$ SELECT 1; $$;\n"
        "DO $body$ BEGIN PERFORM 1; END $body$;\n"
        "/* block; comment */ SELECT \"odd;name\" FROM a;\n"
        "  ;\n"
        "SELECT $1");
    EXPECT_EQ(SplitSqlScript(script),
              QStringList({QStringLiteral("CREATE TABLE a (x text DEFAULT 'O''Neil; x')"),
                           QStringLiteral("CREATE FUNCTION f() RETURNS int LANGUAGE sql AS $$ SELECT 1; $$"),
                           QStringLiteral("DO $body$ BEGIN PERFORM 1; END $body$"),
                           QStringLiteral("SELECT \"odd;name\" FROM a"), QStringLiteral("SELECT $1")}));
}

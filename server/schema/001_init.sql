-- Tallory on a school's PostgreSQL server, schema version 1.
--
-- Applied by "tallory-results server init SERVICE", connected as the database's owner, in one
-- transaction together with the row of tallory.schema_history that records it: the schema is
-- there whole at its version, or not at all. The owner owns every object below, so the two
-- SECURITY DEFINER functions run with the owner's rights and no more.
--
-- Every row the game sends carries its own id (a game's, a record's; an answer is its game and
-- level), and the game inserts with ON CONFLICT DO NOTHING: a row sent again after a lost reply
-- is stored once. The game's role only inserts: a game's end is a row of its own rather than an
-- update of the game.

CREATE SCHEMA tallory;

-- Group roles, cluster-wide: a school grants them to its logins. Another database of the same
-- cluster may have made them already.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'tallory_game') THEN
        CREATE ROLE tallory_game NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'tallory_teacher') THEN
        CREATE ROLE tallory_teacher NOLOGIN;
    END IF;
END
$$;

-- One row per version applied; the highest is the schema's version.
CREATE TABLE tallory.schema_history (
    version integer PRIMARY KEY,
    applied timestamptz NOT NULL DEFAULT pg_catalog.now()
);

-- A graded game's record, as the machine writes it to tallory.rez, with where and when.
CREATE TABLE tallory.results (
    id       uuid PRIMARY KEY,
    lesson   text NOT NULL,
    name     text NOT NULL,
    levels   smallint NOT NULL CHECK (levels BETWEEN 0 AND 15),
    grade    text NOT NULL,
    machine  text NOT NULL,
    recorded timestamptz NOT NULL,
    received timestamptz NOT NULL DEFAULT pg_catalog.now()
);
CREATE INDEX results_by_lesson ON tallory.results (lesson, name);

-- A game as it starts; the columns of the journal's games table up to "started".
CREATE TABLE tallory.games (
    id          uuid PRIMARY KEY,
    lesson      text NOT NULL,
    student     text NOT NULL,
    machine     text NOT NULL,
    bank_file   text NOT NULL,
    bank_sha256 text NOT NULL,
    started     timestamptz NOT NULL,
    received    timestamptz NOT NULL DEFAULT pg_catalog.now()
);
CREATE INDEX games_by_lesson ON tallory.games (lesson, student);

-- A game's end: the rest of the journal's games row. A game without one is unfinished.
CREATE TABLE tallory.game_ends (
    game          uuid PRIMARY KEY REFERENCES tallory.games (id),
    ended         timestamptz NOT NULL,
    ending        text NOT NULL CHECK (ending IN ('wrong', 'stop', 'won', 'noquestion')),
    levels_passed smallint CHECK (levels_passed BETWEEN 0 AND 15),
    grade         text,
    received      timestamptz NOT NULL DEFAULT pg_catalog.now()
);

-- One question of a game as it was answered or left; the journal's answers table.
CREATE TABLE tallory.answers (
    game            uuid NOT NULL REFERENCES tallory.games (id),
    level           smallint NOT NULL CHECK (level BETWEEN 1 AND 15),
    bank_index      integer NOT NULL,
    question_sha256 text NOT NULL,
    shown           timestamptz NOT NULL,
    question        text NOT NULL,
    answer_a        text NOT NULL,
    answer_b        text NOT NULL,
    answer_c        text NOT NULL,
    answer_d        text NOT NULL,
    right_button    text NOT NULL,
    clicked_button  text,
    chosen          smallint,
    ms              integer,
    fifty_blanked   text,
    votes_a         smallint,
    votes_b         smallint,
    votes_c         smallint,
    votes_d         smallint,
    friend_reply    text,
    tease           text,
    received        timestamptz NOT NULL DEFAULT pg_catalog.now(),
    PRIMARY KEY (game, level)
);

-- The journal's games table as one, for the teacher's reading.
CREATE VIEW tallory.game_overview AS
SELECT g.id, g.lesson, g.student, g.machine, g.bank_file, g.bank_sha256, g.started,
       e.ended, e.ending, e.levels_passed, e.grade
FROM tallory.games g
LEFT JOIN tallory.game_ends e ON e.game = g.id;

-- The schema's version, for every role: the game checks it without reading any table.
CREATE FUNCTION tallory.schema_version() RETURNS integer
    LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT max(version) FROM tallory.schema_history
$$;

-- The attempt guard: why this name may not sit this lesson, or NULL when it may. 'graded' when
-- a record of it exists or one of its games ended with a grade, on any machine; 'unfinished'
-- when one of its games started and never ended (counted only when count_unfinished). Lesson
-- and name are compared exactly as the game sends them (upper-cased by the game). The game may
-- call this, never read the tables: it learns one answer about one name at a time.
CREATE FUNCTION tallory.attempt_refusal(lesson text, name text, count_unfinished boolean DEFAULT true)
    RETURNS text
    LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT CASE
        WHEN EXISTS (SELECT FROM tallory.results r
                     WHERE r.lesson = attempt_refusal.lesson AND r.name = attempt_refusal.name)
          OR EXISTS (SELECT FROM tallory.games g JOIN tallory.game_ends e ON e.game = g.id
                     WHERE g.lesson = attempt_refusal.lesson AND g.student = attempt_refusal.name
                       AND e.grade IS NOT NULL)
        THEN 'graded'
        WHEN count_unfinished
         AND EXISTS (SELECT FROM tallory.games g
                     WHERE g.lesson = attempt_refusal.lesson AND g.student = attempt_refusal.name
                       AND NOT EXISTS (SELECT FROM tallory.game_ends e WHERE e.game = g.id))
        THEN 'unfinished'
    END
$$;

-- The workbench follows new records and ended games by LISTEN tallory_results. Any login may
-- LISTEN, so the payload names the table and the row's id, never a student.
CREATE FUNCTION tallory.notify_new_row() RETURNS trigger
    LANGUAGE plpgsql
    SET search_path = pg_catalog, pg_temp
AS $$
BEGIN
    PERFORM pg_notify('tallory_results', TG_TABLE_NAME || ' ' || (to_jsonb(NEW) ->> TG_ARGV[0]));
    RETURN NULL;
END
$$;

CREATE TRIGGER results_notify AFTER INSERT ON tallory.results
    FOR EACH ROW EXECUTE FUNCTION tallory.notify_new_row('id');
CREATE TRIGGER game_ends_notify AFTER INSERT ON tallory.game_ends
    FOR EACH ROW EXECUTE FUNCTION tallory.notify_new_row('game');

-- Least privilege. Nothing for PUBLIC; the game inserts the columns it sends (not "received")
-- and calls the two functions; the teacher reads everything and may ask the guard too.
REVOKE ALL ON SCHEMA tallory FROM PUBLIC;
REVOKE ALL ON ALL TABLES IN SCHEMA tallory FROM PUBLIC;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA tallory FROM PUBLIC;
GRANT USAGE ON SCHEMA tallory TO tallory_game, tallory_teacher;
GRANT INSERT (id, lesson, name, levels, grade, machine, recorded) ON tallory.results TO tallory_game;
GRANT INSERT (id, lesson, student, machine, bank_file, bank_sha256, started) ON tallory.games TO tallory_game;
GRANT INSERT (game, ended, ending, levels_passed, grade) ON tallory.game_ends TO tallory_game;
GRANT INSERT (game, level, bank_index, question_sha256, shown, question, answer_a, answer_b, answer_c,
              answer_d, right_button, clicked_button, chosen, ms, fifty_blanked, votes_a, votes_b,
              votes_c, votes_d, friend_reply, tease) ON tallory.answers TO tallory_game;
GRANT EXECUTE ON FUNCTION tallory.schema_version() TO tallory_game, tallory_teacher;
GRANT EXECUTE ON FUNCTION tallory.attempt_refusal(text, text, boolean) TO tallory_game, tallory_teacher;
GRANT SELECT ON ALL TABLES IN SCHEMA tallory TO tallory_teacher;

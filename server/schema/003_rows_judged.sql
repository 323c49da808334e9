-- Tallory on a school's PostgreSQL server, schema version 3.
--
-- The class's password lies on every lab machine, so whoever finds it can insert what the
-- game's role may. From this version a results row no longer says what it likes: the server
-- notes who sent each row, from which address and when (its own clock), and judges a record
-- against the game's own rows (its start, its answers, its end). A record without a game that
-- agrees with it is kept apart for the teacher, never shown as in order, and never refuses
-- anybody an attempt.

-- Who sent each row and from where; rows stored before this version have neither.
DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['results', 'games', 'game_ends', 'answers', 'unchecked_attempts'] LOOP
        EXECUTE format('ALTER TABLE tallory.%I ADD COLUMN sender text, ADD COLUMN sender_address inet', t);
        EXECUTE format('ALTER TABLE tallory.%I ALTER COLUMN sender SET DEFAULT session_user, '
                       'ALTER COLUMN sender_address SET DEFAULT pg_catalog.inet_client_addr()', t);
    END LOOP;
END
$$;

-- No text the game sends is longer than a bank line (2047 characters, as the settings routines
-- read it). NOT VALID: rows already stored are kept as they are; new ones are checked.
DO $$
DECLARE
    c record;
BEGIN
    FOR c IN SELECT a.attrelid::regclass AS tbl, a.attname
             FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class r ON r.oid = a.attrelid
             WHERE r.relnamespace = 'tallory'::regnamespace AND r.relkind = 'r'
               AND r.relname IN ('results', 'games', 'game_ends', 'answers', 'unchecked_attempts')
               AND a.atttypid = 'text'::regtype AND a.attnum > 0 AND NOT a.attisdropped
               AND a.attname <> 'sender' LOOP
        EXECUTE format('ALTER TABLE %s ADD CONSTRAINT %I CHECK (pg_catalog.length(%I) <= 2047) NOT VALID',
                       c.tbl, c.attname || '_length', c.attname);
    END LOOP;
END
$$;

-- The grade a number of levels passed earns, as the game gives it.
CREATE FUNCTION tallory.grade_for(levels integer) RETURNS text
    LANGUAGE sql IMMUTABLE
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT CASE WHEN levels >= 15 THEN 'Отлично' WHEN levels >= 10 THEN 'Хорошо'
                WHEN levels >= 5 THEN 'Удовлетворительно' ELSE 'Неудовлетворительно' END
$$;

-- Right answers in a row from level 1, as the game's answers rows show them.
CREATE FUNCTION tallory.levels_in_a_row(game uuid) RETURNS integer
    LANGUAGE sql STABLE
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT coalesce(min(s.level), 16) - 1 FROM generate_series(1, 15) AS s(level)
    WHERE NOT EXISTS (SELECT FROM tallory.answers a
                      WHERE a.game = levels_in_a_row.game AND a.level = s.level
                        AND a.clicked_button = a.right_button)
$$;

-- Whether a game's end agrees with its answers: 'agrees', 'no_game', 'no_end', or 'disagrees'
-- (levels passed are not the right answers in a row from level 1, the grade is not theirs, or
-- a wrong ending has no wrong answer after them).
CREATE FUNCTION tallory.game_standing(game uuid) RETURNS text
    LANGUAGE sql STABLE
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT CASE
        WHEN NOT EXISTS (SELECT FROM tallory.games g WHERE g.id = game_standing.game) THEN 'no_game'
        WHEN e.game IS NULL THEN 'no_end'
        WHEN e.levels_passed IS DISTINCT FROM tallory.levels_in_a_row(game_standing.game)
          OR e.grade IS DISTINCT FROM tallory.grade_for(e.levels_passed)
          OR (e.ending = 'won' AND e.levels_passed <> 15)
          OR (e.ending = 'wrong' AND NOT EXISTS (
                SELECT FROM tallory.answers a WHERE a.game = game_standing.game
                   AND a.level = e.levels_passed + 1 AND a.clicked_button <> a.right_button))
        THEN 'disagrees'
        ELSE 'agrees'
    END
    FROM (SELECT game_standing.game) AS asked
    LEFT JOIN tallory.game_ends e ON e.game = game_standing.game
$$;

-- How a record stands: 'agrees' with its game's rows; 'loaded' by a teacher from a results
-- file kept before the server (no game behind it, as files hold none); 'no_game' when no game
-- of its id was sent (the machine's journal could not be written, or nobody played it);
-- 'disagrees' when its game's rows say something else or have no end.
ALTER TABLE tallory.results ADD COLUMN standing text
    CHECK (standing IN ('agrees', 'loaded', 'no_game', 'disagrees'));

CREATE FUNCTION tallory.judge_record() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
AS $$
DECLARE
    game text := tallory.game_standing(NEW.id);
BEGIN
    IF game = 'no_game' THEN
        NEW.standing := CASE WHEN pg_catalog.pg_has_role(session_user, 'tallory_teacher', 'MEMBER')
                             THEN 'loaded' ELSE 'no_game' END;
    ELSIF game = 'agrees' AND EXISTS (
            SELECT FROM tallory.games g JOIN tallory.game_ends e ON e.game = g.id
            WHERE g.id = NEW.id AND g.lesson = NEW.lesson AND g.student = NEW.name
              AND e.levels_passed = NEW.levels AND e.grade = NEW.grade) THEN
        NEW.standing := 'agrees';
    ELSE
        NEW.standing := 'disagrees';
    END IF;
    RETURN NEW;
END
$$;

CREATE TRIGGER results_judged BEFORE INSERT ON tallory.results
    FOR EACH ROW EXECUTE FUNCTION tallory.judge_record();

-- Records stored before this version are judged once, by the same rules; their sender is not
-- known, so a record without a game counts as loaded from a file, as it did.
UPDATE tallory.results r SET standing = CASE tallory.game_standing(r.id)
    WHEN 'no_game' THEN 'loaded'
    WHEN 'agrees' THEN CASE WHEN EXISTS (
            SELECT FROM tallory.games g JOIN tallory.game_ends e ON e.game = g.id
            WHERE g.id = r.id AND g.lesson = r.lesson AND g.student = r.name
              AND e.levels_passed = r.levels AND e.grade = r.grade) THEN 'agrees' ELSE 'disagrees' END
    ELSE 'disagrees' END;
ALTER TABLE tallory.results ALTER COLUMN standing SET NOT NULL;

-- A machine whose journal could not be written (damaged, read-only, locked, full) sends what
-- it can straight from memory, and says so here, for the teacher.
CREATE TABLE tallory.journal_failures (
    id             uuid PRIMARY KEY,
    machine        text NOT NULL CHECK (pg_catalog.length(machine) <= 2047),
    noted          timestamptz NOT NULL,
    reason         text NOT NULL CHECK (pg_catalog.length(reason) <= 2047),
    received       timestamptz NOT NULL DEFAULT pg_catalog.now(),
    sender         text DEFAULT session_user,
    sender_address inet DEFAULT pg_catalog.inet_client_addr()
);
REVOKE ALL ON tallory.journal_failures FROM PUBLIC;
GRANT INSERT (id, machine, noted, reason) ON tallory.journal_failures TO tallory_game;
GRANT SELECT ON tallory.journal_failures TO tallory_teacher;

-- The attempt guard counts only what a game stands behind: a record that agrees with its game
-- or that a teacher loaded, and a graded end that agrees with its answers. A row inserted by
-- hand with the class's password refuses nobody. It answers one thing about one name: whether
-- that name may sit that lesson now ('graded', 'unfinished' or NULL); whoever may call it (the
-- game's role) can therefore learn, name by name, whether someone sat a lesson.
CREATE OR REPLACE FUNCTION tallory.attempt_refusal(lesson text, name text, count_unfinished boolean DEFAULT true)
    RETURNS text
    LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
AS $$
    SELECT CASE
        WHEN EXISTS (SELECT FROM tallory.results r
                     WHERE r.lesson = attempt_refusal.lesson AND r.name = attempt_refusal.name
                       AND r.standing IN ('agrees', 'loaded'))
          OR EXISTS (SELECT FROM tallory.games g JOIN tallory.game_ends e ON e.game = g.id
                     WHERE g.lesson = attempt_refusal.lesson AND g.student = attempt_refusal.name
                       AND e.grade IS NOT NULL AND tallory.game_standing(g.id) = 'agrees')
        THEN 'graded'
        WHEN count_unfinished
         AND EXISTS (SELECT FROM tallory.games g
                     WHERE g.lesson = attempt_refusal.lesson AND g.student = attempt_refusal.name
                       AND NOT EXISTS (SELECT FROM tallory.game_ends e WHERE e.game = g.id))
        THEN 'unfinished'
    END
$$;

REVOKE ALL ON FUNCTION tallory.grade_for(integer), tallory.levels_in_a_row(uuid), tallory.game_standing(uuid),
    tallory.judge_record() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION tallory.grade_for(integer), tallory.levels_in_a_row(uuid), tallory.game_standing(uuid)
    TO tallory_teacher;

-- The class's logins share one connection limit each, so that machines left running (or a
-- student opening sessions by hand) cannot take every connection the server has and lock the
-- teacher out. Done here where the owner may (CREATEROLE); "server check" names any login of
-- the game's role still without a limit.
DO $$
DECLARE
    login name;
BEGIN
    FOR login IN SELECT m.rolname FROM pg_catalog.pg_auth_members a
                 JOIN pg_catalog.pg_roles r ON r.oid = a.roleid JOIN pg_catalog.pg_roles m ON m.oid = a.member
                 WHERE r.rolname = 'tallory_game' AND m.rolcanlogin AND m.rolconnlimit < 0 AND NOT m.rolsuper LOOP
        BEGIN
            EXECUTE format('ALTER ROLE %I CONNECTION LIMIT 60', login);
        EXCEPTION WHEN insufficient_privilege THEN
            NULL;
        END;
    END LOOP;
END
$$;

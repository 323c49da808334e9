-- Tallory on a school's PostgreSQL server, schema version 2.
--
-- Attempts let in without the server's word: when a machine cannot reach the server as a game
-- starts, its own results file decides, and the machine sends this row once the server answers
-- again, so that the teacher sees which attempts the school-wide guard never checked.
CREATE TABLE tallory.unchecked_attempts (
    game     uuid PRIMARY KEY,
    lesson   text NOT NULL,
    student  text NOT NULL,
    machine  text NOT NULL,
    noted    timestamptz NOT NULL,
    reason   text NOT NULL,
    received timestamptz NOT NULL DEFAULT pg_catalog.now()
);
REVOKE ALL ON tallory.unchecked_attempts FROM PUBLIC;
GRANT INSERT (game, lesson, student, machine, noted, reason) ON tallory.unchecked_attempts TO tallory_game;
GRANT SELECT ON tallory.unchecked_attempts TO tallory_teacher;

-- A school that starts using a server loads the results files and journals it kept so far
-- (the workbench's «Загрузить файлы на сервер»). The teacher adds rows exactly as a game does,
-- with the same ids, so that a file loaded twice, or a game that sent its rows itself, is
-- stored once; nobody but the owner may change or delete a row.
GRANT INSERT (id, lesson, name, levels, grade, machine, recorded) ON tallory.results TO tallory_teacher;
GRANT INSERT (id, lesson, student, machine, bank_file, bank_sha256, started) ON tallory.games TO tallory_teacher;
GRANT INSERT (game, ended, ending, levels_passed, grade) ON tallory.game_ends TO tallory_teacher;
GRANT INSERT (game, level, bank_index, question_sha256, shown, question, answer_a, answer_b, answer_c,
              answer_d, right_button, clicked_button, chosen, ms, fifty_blanked, votes_a, votes_b,
              votes_c, votes_d, friend_reply, tease) ON tallory.answers TO tallory_teacher;

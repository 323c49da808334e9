-- Tallory on a school's PostgreSQL server, schema version 4.
--
-- The class server: a student playing from a browser who left the page (another tab, another
-- app, a locked screen) while a question was open. The teacher sees how often, and where.
CREATE TABLE tallory.page_leaves (
    game           uuid NOT NULL REFERENCES tallory.games (id),
    seq            smallint NOT NULL CHECK (seq >= 1),
    level          smallint NOT NULL CHECK (level BETWEEN 1 AND 15),
    left_at        timestamptz NOT NULL,
    received       timestamptz NOT NULL DEFAULT pg_catalog.now(),
    sender         text DEFAULT session_user,
    sender_address inet DEFAULT pg_catalog.inet_client_addr(),
    PRIMARY KEY (game, seq)
);
REVOKE ALL ON tallory.page_leaves FROM PUBLIC;
GRANT INSERT (game, seq, level, left_at) ON tallory.page_leaves TO tallory_game;
GRANT SELECT ON tallory.page_leaves TO tallory_teacher;

-- The first statement would succeed; the second cannot: nothing of the file may stay.
CREATE TABLE tallory.half_done (x integer);
ALTER TABLE tallory.no_such_table ADD COLUMN y integer;

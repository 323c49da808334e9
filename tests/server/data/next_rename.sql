-- Works only after next_lessons.sql.
ALTER VIEW tallory.lessons_seen RENAME TO lessons_known;

-- Works only after 002.
ALTER VIEW tallory.lessons_seen RENAME TO lessons_known;

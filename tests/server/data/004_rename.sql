-- Works only after 003.
ALTER VIEW tallory.lessons_seen RENAME TO lessons_known;

#pragma once
// The records of a results file, read line by line with the rules the game's INI reader
// follows, so that every record is listed: the ones the game reads, the ones it cannot
// read because an earlier entry hides them, and damaged ones.

#include <QByteArray>
#include <QString>

#include <vector>

struct ResultEntry {
    enum class State {
        Intact,   ///< a record as the game writes it
        Damaged,  ///< not NAME|levels|grade word, or the name's checksum differs from the key
        Hidden,   ///< well formed, but an earlier section or key hides it from the game
        Mismatch, ///< well formed, but the grade does not follow from the levels passed
    };
    int line = 0;        ///< 1-based line of the file
    QByteArray lesson;   ///< the section name, as stored
    QByteArray key;      ///< the key, as stored (the checksum the game looks up)
    QByteArray name;     ///< the name of the record; empty when it cannot be made out
    int levels = -1;     ///< levels passed, -1 when they cannot be made out
    QByteArray grade;    ///< the grade word, as stored
    State state = State::Intact;
    QString reason;      ///< why the record is not intact
};

/// Every record of the bytes of a results file, in file order. Lines that are neither a section,
/// a comment nor a key are listed as damaged too, with the line itself as the key.
std::vector<ResultEntry> ReadResultEntries(const QByteArray &text);

/// The state for a reader: "в порядке", or the state and its reason.
QString StateText(const ResultEntry &entry);

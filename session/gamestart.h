#pragma once
// Whether a game may start: the lesson code and the name a student typed, weighed against the
// settings file, the lesson's bank and the results file. No window here: the window asks and
// shows, this decides.

#include "faq.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

/// What a start decided. A refused start still carries what it had read by then (the lesson
/// code, the bank, the name), as the window keeps those until the next start.
struct GameStart {
    std::optional<QByteArray> lessonCode; ///< upper case, Windows-1251; set once it can be stored
    /// The codes that are this lesson (lessonCode first): those naming the same bank file. An
    /// attempt under any of them is an attempt at this lesson.
    QList<QByteArray> lessonCodes;
    std::optional<FaqText> bank;          ///< the lesson's bank, once read
    QString bankName;                     ///< the bank's file name, once read
    QString bankPath;                     ///< the bank's path, once read
    std::optional<QByteArray> playerName; ///< upper case, Windows-1251; set once it can be stored
    QString refusal;                      ///< the message the student is shown; empty when the game starts
    bool fileFailure = false;             ///< the refusal is a file that could not be read, not the input

    bool allowed() const { return refusal.isEmpty(); }
};

/// Decides a start on programFolder for the lesson code typed (empty when cancelled). askName
/// gives the name typed (empty when cancelled); it is called only once the lesson's bank is
/// read, so that nobody types a name for a lesson without questions. The checks come in this
/// order, and the first that fails refuses: the lesson code can be stored, the settings file
/// names a bank file for it that is there, the bank can be read, the name can be stored and is
/// not blank, a record of it would be stored intact, the results file can be read and holds no
/// record of this name in this lesson (under any code naming the lesson's bank), and it can be
/// written.
GameStart DecideGameStart(const QString &programFolder, const QString &typedLesson,
                          const std::function<QString()> &askName);

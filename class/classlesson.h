#pragma once
// The lesson code a student typed, weighed as a join weighs it before the name: typed at all,
// storable in the bank's code page, open in this room, and (for the desktop's question before
// the name) its bank there to be read. Nothing here writes.

#include "classroom.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

/// The code typed, upper case in the bank's code page, or the refusal for it: 400 blank or
/// unencodable (the desktop's words), 404 not open among open.
std::variant<QByteArray, ClassReply> OpenLessonCode(const QString &typed, const QString &folder,
                                                    const QList<QByteArray> &open);

/// Whether a join with the code typed could go on to ask the name: 200 {"lesson": the code as
/// stored}, a refusal of OpenLessonCode, or 422 naming the lesson when its bank is missing or
/// cannot be read.
ClassReply AskLesson(const QString &typed, const QString &folder, const QList<QByteArray> &open);

/// The lessons a room on folder opens: those of asked (every lesson of tallory.ini when empty).
struct OpenedLessons {
    QString problem;         ///< why the room cannot open, in Russian; empty when it can
    QStringList open;        ///< the codes, upper case
    QList<QByteArray> codes; ///< the same in the bank's code page
};
OpenedLessons OpenLessons(const QString &folder, const QStringList &asked);

#pragma once
// Which lesson codes are one lesson. A bank is the lesson: two codes whose sections in the
// settings file name the same bank file (DEMO beside ДЕМО, typed on a Latin keyboard) are two
// spellings of one lesson, so a student who sat it under one sits it under neither again. Each
// record stays under the code its game was started with.

#include <QByteArray>
#include <QList>
#include <QString>

/// The lesson codes (Windows-1251) that name the same bank file as lessonCode in the settings
/// file of programFolder: lessonCode itself first, as given, then the others upper-cased, as a
/// student's typed code is. Only lessonCode when its section names no bank file that is there.
QList<QByteArray> SameLessonCodes(const QString &programFolder, const QByteArray &lessonCode);

/// The same for a settings text already read (tallory.ini's bytes).
QList<QByteArray> SameLessonCodesIn(const QByteArray &settingsText, const QString &programFolder,
                                    const QByteArray &lessonCode);

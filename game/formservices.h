#pragma once
// What the main window is handed when it is built: time, sound, dialogs, banners, chance and
// the few platform actions, so that tests can drive whole games without a screen or a clock.

#include "attemptguard.h"
#include "audiencepane.h"

#include <QSize>
#include <QString>
#include <functional>

class Banners;
class Dialogs;
class GameRecorder;
class Pacer;
class RandomSource;
class SoundBackend;
class QWidget;

struct FormServices {
    Pacer *pacer = nullptr;
    SoundBackend *sound = nullptr;
    Dialogs *dialogs = nullptr;
    Banners *banners = nullptr;
    RandomSource *random = nullptr;
    /// Keeps the record of every game and answer (the journal); none keeps nothing.
    GameRecorder *recorder = nullptr;
    /// Ends the program at once.
    std::function<void()> terminate;
    /// Hands a web address or a mail link to the desktop.
    std::function<void(const QString &)> openLink;
    /// Sends the illustration pane to an address; the program creates its browser on first use.
    std::function<void(QWidget *pane, const QString &address)> browse;
    /// Fills the audience panel with the poll chart; the program creates its chart on first use.
    std::function<void(QWidget *panel, const QList<AudienceBar> &bars)> audience;
    /// The program folder, ending in "/".
    QString programFolder;
    /// The screen the window is laid out for.
    QSize screen;
    /// Large print asked for on the command line; the settings may ask for it as well.
    bool largePrint = false;
    /// The school's server's attempt guard for a lesson and a name (decoded, upper case) and
    /// whether unfinished games count; none when no server is named. Returns within its bound.
    std::function<SchoolAttempt(const QString &lesson, const QString &name, bool countUnfinished)> askSchool = {};
    /// The folder was named with --folder: the school's folder of data (the machine's, a lab
    /// share), not the program's own, so the start-up housekeeping leaves it alone.
    bool folderNamed = false;
};

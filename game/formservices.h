#pragma once
// What the main window is handed when it is built: time, sound, dialogs, banners, chance and
// the few platform actions, so that tests can drive whole games without a screen or a clock.

#include "attemptguard.h"
#include "audiencepane.h"

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class Banners;
class GameRules;
class Dialogs;
class GameRecorder;
class Pacer;
class RandomSource;
class SoundBackend;
class QWidget;

/// What rules that run elsewhere tell the window between its calls.
struct RulesHooks {
    /// The server does not answer: the line to show and say; empty once it answers again.
    std::function<void(const QString &text)> waiting;
    /// The game on screen ended or was lost on the server (see GameRules::gone).
    std::function<void()> gone;
};

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
    /// Class mode: makes the rules of the class server the settings or the command line name,
    /// with what the window is to be told. None: the rules run here, on the program folder.
    std::function<std::unique_ptr<GameRules>(const RulesHooks &hooks)> classRules = {};
    /// A class server is named but cannot be asked (its address is blank or not understood):
    /// what F2 says. No game starts then, and the program folder's own lessons are not a way round.
    QString classProblem = {};
};

#pragma once
// What the program folder's settings file (tallory.ini) says of the game itself, read in one go:
// the host's picture, the attempt rule, the hall, large print, the layout of the screen size,
// the school's server and the class server. Everything else in the file names lessons and their
// banks.

#include "layoutprofile.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

struct GameSettings {
    /// "[настройки] Ведущий": the host's picture in FOTO/; empty for the built-in one.
    QByteArray host;
    /// "[настройки] Попытка=строго": a game left unfinished counts as the attempt.
    bool strictAttempts = false;
    /// "[настройки] Зал=класс": the audience shows how the lesson's students answered.
    bool hallIsClass = false;
    /// "[настройки] Крупно=1": large print, as the command line's option asks.
    bool largePrint = false;
    /// The section of the screen size ("[1024x768]"); the defaults where there is none.
    LayoutProfile layout;
    /// "[сервер] Служба": the libpq service of the school's server; empty when none is named.
    QString serverService;
    /// "[класс] Адрес": the class server whose lessons this machine plays (class mode); none when
    /// the key is absent. Present but blank is a mistake of the settings, said when a game starts.
    std::optional<QString> classServer;
};

/// Reads the settings of programFolder (ending in "/"); a file that is missing or cannot be read
/// gives the defaults. screen picks the layout profile; an empty size leaves it at its defaults.
GameSettings ReadGameSettings(const QString &programFolder, QSize screen = {});

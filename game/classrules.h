#pragma once
// The class server's rules for the game window: a ClassSession on the server's address, telling
// the window when the server does not answer and when the game on screen is gone.

#include "formservices.h"
#include "gamerules.h"

#include <QUrl>

#include <memory>

/// Rules that ask server for every decision; programFolder (ending in "/") is only looked at
/// for the window's settings, and this machine's name goes with the join.
std::unique_ptr<GameRules> MakeClassRules(const QUrl &server, const QString &programFolder, const RulesHooks &hooks);

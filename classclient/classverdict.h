#pragma once
// The server's verdict EVENT as the window's Verdict: the same banner, clip and ladder as the
// desktop's own session would have given for the same click.

#include "gamesession.h"

#include <QJsonObject>

/// The Verdict of an answer's EVENT; level is the level on screen when the answer was given.
Verdict VerdictOf(const QJsonObject &event, int level);

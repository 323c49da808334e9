#pragma once
// What a screen reader finds in the game window beyond Qt's own controls and our painted
// widgets: the ladder as a list of fifteen levels with the current one selected, the host's
// banners as notifications, and the lifelines marked once used.

#include <QString>
#include <QStringList>

#include <array>

class QAction;
class QToolButton;

/// Makes Qt find the game's own interfaces. Call once, after the application object exists;
/// calling again changes nothing.
void InstallGameAccessibility();

/// What the idle screen tells a reader.
inline const QString kIdleHint = QStringLiteral("Нажмите F2, чтобы начать тест-игру.");

/// The word a used lifeline's toolbar and menu items carry for a reader.
inline const QString kLifelineUsed = QStringLiteral("использована");

/// Tells a reader that a lifeline was used in this game (or, for a new game, that it is
/// there again): the toolbar item's description and the menu item's status tip.
void MarkLifelineUsed(QAction *menuItem, QToolButton *toolItem, bool used);

/// What a reader says as a question shows: its level and points, its text, the four answers
/// as captioned (captions[1..4], "A. …").
QString QuestionAnnouncement(int level, const QString &question, const std::array<QString, 5> &captions);

/// The text as one sentence: a full stop added unless it already ends with one, or with a
/// question mark, an exclamation or an ellipsis.
QString Sentence(const QString &text);

/// What a reader says when fifty-fifty has removed two answers (their buttons' tags, 1 to 4).
QString FiftyFiftyAnnouncement(const std::array<int, 2> &removed);

/// What a reader says when the audience has voted: its marks ("A 40 %") in the chart's order.
QString AudienceAnnouncement(const QStringList &marks);

/// What a reader says after the click: right, or wrong with the right answer's caption.
QString VerdictAnnouncement(bool right, const QString &rightCaption);

/// How a reader names a ladder row: the level and the points it brings ("5: 1000 очков": digits alone, which a reader says as a number).
QString LadderRowName(int level);

/// How a reader describes a ladder row, given the level on screen (0 when there is no game):
/// a milestone names the grade it secures, and a level below the current one is passed.
QString LadderRowDescription(int level, int currentLevel);

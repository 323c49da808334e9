#pragma once
// The layout of the main window for one screen size, from the settings file.

#include <QByteArray>
#include <QString>

struct LayoutProfile {
    int answerFont = 13;    ///< "Ответ": font size of the four answer buttons
    int ladderWidth = 160;  ///< "Уровень-Ширина": width of the ladder panel
    int ladderLeft = 635;   ///< "Уровень-Слева": left edge of the ladder panel
    int questionFont = 16;  ///< "Вопрос-шрифт": font size of the question box
    int questionTop = 480;  ///< "Вопрос-сверху": top edge of the question box
    int rowIndent = 26;     ///< "Уровень-отступ": left edge of each ladder row in its panel
    int boardHeight = 50;   ///< "Табло-высота": height of the board
};

/// The section name of a screen size: width, "x", height.
QByteArray LayoutProfileName(int screenWidth, int screenHeight);

/// Reads the seven layout keys of the screen size from the settings file; every key that is
/// missing or not an integer keeps its default.
LayoutProfile ReadLayoutProfile(const QString &settingsPath, int screenWidth, int screenHeight);

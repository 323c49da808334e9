#include "layoutprofile.h"

#include "cp1251.h"
#include "inifile.h"

QByteArray LayoutProfileName(int screenWidth, int screenHeight)
{
    return QByteArray::number(screenWidth) + 'x' + QByteArray::number(screenHeight);
}

LayoutProfile ReadLayoutProfile(const QString &settingsPath, int screenWidth, int screenHeight)
{
    const QByteArray section = LayoutProfileName(screenWidth, screenHeight);
    LayoutProfile p;
    auto read = [&](const char16_t *key, int &field) {
        field = IniReadInteger(settingsPath, section, cp1251::text(key), field);
    };
    read(u"Ответ", p.answerFont);
    read(u"Уровень-Ширина", p.ladderWidth);
    read(u"Уровень-Слева", p.ladderLeft);
    read(u"Вопрос-шрифт", p.questionFont);
    read(u"Вопрос-сверху", p.questionTop);
    read(u"Уровень-отступ", p.rowIndent);
    read(u"Табло-высота", p.boardHeight);
    return p;
}

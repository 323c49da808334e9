#include "layoutprofile.h"

#include "cp1251.h"
#include "inifile.h"
#include "lockedfile.h"

QByteArray LayoutProfileName(int screenWidth, int screenHeight)
{
    return QByteArray::number(screenWidth) + 'x' + QByteArray::number(screenHeight);
}

LayoutProfile ReadLayoutProfile(const QString &settingsPath, int screenWidth, int screenHeight)
{
    const QByteArray section = LayoutProfileName(screenWidth, screenHeight);
    LayoutProfile p;
    // The file is read once for all seven keys: the window reads its profile as it starts.
    const auto file = ReadWholeFile(settingsPath);
    if (!file.ok() || !file.value)
        return p;
    auto read = [&](const char16_t *key, int &field) {
        if (const auto value = IniFindValue(*file.value, section, cp1251::text(key)))
            field = ParseIniInteger(*value).value_or(field);
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

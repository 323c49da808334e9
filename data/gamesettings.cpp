#include "gamesettings.h"

#include "cp1251.h"
#include "files.h"
#include "inifile.h"
#include "lockedfile.h"

GameSettings ReadGameSettings(const QString &programFolder, QSize screen)
{
    GameSettings s;
    const QString path = SettingsFilePath(programFolder);
    if (!screen.isEmpty())
        s.layout = ReadLayoutProfile(path, screen.width(), screen.height());
    // The file is read once for every key, as the game starts.
    const auto file = ReadWholeFile(path);
    if (!file.ok() || !file.value)
        return s;
    const auto value = [&](const char16_t *section, const char16_t *key) {
        return IniFindValue(*file.value, cp1251::text(section), cp1251::text(key)).value_or(QByteArray());
    };
    s.host = value(u"настройки", u"Ведущий");
    s.strictAttempts = cp1251::equalsNoCase(value(u"настройки", u"Попытка"), cp1251::text(u"строго"));
    s.hallIsClass = cp1251::equalsNoCase(value(u"настройки", u"Зал"), cp1251::text(u"класс"));
    s.largePrint = value(u"настройки", u"Крупно").trimmed() == "1";
    s.serverService = cp1251::decode(value(u"сервер", u"Служба")).trimmed();
    if (const auto address = IniFindValue(*file.value, cp1251::text(u"класс"), cp1251::text(u"Адрес")))
        s.classServer = cp1251::decode(*address).trimmed();
    return s;
}

#include "settingsencoding.h"

#include "files.h"
#include "lockedfile.h"

#include <QDir>
#include <QStringDecoder>

#include <algorithm>

bool SavedInUtf8(QByteArrayView bytes)
{
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!beyondAscii)
        return false;
    // Stateless: a sequence cut at the very end is not UTF-8 either, as Windows-1251 text may
    // end in any letter.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder(bytes); // the decoder runs only when its result is taken
    return !decoded.isNull() && !decoder.hasError();
}

QString SettingsEncodingProblem(const QString &programFolder)
{
    const QString path = SettingsFilePath(programFolder);
    const auto bytes = ReadWholeFile(path);
    if (!bytes.ok() || !bytes.value || !SavedInUtf8(*bytes.value))
        return {};
    return QStringLiteral("Файл настроек «%1» сохранён в кодировке UTF-8, а программа читает его в Windows-1251: "
                          "русские названия в нём (коды занятий, ключ «Вопросник», разделы [настройки] и [сервер]) "
                          "не находятся. Сохраните его в Windows-1251, например кнопкой «Перевести в Windows-1251» "
                          "на вкладке «Занятия» мастерской учителя.")
        .arg(QDir::toNativeSeparators(path));
}

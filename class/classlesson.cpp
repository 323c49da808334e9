#include "classlesson.h"

#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "gamestart.h"
#include "inifile.h"
#include "lockedfile.h"

#include <QDir>
#include <QFileInfo>

namespace {

ClassReply refusal(int status, const QString &why)
{
    return {status, {{QStringLiteral("error"), why}}};
}

} // namespace

std::variant<QByteArray, ClassReply> OpenLessonCode(const QString &typed, const QString &folder,
                                                    const QList<QByteArray> &open)
{
    if (typed.trimmed().isEmpty())
        return refusal(400, QStringLiteral("Введите код занятия."));
    const auto bytes = cp1251::encode(typed);
    if (!bytes)
        return refusal(400, DecideGameStart(folder, typed, [] { return QString(); }).refusal);
    const QByteArray code = cp1251::upper(*bytes);
    if (!open.contains(code))
        return refusal(404, QStringLiteral("Занятие «%1» не открыто.").arg(cp1251::decode(code)));
    return code;
}

ClassReply AskLesson(const QString &typed, const QString &folder, const QList<QByteArray> &open)
{
    const auto checked = OpenLessonCode(typed, folder, open);
    if (const auto *refused = std::get_if<ClassReply>(&checked))
        return *refused;
    const QString code = cp1251::decode(std::get<QByteArray>(checked));
    // The start's own checks up to the name: the name is asked only once the bank is read, and
    // the blank one given here stops it there, before anything of the results file is weighed.
    bool nameAsked = false;
    const GameStart start = DecideGameStart(folder, typed, [&] {
        nameAsked = true;
        return QString();
    });
    if (!nameAsked)
        return refusal(422, QStringLiteral("Занятие «%1»: %2").arg(code, start.refusal));
    return {200, {{QStringLiteral("lesson"), code}}};
}

OpenedLessons OpenLessons(const QString &folder, const QStringList &asked)
{
    OpenedLessons opened;
    QString &problem = opened.problem;
    QList<QByteArray> &openBytes = opened.codes;
    const QString settings = SettingsFilePath(folder);
    if (!QFileInfo::exists(settings)) {
        problem = QStringLiteral("В папке %1 нет файла tallory.ini.").arg(QDir::toNativeSeparators(folder));
        return opened;
    }
    const auto read = ReadWholeFile(settings);
    if (!read.ok()) {
        problem = read.error;
        return opened;
    }
    const QByteArray text = read.value.value_or(QByteArray());
    QList<QByteArray> lessons;
    for (const QByteArray &section : IniSectionNames(text)) {
        if (IniFindValue(text, section, LessonBankKey()) && !lessons.contains(cp1251::upper(section)))
            lessons.append(cp1251::upper(section));
    }
    if (asked.isEmpty()) {
        openBytes = lessons;
    } else {
        for (const QString &one : asked) {
            const auto code = cp1251::encode(one);
            if (!code || !lessons.contains(cp1251::upper(*code))) {
                problem = QStringLiteral("В tallory.ini нет занятия «%1».").arg(one);
                return opened;
            }
            if (!openBytes.contains(cp1251::upper(*code)))
                openBytes.append(cp1251::upper(*code));
        }
    }
    if (openBytes.isEmpty()) {
        problem = QStringLiteral("В tallory.ini нет ни одного занятия.");
        return opened;
    }
    for (const QByteArray &code : openBytes)
        opened.open << cp1251::decode(code);
    if (!QFileInfo(folder).isWritable())
        problem = QStringLiteral("В папку %1 нельзя записывать: результаты и журнал некуда сохранить.")
                      .arg(QDir::toNativeSeparators(folder));
    return opened;
}

#include "lessoncodes.h"

#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "lockedfile.h"

#include <QFileInfo>

namespace {

// One file however it is named: a relative and an absolute path, or a link, lead to one bank.
QString bankIdentity(const QByteArray &settingsText, const QByteArray &section, const QString &programFolder)
{
    const auto configured = IniFindValue(settingsText, section, LessonBankKey());
    if (!configured)
        return {};
    const QString file = FindBankFile(*configured, programFolder);
    return file.isEmpty() ? QString() : QFileInfo(file).canonicalFilePath();
}

} // namespace

QList<QByteArray> SameLessonCodesIn(const QByteArray &settingsText, const QString &programFolder,
                                    const QByteArray &lessonCode)
{
    QList<QByteArray> codes{lessonCode};
    const QString bank = bankIdentity(settingsText, lessonCode, programFolder);
    if (bank.isEmpty())
        return codes;
    for (const QByteArray &section : IniSectionNames(settingsText)) {
        if (!cp1251::equalsNoCase(section, lessonCode) && bankIdentity(settingsText, section, programFolder) == bank)
            codes.append(cp1251::upper(section));
    }
    return codes;
}

QList<QByteArray> SameLessonCodes(const QString &programFolder, const QByteArray &lessonCode)
{
    const auto text = ReadWholeFile(SettingsFilePath(programFolder));
    const QByteArray bytes = text.ok() ? text.value.value_or(QByteArray()) : QByteArray();
    return SameLessonCodesIn(bytes, programFolder, lessonCode);
}

#include "programfolder.h"

#include "files.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kFolderOption = QStringLiteral("folder");
} // namespace

void AddFolderOption(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(kFolderOption,
                                        QStringLiteral("Папка с настройками, вопросниками и результатами. "
                                                       "По умолчанию установленная программа берёт папку из "
                                                       "/etc/tallory/folder.conf, а копия, запущенная из своей "
                                                       "папки, — свою папку."),
                                        QStringLiteral("PATH")));
}

Result<QString> ProgramFolderFromArguments(const QCommandLineParser &parser)
{
    if (!parser.isSet(kFolderOption))
        return Result<QString>::success(ProgramFolder());
    const QString named = parser.value(kFolderOption);
    if (named.isEmpty())
        return Result<QString>::failure(QStringLiteral("Папка программы не указана."));
    // Made absolute but not resolved: a share reached through a link keeps the name it was given.
    const QFileInfo info(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(named)));
    if (!info.exists())
        return Result<QString>::failure(QStringLiteral("Папка программы «%1» не найдена.").arg(named));
    if (!info.isDir())
        return Result<QString>::failure(QStringLiteral("«%1» — это файл, а не папка.").arg(named));
    // A lab share that is not mounted leaves its mount point behind, an empty folder: nothing could
    // be played there and the results would stay on this machine, so a folder without settings is
    // refused rather than taken for the share.
    if (!QFileInfo::exists(SettingsFilePath(info.absoluteFilePath() + QLatin1Char('/'))))
        return Result<QString>::failure(QStringLiteral("В папке программы «%1» нет файла настроек tallory.ini: "
                                                       "похоже, сетевая папка класса не подключена. Подключите её "
                                                       "(в новую папку положите tallory.ini) и запустите программу "
                                                       "снова.")
                                            .arg(named));
    QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return Result<QString>::success(folder);
}

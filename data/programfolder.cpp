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
                                        QStringLiteral("Папка с настройками, вопросниками и результатами "
                                                       "(по умолчанию папка программы)."),
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
    QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return Result<QString>::success(folder);
}

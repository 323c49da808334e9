#include "userfile.h"

#include "lockedfile.h"

Result<QByteArray> ReadInputFile(const QString &path)
{
    const auto bytes = ReadWholeFile(path);
    if (!bytes.ok())
        return Result<QByteArray>::failure(bytes.error);
    if (!bytes.value)
        return Result<QByteArray>::failure(QStringLiteral("Нет файла «%1»").arg(path));
    return Result<QByteArray>::success(*bytes.value);
}

Status WriteOutputFile(const QString &path, const QByteArray &bytes)
{
    // Under the lock, like every file the programs write: a bank saved by the workbench while
    // the packer writes it too ends as one or the other, never a mix.
    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &) {
        return Result<std::optional<QByteArray>>::success(bytes);
    });
    if (!s.ok())
        return Status::failure(QStringLiteral("Не удаётся записать файл «%1»: %2").arg(path, s.error));
    return s;
}

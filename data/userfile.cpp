#include "userfile.h"

#include "lockedfile.h"

#include <QFileInfo>

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
    // Its messages name the file and the cause already.
    return ReplaceFileLocked(path, [&](const std::optional<QByteArray> &) {
        return Result<std::optional<QByteArray>>::success(bytes);
    });
}

Result<QString> KeepCopyBeside(const QString &path, const QByteArray &bytes, const QString &label)
{
    // Beside the file under the name the teacher gave it, so the message names it as she did.
    const QString extension = QFileInfo(path).suffix();
    const QString suffix = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    const QString stem = path.chopped(suffix.size());
    constexpr int kTries = 1000;
    for (int n = 1; n <= kTries; ++n) {
        const QString copy = stem + QStringLiteral(" (%1)").arg(n == 1 ? label : QStringLiteral("%1 %2").arg(label).arg(n)) + suffix;
        bool taken = false;
        // Under the copy's own lock: a copy that appeared meanwhile is left as it is.
        const Status s = ReplaceFileLocked(copy, [&](const std::optional<QByteArray> &current) {
            taken = current.has_value();
            return Result<std::optional<QByteArray>>::success(taken ? std::nullopt : std::optional(bytes));
        });
        if (!s.ok())
            return Result<QString>::failure(s.error);
        if (!taken)
            return Result<QString>::success(copy);
    }
    return Result<QString>::failure(QStringLiteral("Рядом с «%1» уже %2 копий: уберите лишние.").arg(path).arg(kTries));
}

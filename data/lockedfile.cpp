#include "lockedfile.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

namespace {
// Generous: a copy of the program on a slow network folder may hold the lock for a while.
constexpr int kLockWaitMs = 15000;
} // namespace

Result<std::optional<QByteArray>> ReadWholeFile(const QString &path)
{
    using R = Result<std::optional<QByteArray>>;
    QFileInfo info(path);
    if (!info.exists())
        return R::success(std::nullopt);
    if (info.isDir())
        return R::failure(QStringLiteral("«%1» — это папка, а не файл").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return R::failure(QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(path, file.errorString()));
    return R::success(std::move(bytes));
}

Status ReplaceFileLocked(const QString &path, const FileChange &change)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return Status::failure(QStringLiteral("Файл «%1» занят другой программой").arg(path));

    const auto current = ReadWholeFile(path);
    if (!current.ok())
        return Status::failure(current.error);
    const auto next = change(current.value);
    if (!next.ok())
        return Status::failure(next.error);
    if (!next.value)
        return Status::success();

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return Status::failure(out.errorString());
    if (out.write(*next.value) != next.value->size()) {
        out.cancelWriting();
        return Status::failure(out.errorString());
    }
    if (!out.commit())
        return Status::failure(out.errorString());
    return Status::success();
}

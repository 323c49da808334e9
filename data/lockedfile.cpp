#include "lockedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace {
// Generous: a copy of the program on a slow network folder may hold the lock for a while.
constexpr int kLockWaitMs = 15000;
constexpr int kLockRetryMs = 50;
// More links than this in a chain is a loop, and the path is taken as it stands.
constexpr int kMaxLinks = 16;

// Why a file could not be read or written, in words a teacher acts on. Qt's own text is English
// (or, translated, says "canceled by application" once a save is abandoned), so the cause is
// taken from the system's error code, noted right after the failing call, and from Qt's kind of
// error when the system gave none.
QString fileErrorCause(QFileDevice::FileError error, int code)
{
    switch (code) {
    case ENOSPC: return QStringLiteral("на диске нет места");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("место на диске, отведённое пользователю, исчерпано");
#endif
    case EFBIG: return QStringLiteral("файл больше, чем система разрешает записать");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав доступа к файлу или его папке");
    case EROFS: return QStringLiteral("диск открыт только для чтения");
    case EIO: return QStringLiteral("ошибка ввода-вывода: диск или сетевая папка не отвечает");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("нет такой папки");
    case EISDIR: return QStringLiteral("это папка, а не файл");
    case ENAMETOOLONG: return QStringLiteral("слишком длинное имя файла");
    case EMFILE:
    case ENFILE: return QStringLiteral("открыто слишком много файлов");
    default: break;
    }
    switch (error) {
    case QFileDevice::ResourceError: return QStringLiteral("на диске нет места");
    case QFileDevice::PermissionsError: return QStringLiteral("нет прав доступа к файлу или его папке");
    case QFileDevice::OpenError: return QStringLiteral("файл не открывается");
    case QFileDevice::RenameError: return QStringLiteral("новый файл не встаёт на место прежнего");
    case QFileDevice::ReadError: return QStringLiteral("ошибка чтения");
    case QFileDevice::WriteError: return QStringLiteral("ошибка записи");
    default: return QStringLiteral("ошибка файловой системы (код %1)").arg(code);
    }
}

QString writeFailure(const QString &path, const QFileDevice &file, int code)
{
    return QStringLiteral("Не удаётся записать файл «%1»: %2").arg(path, fileErrorCause(file.error(), code));
}

QString readFailure(const QString &path, const QFileDevice &file, int code)
{
    return QStringLiteral("Не удаётся прочитать файл «%1»: %2").arg(path, fileErrorCause(file.error(), code));
}

// Takes an exclusive lock on the open file itself, waiting up to kLockWaitMs. Copies of the
// program that cannot make a lock file beside the file meet here instead.
bool lockOpenFile(QFile &file)
{
    const QDeadlineTimer deadline(kLockWaitMs);
    for (;;) {
#ifdef Q_OS_WIN
        // Windows locks forbid other handles to read the bytes they cover: lock one byte far
        // beyond any real end of file, so the attempt guard of another copy still reads.
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
        OVERLAPPED where{};
        where.OffsetHigh = 0x7FFFFFFF;
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where))
            return true;
#else
        if (::flock(file.handle(), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
#endif
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kLockRetryMs);
    }
}

// The write for a file that may be changed but whose folder may not (a protected lab install):
// neither a lock file nor a temporary file can be made beside it, so the file is locked itself
// and rewritten in place through the same handle. A crash mid-write can leave it cut short,
// the price of a folder that allows nothing else.
Status replaceInPlace(const QString &path, const FileChange &change)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite))
        return Status::failure(writeFailure(path, file, errno));
    if (!lockOpenFile(file))
        return Status::failure(QStringLiteral("Файл «%1» занят другой программой").arg(path));
    errno = 0;
    const QByteArray current = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::failure(readFailure(path, file, errno));
    const auto next = change(current);
    if (!next.ok())
        return Status::failure(next.error);
    if (!next.value)
        return Status::success();
    errno = 0;
    if (!file.seek(0) || file.write(*next.value) != next.value->size() || !file.resize(next.value->size())
        || !file.flush())
        return Status::failure(writeFailure(path, file, errno));
    return Status::success(); // closing the file releases its lock
}

// Whether anyone at all may make or remove entries in folder: a link found there may have been
// planted by any user of the machine.
bool OpenToAll(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return false;
#else
    struct stat st{};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return true; // what cannot be looked at is not trusted
    return (st.st_mode & S_IWOTH) != 0;
#endif
}

bool Inside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

// A path with its folders' links resolved (the file itself may be missing or a link).
QString RealFolderPath(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
}

} // namespace

// A file made anew gets the openness of its folder: a results file or journal in a folder shared
// by a group (or by all) must stay writable by the next member's copy of the program, whoever
// made it first.
void OpenLikeFolder(const QString &path)
{
#ifndef Q_OS_WIN
    struct stat folder{};
    if (::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) != 0)
        return;
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                     | QFile::ReadGroup | QFile::ReadOther;
    if (folder.st_mode & S_IWGRP)
        permissions |= QFile::WriteGroup;
    if (folder.st_mode & S_IWOTH)
        permissions |= QFile::WriteOther;
    QFile::setPermissions(path, permissions);
#else
    Q_UNUSED(path);
#endif
}

Result<QString> TrustedWriteTarget(const QString &path, const QString &within)
{
    const QString root = QFileInfo(within).canonicalFilePath();
    QString file = QFileInfo(path).absoluteFilePath();
    for (int links = 0; links < kMaxLinks; ++links) {
        const QFileInfo info(file);
        if (!info.isSymLink())
            return Result<QString>::success(file);
        const QString target = info.symLinkTarget();
        if (OpenToAll(info.absolutePath()))
            return Result<QString>::failure(
                QStringLiteral("«%1» — ссылка на «%2» в папке, куда может писать любой пользователь; через такую "
                               "ссылку программа не пишет")
                    .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(target)));
        if (root.isEmpty() || !Inside(RealFolderPath(target), root))
            return Result<QString>::failure(
                QStringLiteral("«%1» — ссылка на «%2» вне папки «%3»; через такую ссылку программа не пишет")
                    .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(target),
                         QDir::toNativeSeparators(within)));
        file = target;
    }
    return Result<QString>::failure(
        QStringLiteral("«%1» — цепочка ссылок без конца").arg(QDir::toNativeSeparators(path)));
}

Result<std::optional<QByteArray>> ReadWholeFile(const QString &path)
{
    using R = Result<std::optional<QByteArray>>;
    QFileInfo info(path);
    if (!info.exists())
        return R::success(std::nullopt);
    if (info.isDir())
        return R::failure(QStringLiteral("«%1» — это папка, а не файл").arg(path));
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(readFailure(path, file, errno));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return R::failure(readFailure(path, file, errno));
    return R::success(std::move(bytes));
}

QString LinkedFilePath(const QString &path)
{
    QString file = path;
    for (int links = 0; links < kMaxLinks; ++links) {
        const QFileInfo info(file);
        if (!info.isSymLink())
            return file;
        file = info.symLinkTarget(); // absolute, even when the link is relative or leads nowhere yet
    }
    return path;
}

Status ReplaceFileLocked(const QString &named, const FileChange &change)
{
    const QString path = LinkedFilePath(named);
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    errno = 0;
    if (!lock.tryLock(kLockWaitMs)) {
        // No lock file can be made: the folder is closed to us. An existing file may still be
        // open for writing, and then it is changed in place.
        if (lock.error() == QLockFile::PermissionError && QFileInfo(path).isFile())
            return replaceInPlace(path, change);
        if (lock.error() == QLockFile::LockFailedError)
            return Status::failure(QStringLiteral("Файл «%1» занят другой программой").arg(path));
        // A lock file that cannot be made on a full disk or in a closed folder says why.
        const int code = lock.error() == QLockFile::PermissionError ? EACCES : errno;
        return Status::failure(QStringLiteral("Не удаётся записать файл «%1»: %2")
                                   .arg(path, fileErrorCause(QFileDevice::UnspecifiedError, code)));
    }

    const auto current = ReadWholeFile(path);
    if (!current.ok())
        return Status::failure(current.error);
    const auto next = change(current.value);
    if (!next.ok())
        return Status::failure(next.error);
    if (!next.value)
        return Status::success();

    const bool made = !current.value.has_value();
    QSaveFile out(path);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly))
        return Status::failure(writeFailure(path, out, errno));
    if (out.write(*next.value) != next.value->size()) {
        const QString why = writeFailure(path, out, errno); // before cancelling, which puts its own error in place
        out.cancelWriting();
        return Status::failure(why);
    }
    if (!out.commit())
        return Status::failure(writeFailure(path, out, errno));
    if (made)
        OpenLikeFolder(path);
    return Status::success();
}

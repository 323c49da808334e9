#include "results.h"

#include "cp1251.h"
#include "faq.h"
#include "inifile.h"
#include "lockedfile.h"
#include "recordgroup.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>

#include <chrono>
#include <mutex>

#ifdef Q_OS_UNIX
#include <sys/statvfs.h>
#endif

QByteArray checks(QByteArrayView name)
{
    qint64 sum = 0;
    for (char c : name)
        sum += static_cast<unsigned char>(c);
    return QByteArray::number(sum);
}

QByteArray GradeWord(int currentLevel)
{
    if (currentLevel > 15)
        return cp1251::text(u"Отлично");
    if (currentLevel > 10)
        return cp1251::text(u"Хорошо");
    if (currentLevel > 5)
        return cp1251::text(u"Удовлетворительно");
    return cp1251::text(u"Неудовлетворительно");
}

QByteArray ResultRecord(QByteArrayView name, int currentLevel)
{
    return name.toByteArray() + '|' + QByteArray::number(currentLevel - 1) + '|' + GradeWord(currentLevel);
}

QString ResultsFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("tallory.rez");
}

QString RecordProblem(QByteArrayView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto scrambled = static_cast<unsigned char>(static_cast<unsigned char>(name[i]) ^ kScrambleKey);
        const bool breaks = scrambled == 0 || scrambled == '\n' || scrambled == '\r';
        // A leading blank or tab would be trimmed away when the record is read back.
        const bool trimmedAway = i == 0 && (scrambled == ' ' || scrambled == '\t');
        if (breaks || trimmedAway)
            return QStringLiteral("Символ %1 нельзя сохранить в файле результатов.")
                .arg(DescribeCharacter(cp1251::decode(name.sliced(i, 1))));
    }
    return {};
}

Result<bool> AttemptRecorded(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name)
{
    // The records' folder of a lab machine is closed to the students themselves.
    const RecordGroupScope records;
    const auto value = IniRead(resultsPath, lessonCode, checks(name));
    if (!value.ok())
        return Result<bool>::failure(value.error);
    return Result<bool>::success(value.value && !value.value->isEmpty());
}

namespace {
// Room kept for a record besides a new copy of the file: the record itself, the lock file beside
// it and a block or two of the file system's own.
constexpr qint64 kRecordRoom = 64 * 1024;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

Result<QString> resultsTarget(const QString &named)
{
    return TrustedWriteTarget(named, QFileInfo(named).absolutePath());
}

// The bytes a user may still write on the disk of folder, or -1 when it does not say. Asked
// before each write of the journal, so asked of the file system directly: QStorageInfo would
// read the whole mount table each time.
qint64 freeBytes(const QString &folder)
{
#ifdef Q_OS_UNIX
    struct statvfs disk{};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return -1;
    return static_cast<qint64>(disk.f_bavail) * static_cast<qint64>(disk.f_frsize);
#else
    const QStorageInfo disk(folder);
    return disk.isValid() ? disk.bytesAvailable() : -1;
#endif
}
} // namespace

QString RecordRoomProblem(const QString &named, qint64 extra)
{
    const RecordGroupScope records;
    const QString path = LinkedFilePath(named);
    const QFileInfo info(path);
    const qint64 free = freeBytes(info.absolutePath());
    if (free < 0)
        return {}; // a disk that does not say is not refused
    const qint64 needed = (info.isFile() ? info.size() : 0) + kRecordRoom + extra;
    if (free >= needed)
        return {};
    return QStringLiteral("на диске с «%1» не хватает места для записи результата (свободно %2 КБ, нужно %3 КБ)")
        .arg(native(path))
        .arg(free / 1024)
        .arg((needed + 1023) / 1024);
}

namespace {
// A folder found open to the lock file is taken to stay so for a while: a class server's
// joins, dozens at a lesson's start and all before the first record makes the file, try it
// once rather than each making (and syncing) a lock file while every other student waits.
constexpr qint64 kLockOpenMs = 10000;
std::mutex g_lockOpenMutex;
QHash<QString, qint64> g_lockOpenSince;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool lockOpenLately(const QString &lockPath)
{
    const std::lock_guard hold(g_lockOpenMutex);
    const auto found = g_lockOpenSince.constFind(lockPath);
    return found != g_lockOpenSince.cend() && steadyMs() - *found < kLockOpenMs;
}

void markLockOpen(const QString &lockPath)
{
    const std::lock_guard hold(g_lockOpenMutex);
    g_lockOpenSince.insert(lockPath, steadyMs());
}
} // namespace

QString ResultsWriteProblem(const QString &named)
{
    const RecordGroupScope records;
    const auto target = resultsTarget(named);
    if (!target.ok())
        return target.error;
    const QString resultsPath = target.value;
    const QFileInfo info(resultsPath);
    if (info.exists() && !info.isFile())
        return QStringLiteral("«%1» — не файл").arg(native(resultsPath));
    // The write needs the file itself open for writing (a new copy takes its permissions and
    // replaces it only where it may be written; a closed folder has it rewritten in place) and,
    // where there is no file yet, a lock file beside it. Both are tried as the write will try them.
    if (info.exists()) {
        QFile file(resultsPath);
        if (!file.open(QIODevice::ReadWrite)) // opened, not truncated: nothing changes
            return QStringLiteral("нет права записи в файл «%1»").arg(native(resultsPath));
    } else if (!lockOpenLately(resultsPath + QStringLiteral(".lock"))) {
        QLockFile lock(resultsPath + QStringLiteral(".lock"));
        const bool closed = !lock.tryLock(0)
                            && (lock.error() == QLockFile::PermissionError || lock.error() == QLockFile::UnknownError);
        if (closed)
            return QStringLiteral("нет права записи в папку «%1»").arg(native(info.absolutePath()));
        markLockOpen(resultsPath + QStringLiteral(".lock"));
    }
    return RecordRoomProblem(resultsPath);
}

namespace {
/// A cause as a clause inside a sentence: without its own full stop.
QString clause(QString why)
{
    if (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    return why;
}

Status recordFailed(const QString &named, const QString &why)
{
    return Status::failure(QStringLiteral("Результат игры не записан в «%1»: %2. Обратитесь к учителю.")
                               .arg(native(named), clause(why)));
}
} // namespace

Status ResultWriteCheck(const QString &named, QByteArrayView lessonCode, QByteArrayView name, int currentLevel)
{
    if (const QString problem = RecordProblem(name); !problem.isEmpty())
        return recordFailed(named, problem);
    const auto probe = IniSetValue(QByteArray(), lessonCode, checks(name), ScrambleText(ResultRecord(name, currentLevel)));
    if (!probe.ok())
        return recordFailed(named, probe.error);
    const QString why = ResultsWriteProblem(named);
    return why.isEmpty() ? Status::success() : recordFailed(named, why);
}

Status WriteResult(const QString &named, QByteArrayView lessonCode, QByteArrayView name, int currentLevel)
{
    const auto failed = [&](const QString &why) { return recordFailed(named, why); };
    const QString problem = RecordProblem(name);
    if (!problem.isEmpty())
        return failed(problem);
    const RecordGroupScope records;
    const auto target = resultsTarget(named);
    if (!target.ok())
        return failed(target.error);
    const Status written = IniWriteString(target.value, lessonCode, checks(name),
                                          ScrambleText(ResultRecord(name, currentLevel)));
    if (written.ok())
        return written;
    // The file system's own words come in the system's language: the cause is found again here.
    const QString why = ResultsWriteProblem(named);
    return failed(why.isEmpty() ? QStringLiteral("файл не удалось заменить новым") : why);
}

Status WriteResults(const QString &named, const QList<RecordToWrite> &entries)
{
    const auto failed = [&](const QString &why) {
        return Status::failure(QStringLiteral("Результаты игр не записаны в «%1»: %2.").arg(native(named), clause(why)));
    };
    if (entries.isEmpty())
        return Status::success();
    for (const RecordToWrite &e : entries) {
        if (const QString problem = RecordProblem(e.name); !problem.isEmpty())
            return failed(problem);
    }
    const RecordGroupScope records;
    const auto target = resultsTarget(named);
    if (!target.ok())
        return failed(target.error);
    QString refused;
    const Status written = ReplaceFileLocked(target.value, [&](const std::optional<QByteArray> &current)
                                                               -> Result<std::optional<QByteArray>> {
        QByteArray text = current.value_or(QByteArray());
        for (const RecordToWrite &e : entries) {
            auto changed = IniSetValue(text, e.lessonCode, checks(e.name), ScrambleText(ResultRecord(e.name, e.currentLevel)));
            if (!changed.ok()) {
                refused = changed.error;
                return Result<std::optional<QByteArray>>::failure(changed.error);
            }
            text = std::move(changed.value);
        }
        return Result<std::optional<QByteArray>>::success(std::move(text));
    });
    if (written.ok())
        return written;
    if (!refused.isEmpty())
        return failed(refused);
    const QString why = ResultsWriteProblem(named);
    return failed(why.isEmpty() ? written.error : why);
}

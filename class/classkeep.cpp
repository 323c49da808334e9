#include "classkeep.h"

#include "classgame.h"

#include "journalfiles.h"
#include "lockedfile.h"
#include "userfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kFormat = 1;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

ClassKeep::ClassKeep(const QString &programFolder, const QString &machine, std::function<void(const QString &)> report)
    : m_report(std::move(report))
{
    QString journal = JournalFilePath(programFolder, machine);
    journal.chop(QStringLiteral(".sqlite").size());
    m_path = journal + QStringLiteral(".class-games");
}

std::optional<KeptGames> ClassKeep::take()
{
    const auto read = ReadWholeFile(m_path);
    if (!read.ok()) {
        m_blocked = true;
        report(QStringLiteral("Игры, сохранённые при остановке сервера, не восстановлены: %1. Файл оставлен как есть; "
                              "пока он там, игры при остановке не сохраняются.")
                   .arg(read.error));
        return std::nullopt;
    }
    if (!read.value)
        return std::nullopt;
    const QByteArray &bytes = *read.value;
    QJsonParseError parsed;
    const QJsonObject root = QJsonDocument::fromJson(bytes, &parsed).object();
    const bool whole = !bytes.isEmpty() && parsed.error == QJsonParseError::NoError
                       && root.value(QStringLiteral("format")).toInt() == kFormat
                       && root.value(QStringLiteral("kept")).isDouble() && root.value(QStringLiteral("games")).isArray();
    if (!bytes.isEmpty() && !whole) {
        const auto copy = KeepCopyBeside(m_path, bytes, QStringLiteral("повреждённый"));
        if (!copy.ok()) {
            m_blocked = true;
            report(QStringLiteral("Файл сохранённых игр «%1» повреждён, и его копию сделать не удалось (%2): игры не "
                                  "восстановлены, файл оставлен как есть.")
                       .arg(shown(m_path), copy.error));
            return std::nullopt;
        }
        // The copy holds the students' tokens, as the file did.
        QFile::setPermissions(copy.value, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        report(QStringLiteral("Файл сохранённых игр «%1» повреждён: игры не восстановлены, файл сохранён как «%2».")
                   .arg(shown(m_path), shown(copy.value)));
    }
    // Taken back once: a copy left here would bring the same games back after a crash, stale.
    if (!QFile::remove(m_path)) {
        m_blocked = true;
        report(QStringLiteral("Файл сохранённых игр «%1» не удалось удалить: игры не восстановлены, файл оставлен как есть.")
                   .arg(shown(m_path)));
        return std::nullopt;
    }
    if (!whole)
        return std::nullopt;
    return KeptGames{qint64(root.value(QStringLiteral("kept")).toDouble()), root.value(QStringLiteral("games")).toArray()};
}

bool ClassKeep::put(const KeptGames &kept)
{
    if (kept.games.isEmpty())
        return true;
    if (m_blocked) {
        report(QStringLiteral("Игры не сохранены: в «%1» лежит файл, который не удалось прочитать.").arg(shown(m_path)));
        return false;
    }
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("format"), kFormat},
                                                       {QStringLiteral("kept"), double(kept.keptMs)},
                                                       {QStringLiteral("games"), kept.games}})
                                 .toJson(QJsonDocument::Compact);
    // The file is made empty and closed to everyone but the server's own account before a token
    // is written into it; the atomic replace keeps a file's permissions.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile made(m_path);
    const bool ours = made.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    made.close();
    const Status written = ReplaceFileLocked(m_path, [&](const std::optional<QByteArray> &current)
                                                         -> Result<std::optional<QByteArray>> {
        using R = Result<std::optional<QByteArray>>;
        if (current && !current->isEmpty())
            return R::failure(QStringLiteral("в «%1» уже лежат игры, сохранённые раньше").arg(shown(m_path)));
        return R::success(bytes);
    });
    if (!written.ok()) {
        if (ours)
            QFile::remove(m_path);
        report(QStringLiteral("Игры не сохранены при остановке: %1.").arg(written.error));
        return false;
    }
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

KeptGames KeepGames(const std::vector<std::unique_ptr<ClassGame>> &games, qint64 wallMs)
{
    KeptGames kept{wallMs, {}};
    for (const auto &g : games)
        kept.games.append(g->kept());
    return kept;
}

std::vector<std::unique_ptr<ClassGame>> RestoreGames(const KeptGames &kept, qint64 wallMs, qint64 steadyMs,
                                                     const std::function<std::unique_ptr<ClassGame>()> &newGame,
                                                     const std::function<void(const QString &)> &report)
{
    const bool over = wallMs - kept.keptMs > kKeptGamesLastMs;
    std::vector<std::unique_ptr<ClassGame>> restored;
    int left = 0;
    for (const QJsonValue &value : kept.games) {
        std::unique_ptr<ClassGame> game = newGame();
        const QString problem = game->restore(value.toObject(), steadyMs);
        if (!problem.isEmpty()) {
            report(QStringLiteral("Игра «%1» по занятию «%2» не восстановлена: %3.")
                       .arg(game->name, game->lesson, problem));
        }
        if (problem.isEmpty() && !over) {
            restored.push_back(std::move(game));
        } else if (game->inProgress()) {
            game->leave();
            ++left;
        }
    }
    if (over && left > 0) {
        report(QStringLiteral("Игры, сохранённые при остановке сервера больше 12 часов назад, оставлены без оценки: %1.")
                   .arg(left));
    }
    return restored;
}

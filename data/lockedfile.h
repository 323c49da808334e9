#pragma once
// Replacing a shared file safely: the change is made under a lock file next to it and
// the new content replaces the old in one rename, so two lab machines writing one results
// file never lose each other's records and a crash mid-write leaves the old file whole.

#include "result.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

/// What a change does with the current content: the new content, or nothing to leave the file alone.
using FileChange = std::function<Result<std::optional<QByteArray>>(const std::optional<QByteArray> &current)>;

/// The file a path finally names: path itself, or where its chain of symbolic links leads,
/// whether or not that file exists yet. A file reached through a link is locked and replaced
/// beside itself, in its own folder, which may be open where the link's folder is not.
QString LinkedFilePath(const QString &path);

/// The file a write to path may change, following only the links a write may trust: a link that
/// lies in a folder anyone may write (where anyone may have planted it) is refused, and so is one
/// whose chain leads out of the folder within. Fails with a message for the user naming the link.
Result<QString> TrustedWriteTarget(const QString &path, const QString &within);

/// Opens a file the program has just made to whoever may write its folder: its group, or all.
void OpenLikeFolder(const QString &path);

/// Runs change on the current bytes of path (nothing when there is no file) while holding
/// path + ".lock" (path with its links followed), and writes its result atomically. Fails when the file exists but
/// cannot be read, so a file that could not be read is never replaced by a shorter one. A failure
/// of its own is one Russian sentence naming the file and the cause («на диске нет места»); a
/// failure of change is passed on as it is.
/// Where the folder allows no lock file but the file itself may be written, the file is
/// locked itself and rewritten in place instead. A file made anew is open to write to whoever
/// may write its folder (its group, or all), so that the next user's copy can change it too.
Status ReplaceFileLocked(const QString &path, const FileChange &change);

/// Reads a whole file: nothing when it does not exist, an error when it exists but cannot be read.
Result<std::optional<QByteArray>> ReadWholeFile(const QString &path);

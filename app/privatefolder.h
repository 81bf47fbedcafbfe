#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/types.h>

namespace quillet {

// The folder of recovery copies: $XDG_STATE_HOME/quillet/recovery, or ~/.local/state/quillet/recovery
// when XDG_STATE_HOME is unset or not an absolute path.
QString RecoveryFolder();

// Makes `path` a folder that only `owner` can reach: missing folders on the way are created with mode
// 0700. Throws FileError, leaving the folder as it was, when it or its parent is a link or not a
// folder, is not owned by `owner`, or other users can write to it.
void MakePrivateFolder(const QString& path, uid_t owner);

// True when `path` itself (not what a link points to) is a regular file owned by `owner`.
bool IsOwnRegularFile(const QString& path, uid_t owner);

// The bytes of a regular file owned by `owner`, opened without following a link or waiting on a
// FIFO; nothing when it is missing, is not such a file, cannot be read or holds more than `limit`
// bytes (only `limit` + 1 of them are read).
std::optional<QByteArray> ReadOwnSmallFile(const QString& path, uid_t owner, qint64 limit);

} // namespace quillet

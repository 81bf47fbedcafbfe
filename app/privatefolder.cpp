#include "privatefolder.h"

#include "fileerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {

const char* const kNotOwned = QT_TRANSLATE_NOOP("quillet::PrivateFolder", "文件夹不属于当前用户");
const char* const kWritableByOthers = QT_TRANSLATE_NOOP("quillet::PrivateFolder", "其他用户可以写入此文件夹");

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

void createMissingFolders(const QString& path) {
    QString at;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(at).constData(), 0700) != 0 && errno != EEXIST)
            throw FileError::fromErrno(at, errno);
    }
}

// Opens the folder itself, never what a link in its place points to, and makes sure that nobody but
// `owner` can change what it holds.
Descriptor openOwnFolder(const QString& path, uid_t owner, struct stat& info) {
    Descriptor folder(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) throw FileError::fromErrno(path, errno);
    if (::fstat(folder.get(), &info) != 0) throw FileError::fromErrno(path, errno);
    if (info.st_uid != owner) throw FileError(path, QCoreApplication::translate("quillet::PrivateFolder", kNotOwned));
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        throw FileError(path, QCoreApplication::translate("quillet::PrivateFolder", kWritableByOthers));
    return folder;
}

} // namespace

QString RecoveryFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/quillet/recovery"));
}

void MakePrivateFolder(const QString& path, uid_t owner) {
    const QString folder = QDir(path).absolutePath();
    createMissingFolders(folder);
    struct stat info {};
    // Whoever may write to the parent may put a folder or a link of their own in this one's place.
    openOwnFolder(QFileInfo(folder).path(), owner, info);
    const Descriptor own = openOwnFolder(folder, owner, info);
    // Writable by others the folder is refused above: something may have been planted there already.
    // Merely readable or searchable by others, nothing can have been, so taking those rights away is
    // enough; the descriptor makes sure it is this very folder that changes.
    if ((info.st_mode & 07777) != 0700 && ::fchmod(own.get(), 0700) != 0) throw FileError::fromErrno(folder, errno);
}

bool IsOwnRegularFile(const QString& path, uid_t owner) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == owner;
}

std::optional<QByteArray> ReadOwnSmallFile(const QString& path, uid_t owner, qint64 limit) {
    // Not even opened unless it is a regular file: opening a device or a FIFO may wait or act.
    if (!IsOwnRegularFile(path, owner)) return std::nullopt;
    // Should something else take the file's place after the look above, the open neither follows a
    // link nor waits on a FIFO, and the second look refuses it.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != owner)
        return std::nullopt;
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    if (done > limit) return std::nullopt;
    bytes.truncate(done);
    return bytes;
}

} // namespace quillet

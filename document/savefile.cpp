#include "savefile.h"

#include "fileerror.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {

// The system gives up on a path after this many links; so does a save.
constexpr int kMaxLinks = 40;

const QString kNotRegularText = QStringLiteral("not a regular file: it is not replaced");
const QString kForeignLinkText =
    QStringLiteral("a link of another user in a folder open to everyone: it is not followed");
const QString kInexactTargetText =
    QStringLiteral("the link leads to a name that is not valid UTF-8: it is not followed");

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The rule the kernel keeps for links in shared folders (fs.protected_symlinks): in a sticky folder
// that anyone may write to, only the user's own links and those of the folder's owner are followed,
// so that nobody can plant a link there that leads another user's writes elsewhere.
bool mayFollow(const QByteArray& link, const struct stat& linkInfo) {
    if (linkInfo.st_uid == ::geteuid()) return true;
    struct stat folder {};
    if (::stat(folderOf(link).constData(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || linkInfo.st_uid == folder.st_uid;
}

// The file a save to `path` replaces: the path itself, or the end of the links it leads through.
// Throws FileError naming `path` when that may not be replaced.
QString replacedFile(const QString& path) {
    QByteArray current = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(current.constData(), &info) != 0) {
            if (errno == ENOENT) break; // a new file
            throw FileError::fromErrno(path, errno);
        }
        if (S_ISREG(info.st_mode)) break;
        if (S_ISDIR(info.st_mode)) throw FileError::fromErrno(path, EISDIR);
        if (!S_ISLNK(info.st_mode)) throw FileError(path, kNotRegularText);
        if (links == kMaxLinks) throw FileError::fromErrno(path, ELOOP);
        if (!mayFollow(current, info)) throw FileError(path, kForeignLinkText);
        QByteArray target(info.st_size > 0 ? info.st_size + 1 : 4096, Qt::Uninitialized);
        const ssize_t size = ::readlink(current.constData(), target.data(), target.size());
        if (size < 0) throw FileError::fromErrno(path, errno);
        target.truncate(size);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    const QString name = QFile::decodeName(current);
    if (QFile::encodeName(name) != current) throw FileError(path, kInexactTargetText);
    return name;
}

} // namespace

void WriteFully(QIODevice& device, const char* data, qint64 size, const QString& pathForErrors) {
    qint64 done = 0;
    while (done < size) {
        const qint64 written = device.write(data + done, size - done);
        if (written <= 0) throw FileError(pathForErrors, device.errorString());
        done += written;
    }
}

SaveFile::SaveFile(const QString& path) : m_path(path) {
    // The links are resolved here, once, and the save file is given their end: it never looks at
    // them again.
    const QString target = replacedFile(path);
    m_file.setFileName(target);
    // A save file refuses an existing file it may not replace in words of its own; the system's
    // reason (a read-only file system, no permission) is the one to show.
    const QByteArray targetName = QFile::encodeName(target);
    if (::access(targetName.constData(), F_OK) == 0 && ::access(targetName.constData(), W_OK) != 0)
        throw FileError::fromErrno(path, errno);
    // Unbuffered, so that a failing write reports the system's error rather than an unknown one.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) throw FileError(path, m_file.errorString());
}

void SaveFile::commit() {
    if (!m_file.commit()) throw FileError(m_path, m_file.errorString());
}

} // namespace quillet

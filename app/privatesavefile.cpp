#include "privatesavefile.h"

#include "fileerror.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace quillet {

PrivateSaveFile::PrivateSaveFile(const QString& path) : m_path(path), m_part(path + kPartSuffix) {
    m_fd = ::open(QFile::encodeName(m_part).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) throw FileError::fromErrno(m_part, errno);
    // Unbuffered, so that a failing write reports the system's error rather than an unknown one.
    if (!m_file.open(m_fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
        const FileError error(m_part, m_file.errorString());
        closeDescriptor();
        ::unlink(QFile::encodeName(m_part).constData());
        throw error;
    }
}

PrivateSaveFile::~PrivateSaveFile() {
    closeDescriptor();
    if (!m_committed) ::unlink(QFile::encodeName(m_part).constData());
}

void PrivateSaveFile::closeDescriptor() {
    m_file.close();
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void PrivateSaveFile::commit() {
    if (::fsync(m_fd) != 0) throw FileError::fromErrno(m_part, errno);
    m_file.close();
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) throw FileError::fromErrno(m_part, errno);
    // A rename replaces whatever has the name, a link included, and never writes where it points.
    if (::rename(QFile::encodeName(m_part).constData(), QFile::encodeName(m_path).constData()) != 0)
        throw FileError::fromErrno(m_path, errno);
    m_committed = true;
}

} // namespace quillet

#include "inputfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {

constexpr qint64 kMegabyte = qint64{1024} * 1024;

QString tooLarge(qint64 limit) {
    return limit % kMegabyte == 0 ? QStringLiteral("too large (more than %1 MB)").arg(limit / kMegabyte)
                                  : QStringLiteral("too large (more than %1 bytes)").arg(limit);
}

} // namespace

InputFile::InputFile(const QString& path, qint64 limit) : m_path(path) {
    // Non-blocking, so that opening a FIFO returns at once and the check below can refuse it.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) throw FileError::fromErrno(path, errno);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        const int error = errno;
        ::close(m_fd);
        throw FileError::fromErrno(path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(m_fd);
        throw InputRefused(path, S_ISDIR(info.st_mode) ? QString::fromLocal8Bit(std::strerror(EISDIR))
                                                       : QStringLiteral("not a regular file"));
    }
    if (info.st_size > limit) {
        ::close(m_fd);
        throw InputRefused(path, tooLarge(limit));
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_size = info.st_size;
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

InputFile::~InputFile() {
    QIODevice::close();
    ::close(m_fd);
}

bool InputFile::seek(qint64 pos) {
    if (!QIODevice::seek(pos)) return false;
    m_offset = pos;
    return true;
}

qint64 InputFile::readData(char* data, qint64 maxSize) {
    const qint64 wanted = std::min(maxSize, std::max<qint64>(0, m_size - m_offset));
    if (wanted == 0) return 0;
    ssize_t got;
    do {
        got = ::pread(m_fd, data, static_cast<size_t>(wanted), m_offset);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    m_offset += got;
    return got;
}

qint64 InputFile::writeData(const char*, qint64) {
    return -1;
}

QByteArray ReadInputFile(const QString& path, qint64 limit) {
    InputFile file(path, limit);
    QByteArray bytes(file.size(), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 got = file.read(bytes.data() + done, bytes.size() - done);
        if (got < 0) throw FileError(path, file.errorString());
        if (got == 0) break; // the file shrank since it was opened
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace quillet

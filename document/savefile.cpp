#include "savefile.h"

#include "fileerror.h"

#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace quillet {

void WriteFully(QIODevice& device, const char* data, qint64 size, const QString& pathForErrors) {
    qint64 done = 0;
    while (done < size) {
        const qint64 written = device.write(data + done, size - done);
        if (written <= 0) throw FileError(pathForErrors, device.errorString());
        done += written;
    }
}

SaveFile::SaveFile(const QString& path) : m_path(path), m_file(path) {
    // A save file refuses an existing file it may not replace in words of its own; the system's
    // reason (a read-only file system, no permission) is the one to show.
    if (QFileInfo::exists(path) && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        throw FileError::fromErrno(path, errno);
    // Unbuffered, so that a failing write reports the system's error rather than an unknown one.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) throw FileError::fromOpenFailure(m_file);
}

void SaveFile::commit() {
    if (!m_file.commit()) throw FileError(m_path, m_file.errorString());
}

} // namespace quillet

#include "fileerror.h"

#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace quillet {

FileError::FileError(const QString& path, const QString& description)
    : std::runtime_error((path + QStringLiteral(": ") + description).toStdString()), m_path(path),
      m_description(description) {}

FileError FileError::fromErrno(const QString& path, int errorNumber) {
    return FileError(path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

FileError FileError::fromOpenFailure(const QFileDevice& file) {
    if (QFileInfo(file.fileName()).isDir()) return fromErrno(file.fileName(), EISDIR);
    return FileError(file.fileName(), file.errorString());
}

QString FileError::message() const { return m_path + QStringLiteral(": ") + m_description; }

} // namespace quillet

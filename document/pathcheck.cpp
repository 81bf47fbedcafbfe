#include "pathcheck.h"

#include "fileerror.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace quillet {

bool PathExists(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw FileError::fromErrno(path, errno);
}

} // namespace quillet

#pragma once

#include "fileerror.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <limits>

namespace quillet {

// A file that is not read at all: not a regular file, or larger than its kind may be.
class InputRefused : public FileError {
public:
    using FileError::FileError;
};

// A file opened for reading by one of the program's readers; every file the program reads comes
// through here. Only a regular file is read: a FIFO would block the open, and a device (also
// behind a link) may never end. A file larger than the limit for its kind is refused before any
// byte of it is read, and reads stop at the size the file had when it was opened, so a file that
// keeps growing cannot keep a reader going.
class InputFile : public QIODevice {
public:
    static constexpr qint64 kNoLimit = std::numeric_limits<qint64>::max();

    // Opens the file read-only. Throws FileError with the system's description when it cannot be
    // opened, InputRefused ("not a regular file", "Is a directory", "too large (more than N MB)")
    // when it is opened but refused.
    InputFile(const QString& path, qint64 limit);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const QString& path() const { return m_path; }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_offset = 0;
};

// The whole file, read through InputFile. Throws as InputFile does, and FileError when reading fails.
QByteArray ReadInputFile(const QString& path, qint64 limit);

} // namespace quillet

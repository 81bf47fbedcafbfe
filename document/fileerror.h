#pragma once

#include <QString>

#include <stdexcept>

class QFileDevice;

namespace quillet {

// An input/output failure: the path and the system's description of what went wrong.
// Raised by readers and writers, caught by the command that shows it.
class FileError : public std::runtime_error {
public:
    FileError(const QString& path, const QString& description);

    // From errno as left by the failing call.
    static FileError fromErrno(const QString& path, int errorNumber);
    // A file that would not open, in the system's words also where Qt has words of its own (a folder).
    static FileError fromOpenFailure(const QFileDevice& file);

    const QString& path() const { return m_path; }
    const QString& description() const { return m_description; }
    // "path: description", the text shown to the user.
    QString message() const;

private:
    QString m_path;
    QString m_description;
};

} // namespace quillet

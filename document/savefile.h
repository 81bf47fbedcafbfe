#pragma once

#include <QSaveFile>
#include <QString>

namespace quillet {

// Writes all of the bytes, retrying short writes, so that a full disk is reported with the
// system's own words. Throws FileError naming pathForErrors.
void WriteFully(QIODevice& device, const char* data, qint64 size, const QString& pathForErrors);

// A file that is replaced whole or not at all: the bytes go to a temporary file beside it, which
// takes the file's place only on commit. Every failure is a FileError with the system's reason;
// a SaveFile dropped before commit leaves the old file as it was.
//
// Only a regular file is replaced: a folder, device, pipe or socket of that name is refused and
// left as it is. A link is written through (its target is replaced and the link stays), except
// a link that the system itself would not follow: one owned by another user, in a folder anyone
// may write to whose sticky bit keeps users to their own entries (like /tmp), unless the folder's
// owner owns the link.
class SaveFile {
public:
    // Throws FileError when the file may not be replaced or the temporary file cannot be made.
    explicit SaveFile(const QString& path);

    QIODevice& device() { return m_file; }
    void write(const QByteArray& bytes) { WriteFully(m_file, bytes.constData(), bytes.size(), m_path); }
    void commit();

private:
    QString m_path;
    QSaveFile m_file;
};

} // namespace quillet

#pragma once

#include <QFile>
#include <QString>

namespace quillet {

// A file in a private folder replaced whole or not at all, and never through a link: the bytes go to
// a new file beside it (its name + ".part", created exclusively, without following a link, mode
// 0600), which is flushed to disk and renamed over the file on commit; a link in the file's place is
// replaced, not followed. Dropped before commit it removes the new file. Every failure is a FileError
// with the system's reason. (QSaveFile will not do here: it writes to where a link at the file's
// name points, and gives a new file the mode 0666 less the umask.)
class PrivateSaveFile {
public:
    static inline const QString kPartSuffix = QStringLiteral(".part");

    // Throws FileError when the new file cannot be created (also when its name is taken).
    explicit PrivateSaveFile(const QString& path);
    PrivateSaveFile(const PrivateSaveFile&) = delete;
    PrivateSaveFile& operator=(const PrivateSaveFile&) = delete;
    ~PrivateSaveFile();

    QIODevice& device() { return m_file; }
    void commit();

private:
    void closeDescriptor();

    QString m_path;
    QString m_part;
    int m_fd = -1;
    QFile m_file;
    bool m_committed = false;
};

} // namespace quillet

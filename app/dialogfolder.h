#pragma once

#include <QString>

namespace quillet {

// The folder the file dialogs start in: the folder of the file last chosen in one of them during
// this run, and before any choice the user's home folder; never the program's own folder.
class DialogFolder {
public:
    // The folder, without a trailing "/".
    QString path() const;
    // Remembers the folder of a file the user chose in a dialog, when that folder exists.
    void remember(const QString& chosenFile);
    // The bare name of `file` inside the folder.
    QString place(const QString& file) const;

private:
    QString m_path;
};

} // namespace quillet

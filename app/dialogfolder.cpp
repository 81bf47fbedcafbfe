#include "dialogfolder.h"

#include <QDir>
#include <QFileInfo>

namespace quillet {

QString DialogFolder::path() const {
    return m_path.isEmpty() ? QDir::homePath() : m_path;
}

void DialogFolder::remember(const QString& chosenFile) {
    const QFileInfo file(chosenFile);
    // A name typed into a folder that is not there names no folder to come back to.
    if (file.absoluteDir().exists()) m_path = file.absolutePath();
}

QString DialogFolder::place(const QString& file) const {
    return path() + QLatin1Char('/') + QFileInfo(file).fileName();
}

} // namespace quillet

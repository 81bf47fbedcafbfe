#include "shellhelpers.h"

#include "runvalues.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quillet {

void ShellOpen(const QString& target) {
    // An address keeps its scheme; everything else is a local path, blanks and all.
    const QUrl url = QUrl(target, QUrl::StrictMode);
    const bool isAddress = url.isValid() && url.scheme().size() > 1;
    QDesktopServices::openUrl(isAddress ? url : QUrl::fromLocalFile(target));
}

QString FileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString ProgramBaseName() {
    const QString name = FileNameOf(QCoreApplication::applicationFilePath());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? name : name.left(dot);
}

QString FindTempDir() {
    QString programDir = Run().ProgramDir;
    if (programDir.isEmpty()) programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString candidate = programDir + QStringLiteral("temp");
    const QFileInfo info(candidate);
    if (info.isDir() || (!info.exists() && QDir().mkdir(candidate))) return candidate;
    const QString system = QDir::tempPath();
    return QFileInfo(system).isDir() ? system : QString();
}

} // namespace quillet

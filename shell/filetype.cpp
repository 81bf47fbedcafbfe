#include "filetype.h"

#include "projectinfo.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace quillet {

namespace {

// The per-user data folder of the XDG base directory rules; a relative value does not count.
QString userDataHome() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) return configured;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

// Runs a cache tool on a folder when the tool is installed; its output and outcome are ignored.
void runToolQuietly(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {folder});
    if (process.waitForStarted()) process.waitForFinished(30000);
}

} // namespace

QString DesktopExecArgument(const QString& path) {
    QString arg = path;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::any_of(arg.cbegin(), arg.cend(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // The entry's own string syntax comes on top of the quoting.
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    arg.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    arg.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    arg.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return arg;
}

QByteArray MimePackageText(const QString& ext) {
    const QString glob = (QStringLiteral("*.") + ext).toHtmlEscaped();
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"%1\">\n"
                          "    <comment>Quillet character animation</comment>\n"
                          "    <comment xml:lang=\"zh_CN\">Quillet 字符动画</comment>\n"
                          "    <glob pattern=\"%2\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n")
        .arg(QLatin1String(projectinfo::AnimationMimeType), glob)
        .toUtf8();
}

QByteArray DesktopEntryText(const QString& programPath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillet\n"
                          "GenericName=Character animation editor\n"
                          "GenericName[zh_CN]=字符动画编辑器\n"
                          "Comment=Make text-frame animations and export them as web pages\n"
                          "Comment[zh_CN]=制作字符动画并输出为网页\n"
                          "Exec=%1 %f\n"
                          "Icon=quillet\n"
                          "Terminal=false\n"
                          "Categories=Graphics;2DGraphics;\n"
                          "MimeType=%2;\n")
        .arg(DesktopExecArgument(programPath), QLatin1String(projectinfo::AnimationMimeType))
        .toUtf8();
}

void RegisterFileType(const QString& ext) {
    const QString dataHome = userDataHome();
    const QString id = QLatin1String(projectinfo::DesktopId);
    if (writeWhole(dataHome + QStringLiteral("/mime/packages/") + id + QStringLiteral(".xml"), MimePackageText(ext)))
        runToolQuietly(QStringLiteral("update-mime-database"), dataHome + QStringLiteral("/mime"));
    const QByteArray entry = DesktopEntryText(QCoreApplication::applicationFilePath());
    if (writeWhole(dataHome + QStringLiteral("/applications/") + id + QStringLiteral(".desktop"), entry))
        runToolQuietly(QStringLiteral("update-desktop-database"), dataHome + QStringLiteral("/applications"));
}

} // namespace quillet

#include "filetype.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using quillet::DesktopExecArgument;
using quillet::RegisterFileType;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray expectedMimePackage = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                       "  <mime-type type=\"application/x-quillet-animation\">\n"
                                       "    <comment>Quillet character animation</comment>\n"
                                       "    <comment xml:lang=\"zh_CN\">Quillet 字符动画</comment>\n"
                                       "    <glob pattern=\"*.mmt\"/>\n"
                                       "  </mime-type>\n"
                                       "</mime-info>\n";

QByteArray expectedDesktopEntry(const QByteArray& exec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillet\n"
           "GenericName=Character animation editor\n"
           "GenericName[zh_CN]=字符动画编辑器\n"
           "Comment=Make text-frame animations and export them as web pages\n"
           "Comment[zh_CN]=制作字符动画并输出为网页\n"
           "Exec=" +
           exec +
           " %f\n"
           "Icon=quillet\n"
           "Terminal=false\n"
           "Categories=Graphics;2DGraphics;\n"
           "MimeType=application/x-quillet-animation;\n";
}

class RegisterFileTypeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_filetype";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }

    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        savedDataHome = qgetenv("XDG_DATA_HOME");
        savedHome = qgetenv("HOME");
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    }

    void TearDown() override {
        qputenv("XDG_DATA_HOME", savedDataHome);
        qputenv("HOME", savedHome);
    }

    QString dataHome() const { return home.path() + QStringLiteral("/data"); }
    QString packagePath() const { return dataHome() + QStringLiteral("/mime/packages/quillet.xml"); }
    QString entryPath() const { return dataHome() + QStringLiteral("/applications/quillet.desktop"); }
    static QByteArray programPath() { return QCoreApplication::applicationFilePath().toUtf8(); }

    QTemporaryDir home;
    QByteArray savedDataHome;
    QByteArray savedHome;
};

TEST_F(RegisterFileTypeTest, WritesThePackageAndTheEntryReplacingOlderContent) {
    writeAll(packagePath(), QByteArray(4096, 'x'));
    writeAll(entryPath(), "[Desktop Entry]\nExec=/old/editor %f\n" + QByteArray(4096, '#'));

    RegisterFileType(QStringLiteral("mmt"));

    EXPECT_EQ(readAll(packagePath()), expectedMimePackage);
    EXPECT_EQ(readAll(entryPath()), expectedDesktopEntry(programPath()));
}

TEST_F(RegisterFileTypeTest, RelativeDataHomeFallsBackToTheHomeFolder) {
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", "relative/data");

    RegisterFileType(QStringLiteral("mmt"));

    EXPECT_EQ(readAll(home.path() + QStringLiteral("/.local/share/mime/packages/quillet.xml")), expectedMimePackage);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("relative/data")));
}

TEST_F(RegisterFileTypeTest, UnwritablePlaceFailsSilently) {
    writeAll(dataHome() + QStringLiteral("/mime"), "a file where the folder should be");
    writeAll(dataHome() + QStringLiteral("/applications"), "another file");

    RegisterFileType(QStringLiteral("mmt"));

    EXPECT_EQ(readAll(dataHome() + QStringLiteral("/mime")), "a file where the folder should be");
    EXPECT_EQ(readAll(dataHome() + QStringLiteral("/applications")), "another file");
}

TEST_F(RegisterFileTypeTest, DesktopToolsAcceptTheEntry) {
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString updateDesktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (validate.isEmpty() || updateDesktop.isEmpty()) GTEST_SKIP() << "desktop-file-utils not installed";

    RegisterFileType(QStringLiteral("mmt"));

    QProcess check;
    check.start(validate, {entryPath()});
    ASSERT_TRUE(check.waitForFinished());
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
    EXPECT_TRUE(readAll(dataHome() + QStringLiteral("/applications/mimeinfo.cache"))
                    .contains("application/x-quillet-animation=quillet.desktop;"));
}

TEST_F(RegisterFileTypeTest, DesktopAnswersQuilletsTypeForAnAnimationFile) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("mimetype")).isEmpty())
        GTEST_SKIP() << "xdg-utils, shared-mime-info or libfile-mimeinfo-perl not installed";

    RegisterFileType(QStringLiteral("mmt"));
    const QString film = home.path() + QStringLiteral("/x.mmt");
    writeAll(film, QByteArray(192000, '\0'));

    QProcess query;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("DESKTOP_SESSION"));
    query.setProcessEnvironment(environment);
    query.setWorkingDirectory(home.path());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("filetype"), QStringLiteral("x.mmt")});
    ASSERT_TRUE(query.waitForFinished(30000));
    EXPECT_EQ(query.readAllStandardOutput().trimmed(), "application/x-quillet-animation");
}

TEST(DesktopExecArgument, QuotesOnlyWhatTheEntrySyntaxNeeds) {
    EXPECT_EQ(DesktopExecArgument(QStringLiteral("/opt/quillet/quillet")), QStringLiteral("/opt/quillet/quillet"));
    EXPECT_EQ(DesktopExecArgument(QStringLiteral("/home/李雷/工具/quillet")),
              QStringLiteral("/home/李雷/工具/quillet"));
    EXPECT_EQ(DesktopExecArgument(QStringLiteral("/opt/my tools/quillet")),
              QStringLiteral("\"/opt/my tools/quillet\""));
    EXPECT_EQ(DesktopExecArgument(QStringLiteral("/opt/100%/quillet")), QStringLiteral("/opt/100%%/quillet"));
    // Inside quotes "$" and "\" take a backslash; the entry's string syntax then doubles every backslash.
    EXPECT_EQ(DesktopExecArgument(QStringLiteral("/opt/a$b\\c\"d/quillet")),
              QStringLiteral("\"/opt/a\\\\$b\\\\\\\\c\\\\\"d/quillet\""));
}

} // namespace

#include "filetype.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

// cmake --install into a fresh prefix, then the installed program works from there.
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray output;
};

ProcessResult runProgram(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ProcessResult run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_install";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        ASSERT_TRUE(root.isValid());
        // A blank, a dollar and Chinese characters in the prefix: every path must survive them.
        prefix = root.path() + QStringLiteral("/前缀 a$b");
        const ProcessResult install = runProgram(
            QStringLiteral(QUILLET_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(QUILLET_BINARY_DIR), QStringLiteral("--prefix"), prefix},
            root.path());
        ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    }

    static QString programDir() { return prefix + QStringLiteral("/lib/quillet/"); }

    static inline QTemporaryDir root;
    static inline QString prefix;
};

TEST_F(InstallTest, ProgramAndItsSideFilesStayTogether) {
    for (const char* name : {"quillet", "Script.txt", "readme.htm", "Tevrano.ini", "Language/chinese_about.ini",
                             "Language/english_about.ini"})
        EXPECT_TRUE(QFileInfo(programDir() + QLatin1String(name)).isFile()) << name;
    EXPECT_EQ(QFileInfo(prefix + QStringLiteral("/bin/quillet")).canonicalFilePath(),
              QFileInfo(programDir() + QStringLiteral("quillet")).canonicalFilePath());
    EXPECT_EQ(readAll(prefix + QStringLiteral("/share/icons/hicolor/scalable/apps/quillet.svg")),
              readAll(QStringLiteral(QUILLET_SOURCE_DIR "/resources/quillet.svg")));
}

TEST_F(InstallTest, DesktopFilesMatchWhatTheProgramRegisters) {
    EXPECT_EQ(readAll(prefix + QStringLiteral("/share/applications/quillet.desktop")),
              quillet::DesktopEntryText(programDir() + QStringLiteral("quillet")));
    EXPECT_EQ(readAll(prefix + QStringLiteral("/share/mime/packages/quillet.xml")),
              quillet::MimePackageText(QStringLiteral("mmt")));
}

TEST_F(InstallTest, InstalledProgramExportsAPageWithTheTemplateBesideIt) {
    // Mark the installed template so the page shows which copy was read.
    const QString script = programDir() + QStringLiteral("Script.txt");
    QByteArray lines = readAll(script);
    const qsizetype firstEnd = lines.indexOf('\n');
    ASSERT_GT(firstEnd, 0);
    lines.insert(firstEnd, "<!-- installed template -->");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines);
    }

    const QString page = root.path() + QStringLiteral("/导出 page.htm");
    const ProcessResult exported =
        runProgram(prefix + QStringLiteral("/bin/quillet"),
                   {QStringLiteral("--export-html=") + page, QStringLiteral(QUILLET_SOURCE_DIR "/samples/launch1.txt")},
                   root.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.output.toStdString();
    const QByteArray written = readAll(page);
    EXPECT_TRUE(written.contains("<!-- installed template -->"));
    EXPECT_TRUE(written.contains("text1"));
}

} // namespace

// Every reader of outside files reads regular files only, each up to a size fitting its kind: a FIFO,
// a link to a device, a folder or an oversized file is refused at once with a message that names it,
// never a hang or gigabytes of memory; in the batch mode it ends the run with status 1.
#include "animationfile.h"
#include "batchmode.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "languagetable.h"
#include "pagewriter.h"
#include "settings.h"
#include "watchdog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

enum class Special { Fifo, DeviceLink, Folder, Oversized };

const char* nameOf(Special kind) {
    switch (kind) {
    case Special::Fifo:
        return "FIFO";
    case Special::DeviceLink:
        return "link to /dev/zero";
    case Special::Folder:
        return "folder";
    case Special::Oversized:
        return "oversized file";
    }
    return "";
}

// What the refusal says.
QString reasonFor(Special kind) {
    switch (kind) {
    case Special::Fifo:
    case Special::DeviceLink:
        return QStringLiteral("not a regular file");
    case Special::Folder:
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    case Special::Oversized:
        return QStringLiteral("too large");
    }
    return {};
}

void makeSpecial(const QString& path, Special kind) {
    const QByteArray name = QFile::encodeName(path);
    switch (kind) {
    case Special::Fifo:
        ASSERT_EQ(::mkfifo(name.constData(), 0600), 0) << std::strerror(errno);
        break;
    case Special::DeviceLink:
        ASSERT_EQ(::symlink("/dev/zero", name.constData()), 0) << std::strerror(errno);
        break;
    case Special::Folder:
        ASSERT_TRUE(QDir().mkpath(path));
        break;
    case Special::Oversized: {
        // A terabyte of holes: no disk is used, and no reader may try to hold it.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        EXPECT_EQ(::ftruncate(fd, qint64{1} << 40), 0) << std::strerror(errno);
        ::close(fd);
        break;
    }
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QList<Special> kAllSpecials{Special::Fifo, Special::DeviceLink, Special::Folder, Special::Oversized};

struct Reader {
    const char* kind;
    QString fileName;                         // the file made special, in the test folder
    std::function<void(const QString&)> read; // reads from the folder; throws FileError
    bool sizeLimited = true;                  // false: a larger file is read only as far as needed
};

const QList<Reader>& readers() {
    static const QList<Reader> all{
        {"text page", QStringLiteral("page.txt"),
         [](const QString& folder) {
             TFilmPanel strip;
             try {
                 strip.AddTextUnit(folder + QStringLiteral("/page.txt"));
             } catch (const FileError&) {
                 EXPECT_EQ(strip.count(), 0) << "the strip stays as it was";
                 throw;
             }
         }},
        {"colour file", QStringLiteral("page.clo"),
         [](const QString& folder) {
             writeFile(folder + QStringLiteral("/page.txt"), "abc\n");
             TFilmPanel strip;
             try {
                 strip.AddTextUnit(folder + QStringLiteral("/page.txt"));
             } catch (const FileError&) {
                 EXPECT_EQ(strip.count(), 0) << "the strip stays as it was";
                 throw;
             }
         }},
        {"animation", QStringLiteral("film.mmt"),
         [](const QString& folder) { ReadAnimationFile(folder + QStringLiteral("/film.mmt"), TFilmPanel::kMaxUnits); },
         false},
        {"script template", QStringLiteral("Script.txt"),
         [](const QString& folder) { THtmFP writer(folder + QStringLiteral("/Script.txt")); }},
        {"settings", QStringLiteral("Tevrano.ini"),
         [](const QString& folder) { LoadSettingsFile(folder + QStringLiteral("/Tevrano.ini")); }},
        {"language table", QStringLiteral("chinese_about.ini"),
         [](const QString& folder) { ReadLanguageTableFile(folder + QStringLiteral("/chinese_about.ini")); }},
    };
    return all;
}

} // namespace

TEST(InputFiles, EveryReaderRefusesWhatIsNoRegularFileOrTooLarge) {
    for (const Reader& reader : readers()) {
        for (const Special special : kAllSpecials) {
            if (special == Special::Oversized && !reader.sizeLimited) continue;
            SCOPED_TRACE(std::string(reader.kind) + ", " + nameOf(special));
            QTemporaryDir dir;
            const QString path = dir.filePath(reader.fileName);
            makeSpecial(path, special);
            const Watchdog watchdog(std::string(reader.kind) + " reading a " + nameOf(special));
            try {
                reader.read(dir.path());
                ADD_FAILURE() << "read without an error";
            } catch (const FileError& error) {
                EXPECT_EQ(error.path(), path);
                EXPECT_TRUE(error.description().contains(reasonFor(special))) << error.message().toStdString();
            }
        }
    }
}

TEST(InputFiles, AnAnimationOfMoreRecordsThanTheDocumentHoldsOpensItsFirstFifty) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("film.mmt"));
    makeSpecial(path, Special::Oversized);
    const Watchdog watchdog("reading a terabyte animation");
    const AnimationRecords read = ReadAnimationFile(path, TFilmPanel::kMaxUnits);
    EXPECT_EQ(read.records.size(), TFilmPanel::kMaxUnits);
    EXPECT_TRUE(read.notAllRead());
}

TEST(InputFiles, RefusedSettingsEndTheBatchWithStatusOne) {
    QTemporaryDir program;
    makeSpecial(program.filePath(QStringLiteral("Tevrano.ini")), Special::Fifo);
    writeFile(program.filePath(QStringLiteral("page.txt")), "abc\n");
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const Watchdog watchdog("the batch mode with a FIFO for its settings");
    EXPECT_EQ(RunBatch({QStringLiteral("--export-mmt=") + program.filePath(QStringLiteral("out.mmt")),
                        program.filePath(QStringLiteral("page.txt"))},
                       program.path() + QLatin1Char('/'), outStream, errStream),
              1);
    EXPECT_TRUE(err.contains(program.filePath(QStringLiteral("Tevrano.ini")) + QStringLiteral(": not a regular file")))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(program.filePath(QStringLiteral("out.mmt"))));
}

TEST(InputFiles, RefusedInputsEndTheBatchProgramWithStatusOne) {
    struct Case {
        QString special; // the file made special
        Special kind;
        QStringList inputs; // after the output option
        const char* output; // the export option's name
    };
    const QList<Case> cases{
        {QStringLiteral("film.mmt"), Special::Fifo, {QStringLiteral("film.mmt")}, "--export-mmt"},
        {QStringLiteral("film.mmt"), Special::DeviceLink, {QStringLiteral("film.mmt")}, "--export-mmt"},
        {QStringLiteral("page.txt"), Special::Fifo, {QStringLiteral("page.txt")}, "--export-mmt"},
        {QStringLiteral("page.txt"), Special::DeviceLink, {QStringLiteral("page.txt")}, "--export-mmt"},
        {QStringLiteral("page.txt"), Special::Oversized, {QStringLiteral("page.txt")}, "--export-mmt"},
        {QStringLiteral("other.clo"), Special::Fifo, {QStringLiteral("other.txt")}, "--export-mmt"},
        {QStringLiteral("Script.txt"), Special::Fifo, {QStringLiteral("plain.txt")}, "--export-html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.special.toStdString() + " as a " + nameOf(c.kind));
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("plain.txt")), "abc\n");
        writeFile(dir.filePath(QStringLiteral("other.txt")), "abc\n");
        makeSpecial(dir.filePath(c.special), c.kind);
        const QString output = dir.filePath(QStringLiteral("out"));
        QStringList arguments{QString::fromLatin1(c.output) + QLatin1Char('=') + output,
                              QStringLiteral("--script=") + dir.filePath(QStringLiteral("Script.txt"))};
        for (const QString& input : c.inputs)
            arguments << dir.filePath(input);

        QProcess program;
        program.start(QStringLiteral(QUILLET_PROGRAM), arguments);
        ASSERT_TRUE(program.waitForStarted());
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "the batch run did not end";
            continue;
        }
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(dir.filePath(c.special) + QStringLiteral(": ") + reasonFor(c.kind)))
            << err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

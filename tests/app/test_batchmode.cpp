#include "batchmode.h"

#include "animationfile.h"
#include "ansicell.h"
#include "filmpanel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

struct BatchRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Permissions do not stop root: run as root, the program is started as "nobody" for the cases
// that need a plain user. The test's files are made reachable for it.
constexpr uid_t kPlainUser = 65534;

void becomePlainUser() {
    if (::geteuid() != 0) return;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kPlainUser) != 0 || ::setuid(kPlainUser) != 0) ::_exit(126);
}

void writeToFullDevice() {
    const int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0) ::_exit(126);
    ::close(fd);
}

void closeStandardOutput() {
    ::close(STDOUT_FILENO);
}

// A private mount namespace for this process, so that the test's mounts vanish with it; empty when
// mounting is not permitted here, otherwise the reason.
std::string enterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("making / private: ") + std::strerror(errno);
    return {};
}

class BatchModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        programDir = work.filePath(QStringLiteral("program")) + QLatin1Char('/');
        ASSERT_TRUE(QDir().mkpath(programDir));
        QFile::copy(QStringLiteral(QUILLET_RUNTIME_DIR "/Script.txt"), programDir + QStringLiteral("Script.txt"));
    }

    BatchRun run(const QStringList& arguments) {
        BatchRun result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.exitCode = RunBatch(arguments, programDir, out, err);
        return result;
    }

    // Runs a program to its end; `inChild` runs in the child just before it starts.
    static BatchRun runProcess(const QString& program, const QStringList& arguments,
                               const std::function<void()>& inChild = {}) {
        QProcess process;
        if (inChild) process.setChildProcessModifier(inChild);
        process.start(program, arguments);
        BatchRun result;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return result;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // The program itself, copied into the program folder so that it finds the folder's files there.
    QString program() {
        const QString copy = programDir + QStringLiteral("quillet");
        if (!QFile::exists(copy)) {
            EXPECT_TRUE(QFile::copy(QStringLiteral(QUILLET_PROGRAM), copy));
            QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                            QFile::ReadGroup | QFile::ReadOther);
        }
        return copy;
    }

    BatchRun runProgram(const QStringList& arguments, const std::function<void()>& inChild = {}) {
        return runProcess(program(), arguments, inChild);
    }

    // Lets the plain user reach the test's files; returns a folder that user may write in.
    QString openToPlainUser() {
        ::chmod(QFile::encodeName(work.path()).constData(), 0755);
        const QString shared = path(QStringLiteral("shared"));
        EXPECT_TRUE(QDir().mkpath(shared));
        ::chmod(QFile::encodeName(shared).constData(), 0777);
        return shared;
    }

    QString path(const QString& name) const { return work.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray readFile(const QString& fileName) {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Records of an exported animation file.
    static QList<QByteArray> records(const QString& fileName) { return ReadAnimationFile(fileName, 1000).records; }

    static TColor lastCellColour(const QByteArray& record, int offset) {
        TColor colour = 0;
        memcpy(&colour, record.constData() + kRecordSize - 12 + offset, sizeof colour);
        return colour;
    }

    QTemporaryDir work;
    QString programDir;
};

TEST_F(BatchModeTest, RecognisesBatchArguments) {
    EXPECT_TRUE(IsBatchInvocation({QStringLiteral("--export-mmt=a.mmt"), QStringLiteral("a.txt")}));
    EXPECT_TRUE(IsBatchInvocation({QStringLiteral("--help")}));
    EXPECT_FALSE(IsBatchInvocation({QStringLiteral("film.mmt")}));
    EXPECT_FALSE(IsBatchInvocation({}));
}

TEST_F(BatchModeTest, BadUsageExitsTwoWithUsageAndWritesNothing) {
    writeFile(QStringLiteral("a.txt"), "hello\r\n");
    writeFile(QStringLiteral("a.dat"), "hello\r\n");
    const QString out = path(QStringLiteral("out.mmt"));
    for (const QStringList& arguments : QList<QStringList>{
             {QStringLiteral("--export-mmt=") + out}, // no input
             {QStringLiteral("--export-mmt=") + out, QStringLiteral("--frobnicate"), path("a.txt")},
             {QStringLiteral("--export-mmt=") + out, QStringLiteral("--unit-back=red"), path("a.txt")},
             {QStringLiteral("--export-mmt=") + out, QStringLiteral("--byte-mode=triple"), path("a.txt")},
             {QStringLiteral("--export-mmt=") + out, QStringLiteral("--export-png=") + path("pics"), path("a.txt")},
             {QStringLiteral("--export-html=") + out, QStringLiteral("--speed=fast"), path("a.txt")},
             {QStringLiteral("--export-gif=") + out, QStringLiteral("--scale=5"), path("a.txt")},
             {QStringLiteral("--export-webp=") + out, QStringLiteral("--scale=0"), path("a.txt")},
             {QStringLiteral("--export-apng=") + out, QStringLiteral("--scale=2x"), path("a.txt")},
             {QStringLiteral("--export-gif=") + out, QStringLiteral("--loop=backwards"), path("a.txt")},
             {QStringLiteral("--export-gif=") + out, QStringLiteral("--loop"), path("a.txt")},
             {QStringLiteral("--export-gif=") + out, QStringLiteral("--export-apng=") + out, path("a.txt")},
             {path("a.txt")},                                                       // an input but nothing to do
             {QStringLiteral("--export-mmt=") + out, path("a.txt"), path("a.dat")}, // neither .mmt nor .txt
         }) {
        const BatchRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("Usage:"))) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(BatchModeTest, HelpAndVersionGoToStandardOutput) {
    BatchRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--export-html", "--export-gif", "--export-webp", "--export-apng", "--scale", "--loop"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
    BatchRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("quillet ")));
}

TEST_F(BatchModeTest, MissingInputExitsOneAndWritesNothing) {
    writeFile(QStringLiteral("a.txt"), "hello\r\n");
    const QString out = path(QStringLiteral("out.mmt"));
    writeFile(QStringLiteral("out.mmt"), "old contents");
    const BatchRun result = run({QStringLiteral("--export-mmt=") + out, path("a.txt"), path("missing.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("文件不存在")));
    EXPECT_TRUE(result.err.contains(path("missing.txt")));
    EXPECT_EQ(readFile(out), QByteArray("old contents"));
}

TEST_F(BatchModeTest, DirectoryAsInputIsASystemError) {
    ASSERT_TRUE(QDir().mkpath(path("folder.txt")));
    const BatchRun result = run({QStringLiteral("--export-mmt=") + path("out.mmt"), path("folder.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(path("folder.txt")));
    EXPECT_FALSE(QFile::exists(path("out.mmt")));
}

// Also when the units before it already fill the document.
TEST_F(BatchModeTest, InputShorterThanOneRecordIsNoAnimation) {
    writeFile(QStringLiteral("short.mmt"), "not an animation");
    writeFile(QStringLiteral("full.mmt"), QByteArray(50 * kRecordSize, '\0'));
    const QString out = path(QStringLiteral("out.mmt"));
    for (const QStringList& before : {QStringList(), QStringList{path("full.mmt")}}) {
        writeFile(QStringLiteral("out.mmt"), "old contents");
        const BatchRun result =
            run(QStringList{QStringLiteral("--export-mmt=") + out} + before + QStringList{path("short.mmt")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(
            result.err.contains(path("short.mmt") + QStringLiteral(": ") + QString::fromUtf8(kNotAnimationText)))
            << result.err.toStdString();
        EXPECT_EQ(readFile(out), QByteArray("old contents"));
    }
}

TEST_F(BatchModeTest, ExportsTextAndAnimationInputsInOrder) {
    writeFile(QStringLiteral("a.txt"), "first\r\n");
    writeFile(QStringLiteral("b.txt"), "second\r\n");
    const QString twoUnits = path(QStringLiteral("two.mmt"));
    ASSERT_EQ(run({QStringLiteral("--export-mmt=") + twoUnits, path("a.txt"), path("b.txt")}).exitCode, 0);
    ASSERT_EQ(records(twoUnits).size(), 2);

    const QString three = path(QStringLiteral("three.mmt"));
    ASSERT_EQ(run({QStringLiteral("--export-mmt=") + three, twoUnits, path("a.txt")}).exitCode, 0);
    const QList<QByteArray> stored = records(three);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0], records(twoUnits)[0]);
    EXPECT_EQ(stored[1], records(twoUnits)[1]);
    EXPECT_EQ(stored[2].left(12 * 5), stored[0].left(12 * 5)); // "first" again, same cells
}

TEST_F(BatchModeTest, BadColourListIsReportedAndTheExportGoesOn) {
    writeFile(QStringLiteral("page.txt"), "text\r\n");
    writeFile(QStringLiteral("page.clo"), "3\r\nnot a number\r\n 1\r\n");
    const BatchRun result = run({QStringLiteral("--export-mmt=") + path("out.mmt"), path("page.txt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains(QStringLiteral("FileOpenError!")));
    EXPECT_TRUE(result.err.contains(path("page.clo")));
    EXPECT_EQ(records(path("out.mmt")).size(), 1);
}

// Units' own durations travel from an animation input to the file and the page; durations that
// cannot be trusted are reported with the input's name, and the export goes on without them.
TEST_F(BatchModeTest, DurationsTravelAndIgnoredOnesAreReported) {
    TFilmPanel strip;
    const QByteArray blank(kRecordSize, '\0');
    strip.AddRecordUnit(blank.constData());
    strip.AddRecordUnit(blank.constData());
    strip.SetUnitDuration(1, 300);
    const QString timed = path(QStringLiteral("timed.mmt"));
    WriteAnimationFile(timed, strip);

    BatchRun result = run({QStringLiteral("--export-mmt=") + path("out.mmt"), timed});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.isEmpty()) << qPrintable(result.err);
    EXPECT_EQ(readFile(path("out.mmt")), readFile(timed));
    EXPECT_EQ(ReadAnimationFile(path("out.mmt"), 50).durations, (QList<std::int32_t>{0, 300}));
    ASSERT_EQ(run({QStringLiteral("--export-html=") + path("page.htm"), timed}).exitCode, 0);
    EXPECT_TRUE(readFile(path("page.htm")).contains("\r\nvar delays=[0,300];\r\n"));

    QByteArray bytes = readFile(timed);
    bytes[bytes.size() - 1] = static_cast<char>(bytes.at(bytes.size() - 1) ^ 1);
    writeFile(QStringLiteral("damaged.mmt"), bytes);
    result = run({QStringLiteral("--export-mmt=") + path("again.mmt"), path("damaged.mmt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, path("damaged.mmt") + QStringLiteral(": ") + QString::fromUtf8(kDurationsDamagedText) +
                              QLatin1Char('\n'));
    EXPECT_EQ(readFile(path("again.mmt")), bytes.left(2 * kRecordSize));
}

TEST_F(BatchModeTest, KeepsTheFirstFiftyUnits) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    QStringList arguments{QStringLiteral("--export-mmt=") + path("out.mmt")};
    for (int i = 0; i < 51; ++i)
        arguments << path("a.txt");
    const BatchRun result = run(arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Not all data open!")));
    EXPECT_EQ(records(path("out.mmt")).size(), 50);
}

TEST_F(BatchModeTest, UnitColoursComeFromOptionsThenSettingsThenDefaults) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    // Built-in defaults: white background, green text.
    ASSERT_EQ(run({QStringLiteral("--export-mmt=") + path("builtin.mmt"), path("a.txt")}).exitCode, 0);
    QByteArray record = records(path("builtin.mmt")).first();
    EXPECT_EQ(lastCellColour(record, 4), 0x008000);
    EXPECT_EQ(lastCellColour(record, 8), 0xFFFFFF);

    QFile ini(programDir + QStringLiteral("Tevrano.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[FilmPanel]\r\nDefault_FontColor=255\r\nDefault_BackColor=0\r\n");
    ini.close();
    ASSERT_EQ(run({QStringLiteral("--export-mmt=") + path("stored.mmt"), path("a.txt")}).exitCode, 0);
    record = records(path("stored.mmt")).first();
    EXPECT_EQ(lastCellColour(record, 4), 0x0000FF);
    EXPECT_EQ(lastCellColour(record, 8), 0);

    ASSERT_EQ(
        run({QStringLiteral("--export-mmt=") + path("given.mmt"), QStringLiteral("--unit-font=00FF00"), path("a.txt")})
            .exitCode,
        0);
    record = records(path("given.mmt")).first();
    EXPECT_EQ(lastCellColour(record, 4), 0x00FF00); // RRGGBB green
    EXPECT_EQ(lastCellColour(record, 8), 0);        // still from the settings
}

TEST_F(BatchModeTest, PicturesAreTheUnitsTextAreas) {
    writeFile(QStringLiteral("a.txt"), "abc\r\nde\r\n");
    const QString folder = path(QStringLiteral("pictures/new"));
    ASSERT_EQ(run({QStringLiteral("--export-png=") + folder, QStringLiteral("--byte-mode=single"), path("a.txt"),
                   path("a.txt")})
                  .exitCode,
              0);
    const QImage first(folder + QStringLiteral("/unit-001.png"));
    ASSERT_FALSE(first.isNull());
    // 3 single-byte cells by 2 rows: (6 * 3 + 44 - 42) x (12 * 2 + 23 - 23).
    EXPECT_EQ(first.size(), QSize(20, 24));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/unit-002.png")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/unit-003.png")));
}

// The animations' own decoders read them back in the image export's tests; here, what the options
// change: the format, the canvas at the scale, the page colour around a smaller unit, the delay.
TEST_F(BatchModeTest, AnimationsTakeScaleLoopSpeedAndPageColour) {
    writeFile(QStringLiteral("a.txt"), "abc\r\nde\r\n"); // 20 x 24 pixels single-byte
    writeFile(QStringLiteral("b.txt"), "abcdefgh\r\n");  // 50 x 12
    const QSize canvas(50 * 2, 24 * 2);
    const QStringList options = {QStringLiteral("--byte-mode=single"),
                                 QStringLiteral("--scale=2"),
                                 QStringLiteral("--loop=pingpong"),
                                 QStringLiteral("--speed=250"),
                                 QStringLiteral("--page-back=112233"),
                                 path("a.txt"),
                                 path("b.txt")};
    const BatchRun gif = run(QStringList{QStringLiteral("--export-gif=") + path("a.gif")} + options);
    ASSERT_EQ(gif.exitCode, 0) << gif.err.toStdString();
    const QByteArray gifBytes = readFile(path("a.gif"));
    EXPECT_TRUE(gifBytes.startsWith("GIF89a"));
    EXPECT_EQ(QSize(static_cast<uchar>(gifBytes[6]) | static_cast<uchar>(gifBytes[7]) << 8,
                    static_cast<uchar>(gifBytes[8]) | static_cast<uchar>(gifBytes[9]) << 8),
              canvas);
    const qsizetype control = gifBytes.indexOf("\x21\xF9\x04");
    ASSERT_GE(control, 0);
    EXPECT_EQ(static_cast<uchar>(gifBytes[control + 4]), 25); // hundredths of a second
    EXPECT_TRUE(gifBytes.contains("NETSCAPE2.0"));

    ASSERT_EQ(run(QStringList{QStringLiteral("--export-webp=") + path("a.webp")} + options).exitCode, 0);
    const QByteArray webp = readFile(path("a.webp"));
    EXPECT_TRUE(webp.startsWith("RIFF") && webp.mid(8, 8) == "WEBPVP8X") << webp.left(16).toHex().toStdString();

    // An APNG's first frame is its plain PNG picture too.
    ASSERT_EQ(run(QStringList{QStringLiteral("--export-apng=") + path("a.png")} + options).exitCode, 0);
    const QImage first(path("a.png"));
    ASSERT_EQ(first.size(), canvas);
    EXPECT_EQ(first.pixel(canvas.width() - 1, 0), qRgb(0x11, 0x22, 0x33));
    EXPECT_TRUE(readFile(path("a.png")).contains("acTL"));

    // Nothing to show: no file, and the one that was there stays.
    writeFile(QStringLiteral("empty.txt"), "");
    writeFile(QStringLiteral("old.gif"), "old");
    const BatchRun empty = run({QStringLiteral("--export-gif=") + path("old.gif"), path("empty.txt")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(path("old.gif"))) << empty.err.toStdString();
    EXPECT_EQ(readFile(path("old.gif")), QByteArray("old"));
}

TEST_F(BatchModeTest, PageTakesOptionsAndSettings) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    const QString page = path(QStringLiteral("page.htm"));
    ASSERT_EQ(run({QStringLiteral("--export-html=") + page, QStringLiteral("--title=标题"),
                   QStringLiteral("--speed=250"), QStringLiteral("--page-back=ff0000"), path("a.txt")})
                  .exitCode,
              0);
    const QByteArray html = readFile(page);
    EXPECT_TRUE(html.startsWith(QByteArray("<Html><head><TITLE>") + QByteArray("\xB1\xEA\xCC\xE2") + "</TITLE>\r\n"));
    EXPECT_TRUE(html.contains("var max_pics=1;\r\nvar delay=250;\r\n"));
    EXPECT_TRUE(html.contains("<BODY bgcolor=\"#ff0000\" text=\"#000000\" "));
    EXPECT_TRUE(html.endsWith("</BODY></HTML>\r\n"));
}

// Each page option comes from its flag, else from the settings file, else from the built-in value.
// A stored colour text that GBK cannot hold is refused like a given one, but only when the page
// would take it.
TEST_F(BatchModeTest, PageOptionsComeFromFlagsThenSettingsThenDefaults) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    struct Case {
        QByteArray settings; // empty: no settings file
        QStringList flags;
        int exitCode;
        QByteArray delay;
        QByteArray body; // the page colour texts as the page's body tag holds them
    };
    const Case cases[] = {
        {"", {}, 0, "100", "bgcolor=\"#FFFFFF\" text=\"#000000\""},
        {"[Html]\nback_color=中文\nfont_color=00ff00\nspeed=37\n",
         {},
         0,
         "37",
         "bgcolor=\"#\xd6\xd0\xce\xc4\" text=\"#00ff00\""},
        {"[Html]\nback_color=中文\nfont_color=00ff00\nspeed=37\n",
         {QStringLiteral("--speed=5"), QStringLiteral("--page-font=abc")},
         0,
         "5",
         "bgcolor=\"#\xd6\xd0\xce\xc4\" text=\"#abc\""},
        {"[Html]\nback_color=a😀\n", {}, 2, "", ""},
        {"[Html]\nback_color=a😀\n",
         {QStringLiteral("--page-back=ff0000")},
         0,
         "100",
         "bgcolor=\"#ff0000\" text=\"#000000\""},
    };
    const QString page = path(QStringLiteral("page.htm"));
    for (const Case& c : cases) {
        QFile::remove(programDir + QStringLiteral("Tevrano.ini"));
        if (!c.settings.isEmpty()) writeFile(QStringLiteral("program/Tevrano.ini"), c.settings);
        QFile::remove(page);
        const BatchRun result =
            run(QStringList{QStringLiteral("--export-html=") + page} + c.flags + QStringList{path("a.txt")});
        ASSERT_EQ(result.exitCode, c.exitCode) << c.settings.toStdString() << result.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(result.err.contains(QStringLiteral("\"a😀\" holds characters the GBK code page cannot hold")))
                << result.err.toStdString();
            EXPECT_FALSE(QFile::exists(page));
            continue;
        }
        const QByteArray html = readFile(page);
        EXPECT_TRUE(html.contains("\r\nvar delay=" + c.delay + ";\r\n")) << c.settings.toStdString();
        EXPECT_TRUE(html.contains("<BODY " + c.body + " onload=")) << c.settings.toStdString();
    }
}

TEST_F(BatchModeTest, ShortOrMissingTemplateFailsWithoutAFile) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    writeFile(QStringLiteral("short.txt"), QByteArray("line\n").repeated(54));
    const QString page = path(QStringLiteral("page.htm"));
    BatchRun result =
        run({QStringLiteral("--export-html=") + page, QStringLiteral("--script=") + path("short.txt"), path("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(path("short.txt")));
    EXPECT_FALSE(QFile::exists(page));

    QFile::remove(programDir + QStringLiteral("Script.txt"));
    result = run({QStringLiteral("--export-html=") + page, path("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Script.txt")));
    EXPECT_FALSE(QFile::exists(page));
}

TEST_F(BatchModeTest, InputKindIsTakenFromTheExtensionInAnyCase) {
    writeFile(QStringLiteral("a.Txt"), "x\r\n");
    ASSERT_EQ(run({QStringLiteral("--export-mmt=") + path("one.mmt"), path("a.Txt")}).exitCode, 0);
    ASSERT_TRUE(QFile::rename(path("one.mmt"), path("ONE.MMT")));
    const BatchRun result = run({QStringLiteral("--export-mmt=") + path("two.mmt"), path("ONE.MMT"), path("a.Txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(records(path("two.mmt")).size(), 2);
}

TEST_F(BatchModeTest, OutputsThatAreNotRegularFilesAreRefusedAndKept) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    const QString pictures = path(QStringLiteral("pictures"));
    ASSERT_TRUE(QDir().mkpath(pictures));
    const QString pipes[] = {path("pipe.mmt"), path("pipe.htm"), pictures + QStringLiteral("/unit-001.png")};
    for (const QString& pipe : pipes)
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0) << std::strerror(errno);
    const QStringList exports = {QStringLiteral("--export-mmt=") + pipes[0],
                                 QStringLiteral("--export-html=") + pipes[1],
                                 QStringLiteral("--export-png=") + pictures};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(exports[i].toStdString());
        const BatchRun result = run({exports[i], path("a.txt")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(pipes[i] + QStringLiteral(": not a regular file"))) << result.err.toStdString();
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(pipes[i]).constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
    }
}

TEST_F(BatchModeTest, PictureFolderHoldsExactlyThePicturesOfThisExport) {
    writeFile(QStringLiteral("a.txt"), "abc\r\nde\r\n");
    writeFile(QStringLiteral("empty.txt"), "");
    const QString folder = path(QStringLiteral("pictures"));
    ASSERT_EQ(run({QStringLiteral("--export-png=") + folder, path("a.txt"), path("a.txt"), path("a.txt"), path("a.txt"),
                   path("a.txt")})
                  .exitCode,
              0);
    const QByteArray picture = readFile(folder + QStringLiteral("/unit-001.png"));
    ASSERT_FALSE(picture.isEmpty());

    // Other files of the folder, near misses of the pictures' names among them, stay as they are.
    const QStringList others = {QStringLiteral("notes.txt"),     QStringLiteral("unit-1.png"),
                                QStringLiteral("unit-0004.png"), QStringLiteral("unit-004.png.bak"),
                                QStringLiteral("UNIT-005.PNG"),  QStringLiteral("unit-04a.png")};
    for (const QString& name : others)
        writeFile(QStringLiteral("pictures/") + name, "keep");
    // An old picture spoilt, and two replaced by links that lead out of the folder.
    writeFile(QStringLiteral("pictures/unit-001.png"), "spoilt");
    writeFile(QStringLiteral("outside-3"), "outside");
    writeFile(QStringLiteral("outside-5"), "outside");
    for (const char* n : {"3", "5"}) {
        const QString link = folder + QStringLiteral("/unit-00%1.png").arg(QLatin1String(n));
        ASSERT_TRUE(QFile::remove(link));
        ASSERT_TRUE(QFile::link(path(QStringLiteral("outside-%1").arg(QLatin1String(n))), link));
    }

    const BatchRun result =
        run({QStringLiteral("--export-png=") + folder, path("a.txt"), path("empty.txt"), path("a.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("unit 2 is empty")));
    QStringList expected = others + QStringList{QStringLiteral("unit-001.png"), QStringLiteral("unit-003.png")};
    expected.sort();
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              expected);
    for (const QString& name : {QStringLiteral("unit-001.png"), QStringLiteral("unit-003.png")}) {
        const QFileInfo written(folder + QLatin1Char('/') + name);
        EXPECT_FALSE(written.isSymLink()) << name.toStdString();
        EXPECT_EQ(readFile(written.filePath()), picture) << name.toStdString();
    }
    for (const QString& name : others)
        EXPECT_EQ(readFile(folder + QLatin1Char('/') + name), QByteArray("keep"));
    EXPECT_EQ(readFile(path("outside-3")), QByteArray("outside"));
    EXPECT_EQ(readFile(path("outside-5")), QByteArray("outside"));

    // An entry of a picture's name that is not a file stops the export before anything changes.
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/unit-009.png")));
    const BatchRun refused = run({QStringLiteral("--export-png=") + folder, path("empty.txt")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(folder + QStringLiteral("/unit-009.png: not a regular file")))
        << refused.err.toStdString();
    EXPECT_EQ(readFile(folder + QStringLiteral("/unit-001.png")), picture);
}

TEST_F(BatchModeTest, FullDiskIsNamedByEveryWriter) {
    const std::string reason = enterPrivateMounts();
    if (!reason.empty()) GTEST_SKIP() << "needs a small tmpfs: " << reason;
    writeFile(QStringLiteral("a.txt"), "abc\r\n");
    const QString device = path(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(device));
    if (::mount("tmpfs", QFile::encodeName(device).constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    ASSERT_TRUE(QDir().mkpath(device + QStringLiteral("/pictures")));
    QFile filler(device + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) > 0) {
    }
    filler.close();

    for (const QString& output : {QStringLiteral("--export-mmt=") + device + QStringLiteral("/out.mmt"),
                                  QStringLiteral("--export-html=") + device + QStringLiteral("/out.htm"),
                                  QStringLiteral("--export-png=") + device + QStringLiteral("/pictures"),
                                  QStringLiteral("--export-gif=") + device + QStringLiteral("/out.gif"),
                                  QStringLiteral("--export-webp=") + device + QStringLiteral("/out.webp"),
                                  QStringLiteral("--export-apng=") + device + QStringLiteral("/out.png")}) {
        SCOPED_TRACE(output.toStdString());
        const BatchRun result = run({output, path("a.txt")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << result.err.toStdString();
    }
    EXPECT_EQ(QDir(device).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("filler"), QStringLiteral("pictures")}));
    EXPECT_TRUE(QDir(device + QStringLiteral("/pictures")).isEmpty());
    ::umount2(QFile::encodeName(device).constData(), MNT_DETACH);
}

// A settings file that could not be read is told and the built-in values stand in (see the
// permission test below); one that is no file at all is refused like any other such input.
TEST_F(BatchModeTest, SettingsThatAreNoFileAreToldOnceAndEndTheRun) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    ASSERT_TRUE(QDir().mkpath(programDir + QStringLiteral("Tevrano.ini")));
    const BatchRun result = run({QStringLiteral("--export-mmt=") + path("out.mmt"), path("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.count(QStringLiteral("Tevrano.ini")), 1) << result.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.mmt")));
}

TEST_F(BatchModeTest, PermissionProblemsAreNamedAsTheSystemNamesThem) {
    const QString shared = openToPlainUser();
    const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("locked"))));
    writeFile(QStringLiteral("locked/a.txt"), "x\r\n");
    ::chmod(QFile::encodeName(path("locked")).constData(), 0644); // readable, not searchable
    writeFile(QStringLiteral("page.txt"), "text\r\n");
    writeFile(QStringLiteral("page.clo"), "1\r\n1\r\n 1\r\n*1\r\n255\r\n");
    ::chmod(QFile::encodeName(path("page.clo")).constData(), 0);
    QFile ini(programDir + QStringLiteral("Tevrano.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[FilmPanel]\r\nDefault_FontColor=255\r\nDefault_BackColor=0\r\n");
    ini.close();
    ::chmod(QFile::encodeName(ini.fileName()).constData(), 0);

    BatchRun result = runProgram(
        {QStringLiteral("--export-mmt=") + shared + QStringLiteral("/1.mmt"), path("locked/a.txt")}, becomePlainUser);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(path("locked/a.txt") + QStringLiteral(": ") + denied)) << result.err.toStdString();
    EXPECT_FALSE(result.err.contains(QStringLiteral("文件不存在")));

    result = runProgram({QStringLiteral("--export-mmt=") + shared + QStringLiteral("/2.mmt"), path("page.txt")},
                        becomePlainUser);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(
        result.err.contains(QStringLiteral("FileOpenError!: ") + path("page.clo") + QStringLiteral(": ") + denied))
        << result.err.toStdString();
    EXPECT_EQ(result.err.count(QStringLiteral("Tevrano.ini: ") + denied), 1) << result.err.toStdString();
    const QByteArray record = records(shared + QStringLiteral("/2.mmt")).value(0);
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(lastCellColour(record, 4), 0x008000);
    EXPECT_EQ(lastCellColour(record, 8), 0xFFFFFF);
}

TEST_F(BatchModeTest, HelpAndVersionThatCannotBeWrittenExitOne) {
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        SCOPED_TRACE(option.toStdString());
        const BatchRun written = runProgram({option});
        EXPECT_EQ(written.exitCode, 0);
        EXPECT_FALSE(written.out.isEmpty());
        const BatchRun closed = runProgram({option}, closeStandardOutput);
        EXPECT_EQ(closed.exitCode, 1);
        EXPECT_TRUE(closed.err.contains(QStringLiteral("quillet: standard output: "))) << closed.err.toStdString();
        if (!QFileInfo::exists(QStringLiteral("/dev/full"))) continue;
        const BatchRun full = runProgram({option}, writeToFullDevice);
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_TRUE(full.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << full.err.toStdString();
    }
}

TEST_F(BatchModeTest, NamesThatAreNotUtf8AreRefusedRatherThanChanged) {
    writeFile(QStringLiteral("a.txt"), "x\r\n");
    const QByteArray badInput = QFile::encodeName(work.path()) + "/b\xff.txt";
    const int fd = ::open(badInput.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x\r\n", 3), 3);
    ::close(fd);
    const QStringList before = QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    // The shell hands the program the raw bytes: \377 is no UTF-8 text.
    const QStringList scripts = {
        QStringLiteral("exec \"$0\" --export-mmt=\"$1/out$(printf '\\377').mmt\" \"$1/a.txt\""),
        QStringLiteral("exec \"$0\" --export-mmt=\"$1/out.mmt\" \"$1/b$(printf '\\377').txt\""),
    };
    for (const QString& script : scripts) {
        SCOPED_TRACE(script.toStdString());
        const BatchRun result =
            runProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, program(), work.path()});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(QStringLiteral("not valid UTF-8"))) << result.err.toStdString();
        EXPECT_EQ(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Saving a document over an existing animation file: whatever happens to the saving process or the
// device, the file on disk is the complete old document or the complete new one.
#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kUnits = TFilmPanel::kMaxUnits;

// 50 units whose records differ from unit to unit and from one generation to the next, cell text
// and colours alike, so a record of the wrong document or at the wrong place shows.
std::unique_ptr<TFilmPanel> makeDocument(int generation) {
    auto strip = std::make_unique<TFilmPanel>();
    std::vector<std::unique_ptr<TAnsiImage>> units;
    QByteArray record(kRecordSize, '\0');
    for (int u = 0; u < kUnits; ++u) {
        for (int i = 0; i < kRecordSize; ++i)
            record[i] = static_cast<char>((i * 7 + u * 13 + generation * 101) & 0xFF);
        auto unit = std::make_unique<TAnsiImage>();
        unit->LoadFromRecord(record.constData());
        units.push_back(std::move(unit));
    }
    strip->AppendUnits(std::move(units));
    return strip;
}

QByteArray fileBytes(const TFilmPanel& strip) {
    QByteArray bytes;
    for (int u = 0; u < strip.count(); ++u)
        bytes += strip.GetUnit(u).SaveToRecord();
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("unreadable");
    return file.readAll();
}

// Everything in the folder besides the document: what a killed save may leave behind.
QStringList strayFiles(const QString& folder, const QString& document) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(QFileInfo(document).fileName());
    return names;
}

class CrashSafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath(QStringLiteral("动画 文档.mmt"));
        oldDoc = makeDocument(1);
        newDoc = makeDocument(2);
        oldBytes = fileBytes(*oldDoc);
        newBytes = fileBytes(*newDoc);
        ASSERT_EQ(oldBytes.size(), qsizetype{kUnits} * kRecordSize);
        ASSERT_NE(oldBytes, newBytes);
    }

    QTemporaryDir folder;
    QString path;
    std::unique_ptr<TFilmPanel> oldDoc;
    std::unique_ptr<TFilmPanel> newDoc;
    QByteArray oldBytes;
    QByteArray newBytes;
};

// What a saving child reports through shared memory: how many saves it began and whether one is
// running right now.
struct SaveProgress {
    std::atomic<int> begun{0};
    std::atomic<bool> saving{false};
};

// Saves the two documents in turn over the file until killed; never returns.
[[noreturn]] void saveForever(const QString& path, const TFilmPanel& first, const TFilmPanel& second,
                              SaveProgress* progress) {
    try {
        for (int n = 0;; ++n) {
            progress->saving = true;
            progress->begun.fetch_add(1);
            WriteAnimationFile(path, n % 2 == 0 ? first : second);
            progress->saving = false;
        }
    } catch (...) {
        _exit(3);
    }
}

TEST_F(CrashSafeSave, KilledAtRandomMomentsLeavesTheOldOrTheNewDocument) {
    WriteAnimationFile(path, *oldDoc);
    ASSERT_EQ(readFile(path), oldBytes);

    // How long one save takes here, so the kills spread over whole saves and the gaps between them.
    const QString probe = folder.filePath(QStringLiteral("probe.mmt"));
    const auto before = Clock::now();
    WriteAnimationFile(probe, *newDoc);
    const auto saveTime = std::max<Clock::duration>(Clock::now() - before, std::chrono::milliseconds(2));
    QFile::remove(probe);

    void* shared = mmap(nullptr, sizeof(SaveProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto* progress = new (shared) SaveProgress;

    std::mt19937 random(20261207);
    // Up to one and a half saves: a third of the kills come after the first save has finished.
    const long long saveMicros = std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count();
    std::uniform_int_distribution<long long> delay(0, saveMicros * 3 / 2);
    const int wanted = 200;
    const auto started = Clock::now();
    const auto deadline = started + std::chrono::seconds(55);
    int kills = 0, midSave = 0, foundOld = 0, foundNew = 0;
    while (kills < wanted && Clock::now() < deadline) {
        progress->begun = 0;
        progress->saving = false;
        const pid_t child = fork();
        ASSERT_GE(child, 0) << std::strerror(errno);
        if (child == 0)
            saveForever(path, kills % 2 == 0 ? *newDoc : *oldDoc, kills % 2 == 0 ? *oldDoc : *newDoc, progress);
        // Every third kill waits for the first save to finish, so the new document is found on disk
        // however slow the machine makes a save.
        if (kills % 3 == 0) {
            const auto limit = Clock::now() + std::chrono::seconds(5);
            while (progress->begun < 2 && Clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        const bool wasSaving = progress->saving;
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saving child ended by itself";
        ++kills;
        midSave += wasSaving ? 1 : 0;

        const QByteArray onDisk = readFile(path);
        const bool isOld = onDisk == oldBytes;
        const bool isNew = onDisk == newBytes;
        ASSERT_TRUE(isOld || isNew) << "kill " << kills << " left " << onDisk.size()
                                    << " bytes that are neither document";
        foundOld += isOld ? 1 : 0;
        foundNew += isNew ? 1 : 0;
        for (const QString& stray : strayFiles(folder.path(), path))
            QFile::remove(folder.filePath(stray));
    }
    munmap(shared, sizeof(SaveProgress));

    // A loaded machine makes every save slower and fits fewer kills into the time allowed; what the
    // test needs is enough kills in the middle of a save, not a count tied to the machine's speed.
    const int enough = 40;
    EXPECT_GE(kills, enough) << "only " << kills << " kills in the time allowed";
    // The kills must have hit saves in progress, and both outcomes must have occurred.
    EXPECT_GE(midSave, kills / 2);
    EXPECT_GT(foundOld, 0);
    EXPECT_GT(foundNew, 0);
    std::printf(
        "%d kills in %lld ms (%d during a save): old document %d times, new %d times; one save takes %lld ms\n", kills,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()),
        midSave, foundOld, foundNew, saveMicros / 1000);
}

// A private mount namespace for this process, so the test's mounts vanish with it. Empty when
// mounting is not permitted here; then the reason.
std::string enterPrivateMounts() {
    if (unshare(CLONE_NEWNS) != 0) return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("making / private: ") + std::strerror(errno);
    return {};
}

TEST_F(CrashSafeSave, FullDeviceKeepsTheOldFileAndReportsTheSystemError) {
    const std::string reason = enterPrivateMounts();
    if (!reason.empty()) GTEST_SKIP() << "needs a small tmpfs: " << reason;
    const QString device = folder.filePath(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(device));
    // Room for one document but not for a second one beside it.
    const QByteArray options = "size=" + QByteArray::number(oldBytes.size() + oldBytes.size() / 4);
    if (mount("tmpfs", QFile::encodeName(device).constData(), "tmpfs", 0, options.constData()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    const QString file = device + QStringLiteral("/页面.mmt");
    WriteAnimationFile(file, *oldDoc);

    try {
        WriteAnimationFile(file, *newDoc);
        ADD_FAILURE() << "saving on a full device reported success";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path().toStdString(), file.toStdString());
        EXPECT_EQ(error.description().toStdString(), std::strerror(ENOSPC));
    }
    EXPECT_EQ(readFile(file), oldBytes);
    EXPECT_TRUE(strayFiles(device, file).isEmpty()) << strayFiles(device, file).join(u' ').toStdString();
    umount2(QFile::encodeName(device).constData(), MNT_DETACH);
}

TEST_F(CrashSafeSave, DeviceThatRefusesBytesReportsTheSystemError) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly)) GTEST_SKIP() << "/dev/full: " << full.errorString().toStdString();
    try {
        WriteAnimation(full, *newDoc, full.fileName());
        full.close();
        ADD_FAILURE() << "writing to /dev/full reported success";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path().toStdString(), "/dev/full");
        EXPECT_EQ(error.description().toStdString(), std::strerror(ENOSPC));
    }
}

TEST_F(CrashSafeSave, ReadOnlyFolderKeepsTheOldFileAndReportsTheSystemError) {
    const QString locked = folder.filePath(QStringLiteral("只读"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString file = locked + QStringLiteral("/doc.mmt");
    WriteAnimationFile(file, *oldDoc);
    const QByteArray lockedName = QFile::encodeName(locked);

    int expectedError = EACCES;
    if (geteuid() == 0) {
        // Permissions do not stop root: make the folder a read-only mount instead.
        const std::string reason = enterPrivateMounts();
        if (!reason.empty()) GTEST_SKIP() << "running as root, a read-only folder needs a bind mount: " << reason;
        if (mount(lockedName.constData(), lockedName.constData(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, lockedName.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            GTEST_SKIP() << "running as root, cannot bind-mount the folder read-only: " << std::strerror(errno);
        expectedError = EROFS;
    } else {
        ASSERT_EQ(chmod(lockedName.constData(), 0555), 0);
    }

    try {
        WriteAnimationFile(file, *newDoc);
        ADD_FAILURE() << "saving into a read-only folder reported success";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path().toStdString(), file.toStdString());
        EXPECT_EQ(error.description().toStdString(), std::strerror(expectedError));
    }
    EXPECT_EQ(readFile(file), oldBytes);

    if (expectedError == EROFS)
        umount2(lockedName.constData(), MNT_DETACH);
    else
        chmod(lockedName.constData(), 0755);
}

} // namespace
} // namespace quillet

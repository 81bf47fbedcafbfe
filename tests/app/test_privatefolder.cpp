// The private folder of recovery copies and its files: where it is, when it is refused, how its
// files are read and replaced.
#include "fileerror.h"
#include "privatefolder.h"
#include "privatesavefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

// The owner to expect of `path` so that it counts as someone else's: as root the file is given to a
// real second user and this user is expected, otherwise a uid that is not the file's owner is.
uid_t ownerOtherThanOf(const QString& path) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && nobody != nullptr && nobody->pw_uid != 0 &&
        ::lchown(local(path).constData(), nobody->pw_uid, static_cast<gid_t>(-1)) == 0)
        return ::getuid();
    return ::getuid() + 1;
}

QString refusal(const QString& path, uid_t owner) {
    try {
        MakePrivateFolder(path, owner);
    } catch (const FileError& e) {
        return e.description();
    }
    return QString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST(RecoveryFolder, FollowsAnAbsoluteStateHomeOnly) {
    const QByteArray keptState = qgetenv("XDG_STATE_HOME");
    const QByteArray keptHome = qgetenv("HOME");
    qputenv("HOME", "/home/用户");
    const struct {
        const char* state;
        const char* folder;
    } cases[] = {
        {"/srv/state", "/srv/state/quillet/recovery"},
        {"/srv/state/", "/srv/state/quillet/recovery"},
        {"", "/home/用户/.local/state/quillet/recovery"},
        {"relative/state", "/home/用户/.local/state/quillet/recovery"},
    };
    for (const auto& c : cases) {
        qputenv("XDG_STATE_HOME", c.state);
        EXPECT_EQ(RecoveryFolder(), QString::fromUtf8(c.folder)) << c.state;
    }
    qputenv("HOME", keptHome);
    qputenv("XDG_STATE_HOME", keptState);
}

TEST(MakePrivateFolder, RefusesWhatOthersCanChangeAndLeavesItAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path() + QStringLiteral("/");
    const QString parentOpen = base + QStringLiteral("a/quillet");
    ASSERT_TRUE(QDir().mkpath(parentOpen + QStringLiteral("/recovery")));
    ASSERT_EQ(::chmod(local(parentOpen).constData(), 0777), 0);
    writeBytes(base + QStringLiteral("b"), "a file");
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("c/recovery")));
    const uid_t stranger = ownerOtherThanOf(base + QStringLiteral("c/recovery"));

    EXPECT_EQ(refusal(parentOpen + QStringLiteral("/recovery"), ::getuid()),
              QStringLiteral("其他用户可以写入此文件夹"));
    EXPECT_EQ(refusal(base + QStringLiteral("b/recovery"), ::getuid()), QString::fromLocal8Bit(strerror(ENOTDIR)));
    EXPECT_EQ(refusal(base + QStringLiteral("c/recovery"), stranger), QStringLiteral("文件夹不属于当前用户"));
    struct stat info {};
    ASSERT_EQ(::stat(local(parentOpen).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0777u);

    // Missing folders on the way are made private as they are created.
    const QString fresh = base + QStringLiteral("新/quillet/recovery");
    EXPECT_EQ(refusal(fresh, ::getuid()), QString());
    for (const QString& folder : {base + QStringLiteral("新"), base + QStringLiteral("新/quillet"), fresh}) {
        ASSERT_EQ(::stat(local(folder).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u) << folder.toStdString();
    }
}

TEST(ReadOwnSmallFile, ReadsUpToTheLimitAndOnlyTheOwnersFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QStringLiteral("/名字.name");
    writeBytes(path, QByteArray(16, 'n'));
    EXPECT_EQ(ReadOwnSmallFile(path, ::getuid(), 16), QByteArray(16, 'n'));
    EXPECT_EQ(ReadOwnSmallFile(path, ::getuid(), 15), std::nullopt);
    EXPECT_EQ(ReadOwnSmallFile(dir.path() + QStringLiteral("/missing"), ::getuid(), 16), std::nullopt);
    const uid_t stranger = ownerOtherThanOf(path);
    EXPECT_FALSE(IsOwnRegularFile(path, stranger));
    EXPECT_EQ(ReadOwnSmallFile(path, stranger, 16), std::nullopt);
}

TEST(PrivateSaveFile, DroppedBeforeCommitLeavesTheOldFileAndNoPart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QStringLiteral("/copy.mmt");
    writeBytes(path, "old");
    {
        PrivateSaveFile file(path);
        ASSERT_EQ(file.device().write("new bytes"), 9);
    }
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    EXPECT_FALSE(QFile::exists(path + PrivateSaveFile::kPartSuffix));
}

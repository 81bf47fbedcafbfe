// What the one writer of every output file replaces: regular files, and the targets of the links the
// system itself would follow; never a folder, device, pipe or socket.
#include "fileerror.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quillet;

namespace {

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

struct stat lstatOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(local(path).constData(), &info), 0) << path.toStdString() << ": " << std::strerror(errno);
    return info;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// Saves `bytes` to path; the error's description when the save is refused, empty when it is done.
std::string save(const QString& path, const QByteArray& bytes) {
    try {
        SaveFile file(path);
        file.write(bytes);
        file.commit();
        return {};
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
        EXPECT_FALSE(error.description().isEmpty());
        return error.description().toStdString();
    }
}

void link(const QString& target, const QString& name) {
    ASSERT_EQ(::symlink(local(target).constData(), local(name).constData()), 0) << std::strerror(errno);
}

TEST(SaveFile, EntriesThatAreNotRegularFilesAreRefusedAndKept) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int socketFd = -1;
    // Each maker leaves an entry of its kind at the path, or says why it cannot.
    const QList<std::pair<const char*, std::function<std::string(const QString&)>>> kinds = {
        {"folder",
         [](const QString& path) {
             if (!QDir().mkpath(path + QStringLiteral("/inside"))) return std::string("mkdir failed");
             return std::string();
         }},
        {"pipe",
         [](const QString& path) {
             return ::mkfifo(local(path).constData(), 0644) == 0 ? std::string() : std::strerror(errno);
         }},
        {"socket",
         [&socketFd](const QString& path) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const QByteArray name = local(path);
             if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) return std::string("path too long");
             std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
             socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             if (::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                 return std::string(std::strerror(errno));
             return std::string();
         }},
        {"device",
         [](const QString& path) {
             // The null device, made here so that nothing of the system is at stake.
             return ::mknod(local(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? std::string()
                                                                                         : std::strerror(errno);
         }},
    };
    int tried = 0;
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        const QString target = dir.filePath(QStringLiteral("%1 目标.mmt").arg(QLatin1String(kind)));
        const std::string cannot = make(target);
        if (!cannot.empty()) {
            std::printf("no %s here: %s\n", kind, cannot.c_str());
            continue;
        }
        ++tried;
        const QString viaLink = dir.filePath(QStringLiteral("%1 link.mmt").arg(QLatin1String(kind)));
        link(target, viaLink);
        const struct stat before = lstatOf(target);
        for (const QString& name : {target, viaLink})
            EXPECT_NE(save(name, "new"), "") << name.toStdString();
        const struct stat after = lstatOf(target);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_TRUE(S_ISLNK(lstatOf(viaLink).st_mode));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("目标.mmt")),
                  QStringList());
    }
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("folder 目标.mmt/inside"))));
    EXPECT_GE(tried, 3);
    if (socketFd >= 0) ::close(socketFd);
}

TEST(SaveFile, OwnLinksAreWrittenThroughToTheirTarget) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("real"))));
    const QString target = dir.filePath(QStringLiteral("real/页面.htm"));
    writeBytes(target, "old");
    // A chain of relative links: first → real/second → 页面.htm.
    link(QStringLiteral("页面.htm"), dir.filePath(QStringLiteral("real/second")));
    link(QStringLiteral("real/second"), dir.filePath(QStringLiteral("first")));
    EXPECT_EQ(save(dir.filePath(QStringLiteral("first")), "new"), "");
    EXPECT_EQ(contents(target), QByteArray("new"));
    EXPECT_TRUE(S_ISLNK(lstatOf(dir.filePath(QStringLiteral("first"))).st_mode));
    EXPECT_TRUE(S_ISLNK(lstatOf(dir.filePath(QStringLiteral("real/second"))).st_mode));

    // A link to a file not yet there makes the file.
    link(dir.filePath(QStringLiteral("real/later.mmt")), dir.filePath(QStringLiteral("later")));
    EXPECT_EQ(save(dir.filePath(QStringLiteral("later")), "made"), "");
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("real/later.mmt"))), QByteArray("made"));

    // Links that lead round in a circle end in the system's error.
    link(QStringLiteral("loop-b"), dir.filePath(QStringLiteral("loop-a")));
    link(QStringLiteral("loop-a"), dir.filePath(QStringLiteral("loop-b")));
    EXPECT_EQ(save(dir.filePath(QStringLiteral("loop-a")), "x"), std::strerror(ELOOP));
}

TEST(SaveFile, LinksOfOtherUsersInSharedFoldersAreNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link or a folder to another user needs root";
    const uid_t me = ::geteuid();
    const uid_t other = 65534;
    const uid_t third = 65533;
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    };
    const Case cases[] = {
        {"another user's link in a sticky folder open to all", 01777, me, other, false},
        {"a third user's link in a sticky folder of another", 01777, other, third, false},
        {"the folder owner's link in a sticky folder open to all", 01777, other, other, true},
        {"own link in a sticky folder open to all", 01777, other, me, true},
        {"another user's link in a folder open to all, not sticky", 0777, me, other, true},
        {"another user's link in a sticky folder only its group may write", 01775, me, other, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString shared = dir.filePath(QStringLiteral("shared"));
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_EQ(::chown(local(shared).constData(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(local(shared).constData(), c.folderMode), 0);
        const QString target = dir.filePath(QStringLiteral("settings.ini"));
        writeBytes(target, "old");
        const QString planted = shared + QStringLiteral("/film.mmt");
        link(target, planted);
        ASSERT_EQ(::lchown(local(planted).constData(), c.linkOwner, c.linkOwner), 0);

        const std::string refusal = save(planted, "new");
        EXPECT_EQ(refusal.empty(), c.followed) << refusal;
        EXPECT_EQ(contents(target), c.followed ? QByteArray("new") : QByteArray("old"));
        EXPECT_TRUE(S_ISLNK(lstatOf(planted).st_mode));
        EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("film.mmt")});
    }
}

} // namespace

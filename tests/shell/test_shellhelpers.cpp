#include "runvalues.h"
#include "shellhelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillet;

TEST(FileNameOf, CutsAtTheLastSlash) {
    EXPECT_EQ(FileNameOf("/home/a/b.txt"), "b.txt");
    EXPECT_EQ(FileNameOf("b.txt"), "b.txt");
    EXPECT_EQ(FileNameOf("/home/a/"), "");
    EXPECT_EQ(FileNameOf("/tmp/动画 文件/片 段.mmt"), "片 段.mmt");
}

TEST(ExtensionOf, TakesWhatFollowsTheLastDot) {
    EXPECT_EQ(ExtensionOf("film.mmt"), "mmt");
    EXPECT_EQ(ExtensionOf("a.b.mmt"), "mmt");
    EXPECT_EQ(ExtensionOf("noext"), "");
    EXPECT_EQ(ExtensionOf("name."), "");
    EXPECT_EQ(ExtensionOf("/home/a.b/film"), "b/film");
    EXPECT_EQ(ExtensionOf("/x/FILM.MMT"), "MMT");
}

TEST(ProgramBaseName, IsTheTestProgramsOwnName) {
    int argc = 1;
    char name[] = "test_shellhelpers";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EXPECT_EQ(ProgramBaseName(), "test_shellhelpers");
}

class FindTempDirTest : public ::testing::Test {
protected:
    void TearDown() override { quillet::Run().ProgramDir.clear(); }
};

TEST_F(FindTempDirTest, CreatesTempBesideTheProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    quillet::Run().ProgramDir = dir.path() + "/";
    const QString expected = dir.path() + "/temp";
    EXPECT_EQ(FindTempDir(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(FindTempDir(), expected) << "an existing folder is taken as it is";
}

TEST_F(FindTempDirTest, FallsBackToTheSystemFolderWhenTheProgramFolderCannotHoldOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A plain file where the folder would be: the folder cannot be created, even by root.
    QFile blocker(dir.path() + "/temp");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    quillet::Run().ProgramDir = dir.path() + "/";
    EXPECT_EQ(FindTempDir(), QDir::tempPath());
}

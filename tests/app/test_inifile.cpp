#include "fileerror.h"
#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace quillet;

namespace {

const QByteArray kSample = "; made by hand\n"
                           "top=level\n"
                           "[Display]\n"
                           "  Language = English  \n"
                           "empty=\n"
                           "no equals sign here\n"
                           "# language=hidden\n"
                           "language=second\n"
                           "\n"
                           "[html]\n"
                           "speed=150\n"
                           "[DISPLAY]\n"
                           "window_width=800\n"
                           "[]\n"
                           "orphan=1\n";

} // namespace

TEST(IniFile, FindsSectionsAndKeysWithoutRegardToCaseOrBlanks) {
    const IniFile ini(kSample);
    EXPECT_EQ(ini.value("display", "language"), "English");
    EXPECT_EQ(ini.value(" DISPLAY ", "LANGUAGE"), "English");
    EXPECT_EQ(ini.value("Html", "Speed"), "150");
    EXPECT_EQ(ini.value("display", "window_width"), "800"); // a repeated section adds to the first
    EXPECT_EQ(ini.value("", "top"), "level");
    EXPECT_EQ(ini.value("", "orphan"), "1");
    EXPECT_FALSE(ini.contains("Html", "language"));
    EXPECT_FALSE(ini.contains("display", "no equals sign here"));
    EXPECT_FALSE(ini.contains("display", "# language"));
}

TEST(IniFile, MissingKeyGivesDefaultButEmptyValueIsText) {
    const IniFile ini(kSample);
    EXPECT_EQ(ini.value("display", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.value("nosection", "language", "dflt"), "dflt");
    EXPECT_TRUE(ini.contains("display", "empty"));
    EXPECT_EQ(ini.value("display", "empty", "dflt"), "");
    EXPECT_FALSE(ini.intValue("display", "empty").has_value());
}

TEST(IniFile, IntegersInDecimalOrHexadecimal) {
    const struct {
        const char* text;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {"100", 100},          {"0x64", 100},          {"0X64", 100},         {"$64", 100},
        {"$ff", 255},          {"-5", -5},             {"+7", 7},             {"  42  ", 42},
        {"007", 7},            {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},     {"0x80000005", INT32_MIN + 5}, {"-0x10", -16},
        {"2147483648", std::nullopt},  {"-2147483649", std::nullopt}, {"$100000000", std::nullopt},
        {"99999999999999999999999", std::nullopt}, {"0x", std::nullopt}, {"$", std::nullopt},
        {"-", std::nullopt},   {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"fast", std::nullopt},
        {"0x1g", std::nullopt}, {"$-5", std::nullopt},  {"1.5", std::nullopt}, {"１２", std::nullopt},
    };
    for (const auto& c : cases) {
        const IniFile ini(QByteArray("[s]\nk=") + c.text + "\n");
        EXPECT_EQ(ini.intValue("s", "k"), c.expected) << c.text;
    }
    EXPECT_FALSE(IniFile(kSample).intValue("s", "missing").has_value());
}

TEST(IniFile, FirstOfDuplicateKeysIsReadAndWritten) {
    IniFile ini(kSample);
    ini.setValue("display", "LANGUAGE", "Chinese");
    EXPECT_EQ(ini.value("display", "language"), "Chinese");
    EXPECT_TRUE(ini.toBytes().contains("  Language = Chinese  \n"));
    EXPECT_TRUE(ini.toBytes().contains("language=second\n"));
}

TEST(IniFile, AnyBytesComeBackUnchanged) {
    const QByteArray fixed[] = {
        "", "\n", "\r\n", "x", "a\r\r\n\r", QByteArray("\0=\0\n[\0]\n", 9), "\xEF\xBB\xBF", "\xEF\xBB\xBF[a]\r\nk=v",
        "[unclosed\nk=v\n=novalue\n]\n", "\xFF\xFE[\xD6\xD0]\n\xC3=\x28\n",
    };
    for (const QByteArray& bytes : fixed)
        EXPECT_EQ(IniFile(bytes).toBytes(), bytes) << bytes.toHex().constData();

    std::mt19937 random(5);
    const char alphabet[] = "[]=;# \t\r\n\n\n\xEF\xBB\xBF" "ab$0x\xFF";
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int size = static_cast<int>(random() % 200);
        for (int i = 0; i < size; ++i)
            bytes += round % 2 ? static_cast<char>(random()) : alphabet[random() % (sizeof alphabet - 1)];
        IniFile ini(bytes);
        EXPECT_EQ(ini.toBytes(), bytes);
        ini.value("a", "b");
        ini.intValue("", "a");
        ini.setValue("a", "b", "c");
        EXPECT_EQ(IniFile(ini.toBytes()).value("a", "b"), "c");
    }
}

TEST(IniFile, ReplacingAValueKeepsEveryOtherByte) {
    IniFile ini(QByteArray("\xEF\xBB\xBF; c\r\n[Html]\r\nSPEED =  100 \r\nother=x\r\n"));
    ini.setValue("html", "speed", "250");
    EXPECT_EQ(ini.toBytes(), QByteArray("\xEF\xBB\xBF; c\r\n[Html]\r\nSPEED =  250 \r\nother=x\r\n"));
    ini.setValue("html", "other", "");
    EXPECT_EQ(ini.value("Html", "other", "dflt"), "");
    EXPECT_EQ(ini.toBytes(), QByteArray("\xEF\xBB\xBF; c\r\n[Html]\r\nSPEED =  250 \r\nother=\r\n"));
}

TEST(IniFile, AddedKeyGoesAfterTheLastKeyOfItsSection) {
    IniFile ini(QByteArray("[a]\r\nx=1\r\n; about b\r\n\r\n[b]\r\ny=2\r\n"));
    ini.setValue("A", "z", "3");
    ini.setValue("b", "w", "4");
    EXPECT_EQ(ini.toBytes(), QByteArray("[a]\r\nx=1\r\nz=3\r\n; about b\r\n\r\n[b]\r\ny=2\r\nw=4\r\n"));

    IniFile headerOnly(QByteArray("[a]\n[b]"));
    headerOnly.setValue("a", "k", "v");
    headerOnly.setValue("b", "k", "v");
    EXPECT_EQ(headerOnly.toBytes(), QByteArray("[a]\nk=v\n[b]\nk=v\n"));
}

TEST(IniFile, MissingSectionIsAddedAtTheEnd) {
    IniFile unterminated(QByteArray("[a]\r\nx=1"));
    unterminated.setValue("FilmPanel", "Default_BackColor", "16777215");
    EXPECT_EQ(unterminated.toBytes(), QByteArray("[a]\r\nx=1\r\n[FilmPanel]\r\nDefault_BackColor=16777215\r\n"));

    IniFile empty;
    empty.setIntValue("Html", "speed", -3);
    empty.setValue("Html", "back_color", "FFFFFF");
    EXPECT_EQ(empty.toBytes(), QByteArray("[Html]\nspeed=-3\nback_color=FFFFFF\n"));
}

TEST(IniFile, ValueWithLineBreaksStaysOnOneLine) {
    IniFile ini(QByteArray("[display]\nlanguage=Chinese\n[Html]\nspeed=1\n"));
    ini.setValue("display", "language", "a\r\n[Html]\nspeed=9");
    EXPECT_EQ(ini.value("Html", "speed"), "1");
    EXPECT_EQ(ini.value("display", "language"), "a  [Html] speed=9");
    ini.setValue("display", "language", QString::fromUtf8("中文"));
    EXPECT_EQ(ini.value("display", "language"), QString::fromUtf8("中文"));
}

TEST(IniFile, SavesThroughAFileAndLoadsItAgain) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("设置 file.ini"));
    IniFile ini(QByteArray("[display]\r\nlanguage=Chinese\r\n"));
    ini.setValue("display", "window_width", "700");
    ini.save(path);
    const IniFile loaded = IniFile::load(path);
    EXPECT_EQ(loaded.toBytes(), QByteArray("[display]\r\nlanguage=Chinese\r\nwindow_width=700\r\n"));
}

TEST(IniFile, FileFailuresRaiseFileErrorAndLeaveNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.ini");
    EXPECT_THROW(IniFile::load(missing), FileError);
    EXPECT_FALSE(QFile::exists(missing));

    const QString inMissingFolder = dir.filePath("no/such/folder/Tevrano.ini");
    try {
        IniFile(QByteArray("[a]\n")).save(inMissingFolder);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), inMissingFolder);
        EXPECT_FALSE(error.description().isEmpty());
    }
    EXPECT_THROW(IniFile::load(dir.path()), FileError);
}

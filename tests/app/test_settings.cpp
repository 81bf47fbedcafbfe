#include "fileerror.h"
#include "inifile.h"
#include "previewspeed.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

using namespace quillet;

namespace {

const QByteArray kTypical = "[display]\n"
                            "language=Chinese\n"
                            "window_width=700\n"
                            "window_height=520\n"
                            "window_left=120\n"
                            "window_top=80\n"
                            "[Html]\n"
                            "back_color=FFFFFF\n"
                            "font_color=000000\n"
                            "speed=100\n"
                            "[FilmPanel]\n"
                            "Default_FontColor=0\n"
                            "Default_BackColor=16777215\n"
                            "Default_ByteMode=0\n";

StoredSettings changedValues() {
    StoredSettings s;
    s.language = "English";
    s.windowWidth = 1000;
    s.windowHeight = 700;
    s.windowLeft = -4;
    s.windowTop = 30;
    s.page.backColorHex = "ff0000";
    s.page.fontColorHex = "red";
    s.page.speed = 1210;
    s.defaultFontColor = 0x008000;
    s.defaultBackColor = 0x0000FF;
    s.defaultByteMode = 2;
    return s;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST(Settings, TypicalFileReadsEveryKey) {
    const StoredSettings s =
        ReadSettings(IniFile(QByteArray(kTypical).replace("Default_ByteMode=0", "Default_ByteMode=1")));
    EXPECT_EQ(s.language, "Chinese");
    EXPECT_EQ(s.windowWidth, 700);
    EXPECT_EQ(s.windowHeight, 520);
    EXPECT_EQ(s.windowLeft, 120);
    EXPECT_EQ(s.windowTop, 80);
    EXPECT_EQ(s.page, (PageOptions{"", "FFFFFF", "000000", 100, false}));
    EXPECT_EQ(s.defaultFontColor, 0);
    EXPECT_EQ(s.defaultBackColor, 0xFFFFFF);
    EXPECT_EQ(s.defaultByteMode, 1);
}

TEST(Settings, OnlyHtmlSpeedLeavesEverythingElseAtItsDefault) {
    const StoredSettings s = ReadSettings(IniFile(QByteArray("[Html]\nspeed=150\n")));
    EXPECT_EQ(s.language, "Chinese");
    EXPECT_EQ(s.windowWidth, 640);
    EXPECT_EQ(s.windowHeight, 480);
    EXPECT_EQ(s.windowLeft, 0);
    EXPECT_EQ(s.windowTop, 0);
    EXPECT_EQ(s.page.backColorHex, "FFFFFF");
    EXPECT_EQ(s.page.fontColorHex, "000000");
    EXPECT_EQ(s.defaultFontColor, 0);
    EXPECT_EQ(s.defaultBackColor, 0xFFFFFF);
    EXPECT_EQ(s.defaultByteMode, 0);
    // The page keeps 150 while the bar and the preview take the nearest position.
    EXPECT_EQ(s.page.speed, 150);
    EXPECT_EQ(SpeedBarPositionFromSpeed(s.page.speed), 20);
    EXPECT_EQ(PreviewIntervalFromPosition(SpeedBarPositionFromSpeed(s.page.speed)), 140);
}

TEST(Settings, NamesIgnoreCaseAndIntegersTakeHexadecimal) {
    const StoredSettings s = ReadSettings(IniFile(QByteArray("[HTML]\nSPEED=0x64\n"
                                                             "[filmpanel]\ndefault_fontcolor=$FF\n"
                                                             "DEFAULT_BACKCOLOR = 0x00FF00\n"
                                                             "[Display]\nWindow_Width=$400\nLanguage=English\n")));
    EXPECT_EQ(s.page.speed, 100);
    EXPECT_EQ(s.defaultFontColor, 0xFF);
    EXPECT_EQ(s.defaultBackColor, 0xFF00);
    EXPECT_EQ(s.windowWidth, 1024);
    EXPECT_EQ(s.language, "English");
}

TEST(Settings, UnparsableIntegersCountAsMissing) {
    const StoredSettings s = ReadSettings(IniFile(QByteArray("[display]\nwindow_width=wide\nwindow_left=99999999999\n"
                                                             "[Html]\nspeed=\nback_color=not hex\n"
                                                             "[FilmPanel]\nDefault_BackColor=0xGG\n")));
    EXPECT_EQ(s.windowWidth, 640);
    EXPECT_EQ(s.windowLeft, 0);
    EXPECT_EQ(s.page.speed, 100);
    EXPECT_EQ(s.defaultBackColor, 0xFFFFFF);
    EXPECT_EQ(s.page.backColorHex, "not hex"); // colour texts are kept as they stand
}

TEST(Settings, WritingKeepsTheFileShapeAndNeverWritesByteMode) {
    IniFile ini(QByteArray("; my settings\r\n[display]\r\nlanguage=Chinese\r\nwindow_width=700\r\nwindow_height=520\r\n"
                           "window_left=120\r\nwindow_top=80\r\n\r\n[extra]\r\nkeep=me\r\n"
                           "[FilmPanel]\r\nDefault_ByteMode=2\r\n"));
    WriteSettings(ini, changedValues(), true);
    EXPECT_EQ(ini.toBytes(), QByteArray("; my settings\r\n[display]\r\nlanguage=English\r\nwindow_width=1000\r\n"
                                        "window_height=700\r\nwindow_left=-4\r\nwindow_top=30\r\n\r\n[extra]\r\n"
                                        "keep=me\r\n[FilmPanel]\r\nDefault_ByteMode=2\r\nDefault_FontColor=32768\r\n"
                                        "Default_BackColor=255\r\n[Html]\r\nback_color=ff0000\r\nfont_color=red\r\n"
                                        "speed=1210\r\n"));
}

TEST(Settings, WindowKeysStayWhenTheWindowPlaceIsNotWritten) {
    IniFile ini(kTypical);
    WriteSettings(ini, changedValues(), false);
    const StoredSettings read = ReadSettings(ini);
    EXPECT_EQ(read.windowWidth, 700);
    EXPECT_EQ(read.windowHeight, 520);
    EXPECT_EQ(read.windowLeft, 120);
    EXPECT_EQ(read.windowTop, 80);
    EXPECT_EQ(read.language, "English");
    EXPECT_EQ(read.page.speed, 1210);

    IniFile empty;
    WriteSettings(empty, StoredSettings(), false);
    EXPECT_EQ(empty.toBytes(), QByteArray("[display]\nlanguage=Chinese\n[Html]\nback_color=FFFFFF\nfont_color=000000\n"
                                          "speed=100\n[FilmPanel]\nDefault_FontColor=0\nDefault_BackColor=16777215\n"));
}

// The page colour texts are UTF-8 text in the file and GBK bytes in the page options. A text GBK
// cannot hold whole reads as '?' for each such character and is kept as the file has it; a key the
// file lacks reads as its default. The title and the buttons never reach the file.
TEST(Settings, PageColourTextsAreTheFilesTextInCodePageBytes) {
    struct Case {
        QByteArray stored; // the value's bytes in the file; empty: no key
        QByteArray bytes;
        QString unencodable;
        QByteArray written; // the value WriteSettings gives the bytes
    };
    const Case cases[] = {
        {"", "000000", "", "000000"},
        {"ff00Zz", "ff00Zz", "", "ff00Zz"},
        {"中文", "\xd6\xd0\xce\xc4", "", "中文"},
        {"a😀b", "a?b", QStringLiteral("a😀b"), "a?b"},
        {"\xd6\xd0", "??", QString(2, QChar::ReplacementCharacter), "??"}, // GBK bytes, not UTF-8
    };
    for (const Case& c : cases) {
        const QByteArray file = c.stored.isEmpty() ? QByteArray("[Html]\n") : "[Html]\nfont_color=" + c.stored + "\n";
        const StoredSettings read = ReadSettings(IniFile(file));
        EXPECT_EQ(read.page.fontColorHex, c.bytes) << c.stored.toStdString();
        EXPECT_EQ(read.unencodableFontColor, c.unencodable) << c.stored.toStdString();
        EXPECT_EQ(read.page.backColorHex, "FFFFFF");
        EXPECT_TRUE(read.unencodableBackColor.isEmpty());

        StoredSettings values;
        values.page = PageOptions{"\xb1\xea\xcc\xe2", c.bytes, c.bytes, 7, true};
        IniFile written;
        WriteSettings(written, values, false);
        EXPECT_EQ(written.toBytes(), "[display]\nlanguage=Chinese\n[Html]\nback_color=" + c.written +
                                         "\nfont_color=" + c.written +
                                         "\nspeed=7\n[FilmPanel]\nDefault_FontColor=0\nDefault_BackColor=16777215\n")
            << c.stored.toStdString();
    }
}

TEST(Settings, MissingFileIsNeitherReadNorCreated) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Tevrano.ini");
    EXPECT_FALSE(LoadSettingsFile(path).has_value());
    EXPECT_FALSE(SaveSettingsFile(path, changedValues(), true));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(Settings, ExistingFileIsUpdatedInPlace) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("程序 dir/Tevrano.ini"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    writeAll(path, QByteArray(kTypical) + "[Other]\nx=y\n");
    ASSERT_TRUE(LoadSettingsFile(path).has_value());
    EXPECT_EQ(LoadSettingsFile(path)->windowWidth, 700);

    StoredSettings values = *LoadSettingsFile(path);
    values.page.speed = 3340;
    ASSERT_TRUE(SaveSettingsFile(path, values, false));
    EXPECT_EQ(readAll(path), QByteArray(kTypical).replace("speed=100", "speed=3340") + "[Other]\nx=y\n");
}

TEST(Settings, WindowPlaceIsWrittenOnlyWhenNarrowerThanTheScreenByMoreThanFive) {
    EXPECT_TRUE(ShouldWriteWindowPlace(700, 1920, false));
    EXPECT_TRUE(ShouldWriteWindowPlace(1914, 1920, false));
    EXPECT_FALSE(ShouldWriteWindowPlace(1915, 1920, false));
    EXPECT_FALSE(ShouldWriteWindowPlace(1920, 1920, false));
    EXPECT_FALSE(ShouldWriteWindowPlace(1936, 1920, false));
    EXPECT_FALSE(ShouldWriteWindowPlace(700, 1920, true));
    EXPECT_FALSE(ShouldWriteWindowPlace(INT_MAX, INT_MIN, false));
    EXPECT_TRUE(ShouldWriteWindowPlace(INT_MIN, INT_MAX, false));
}

TEST(Settings, WindowOutsideEveryScreenMovesOntoThePrimary) {
    const QRect primary(0, 0, 1920, 1080);
    const QRect second(1920, 0, 1280, 1024);
    const QList<QRect> screens{primary, second};
    auto place = [&](std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
        const WindowPlace p = PlaceWindowOnScreens(WindowPlace{left, top, width, height}, screens, primary);
        return QList<std::int32_t>{p.left, p.top, p.width, p.height};
    };
    using Place = QList<std::int32_t>;
    EXPECT_EQ(place(120, 80, 700, 520), (Place{120, 80, 700, 520}));
    EXPECT_EQ(place(2500, 900, 700, 520), (Place{2500, 900, 700, 520}));   // on the second screen
    EXPECT_EQ(place(-690, -500, 700, 520), (Place{-690, -500, 700, 520})); // a corner still shows
    EXPECT_EQ(place(3200, 100, 700, 520), (Place{1220, 100, 700, 520}));   // right of both screens
    EXPECT_EQ(place(100, 1080, 700, 520), (Place{100, 560, 700, 520}));    // just below the primary
    EXPECT_EQ(place(-700, -520, 700, 520), (Place{0, 0, 700, 520}));
    EXPECT_EQ(place(-5000, 50, 3000, 2000), (Place{0, 0, 3000, 2000})); // larger than the primary
    EXPECT_EQ(place(INT_MAX, INT_MIN, INT_MAX, INT_MAX), (Place{0, 0, INT_MAX, INT_MAX}));
    EXPECT_EQ(place(5000, 5000, -10, 0), (Place{1919, 1079, -10, 0}));
    const WindowPlace far{9000, 9000, 700, 520};
    EXPECT_EQ(PlaceWindowOnScreens(far, {}, QRect()).left, 9000);
}

// The settings file as the main window reads it at start-up and writes it at close.
#include "editorfixture.h"

#include "colorswatch.h"
#include "filmpanel.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "runvalues.h"
#include "watchdog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

const QByteArray kTypical = "[display]\nlanguage=Chinese\nwindow_width=700\nwindow_height=520\nwindow_left=120\n"
                            "window_top=80\n[Html]\nback_color=FFFFFF\nfont_color=000000\nspeed=100\n[FilmPanel]\n"
                            "Default_FontColor=0\nDefault_BackColor=16777215\nDefault_ByteMode=0\n";

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TForm_movie& startWith(EditorFixture& f, const QByteArray& settings) {
    f.writeFile(QStringLiteral("Tevrano.ini"), settings);
    return f.start();
}

// Adds a page, opens the preview, places the speed bar and takes its interval as the page speed.
void takeSpeed(EditorFixture& f, int position) {
    f.addPages(1);
    trigger(*f.window, "TB_Preplay");
    previewPanel(*f.window).PreView_SpeedBar->setValue(position);
    previewPanel(*f.window).bsBtnPvOK->click();
}

int barOf(const TForm_movie& w) {
    return previewPanel(w).PreView_SpeedBar->value();
}

} // namespace

class SettingsFile : public QObject {
    Q_OBJECT
private slots:
    void typicalFileIsApplied();
    void onlyHtmlSectionTakesTheDefaults();
    void storedSpeedPlacesTheBar_data();
    void storedSpeedPlacesTheBar();
    void byteModeReachesTheStripAndTheBox();
    void placeOutsideEveryScreenMovesOntoThePrimary();
    void noFileKeepsDesignedValuesAndCreatesNone();
    void closingWritesTheCurrentValuesAndKeepsTheRest();
    void maximisedOrFullWidthWindowKeepsTheStoredPlace();
    void unreadableFileIsReportedOnceAndTheWindowCloses();
    void readmeTellsWhichSettingsClosingWrites();
    void refusedFileStartsWithDefaultsAndIsToldOnce_data();
    void refusedFileStartsWithDefaultsAndIsToldOnce();
};

void SettingsFile::typicalFileIsApplied() {
    EditorFixture f;
    TForm_movie& w = startWith(f, kTypical);
    QCOMPARE(Run().Language, QStringLiteral("Chinese"));
    QCOMPARE(w.frameGeometry(), QRect(120, 80, 700, 520));
    QCOMPARE(optionPanel(w).Edit_color2->text(), QStringLiteral("000000"));
    QCOMPARE(barOf(w), 16);
    QCOMPARE(previewInterval(w), 100);
    QCOMPARE(w.document().defaultFontColor(), TColor(0));
    QCOMPARE(w.document().defaultBackColor(), TColor(0xFFFFFF));
    // The option panels show what was read.
    QCOMPARE(optionPanel(w).Edit_color1->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(optionPanel(w).Edit_color_Df2->text(), QStringLiteral("000000"));
    QCOMPARE(w.document().pageColor(), TColor(0xFFFFFF));
    // The page speed read is the one closing writes back.
    w.close();
    QVERIFY(contents(Run().SettingsPath).contains("\nspeed=100\n"));
}

void SettingsFile::onlyHtmlSectionTakesTheDefaults() {
    EditorFixture f;
    TForm_movie& w = startWith(f, "[html]\nSPEED=150\n");
    QCOMPARE(Run().Language, QStringLiteral("Chinese"));
    QCOMPARE(w.frameGeometry(), QRect(0, 0, 640, 480));
    QCOMPARE(optionPanel(w).Edit_color1->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(optionPanel(w).Edit_color2->text(), QStringLiteral("000000"));
    QCOMPARE(barOf(w), 20);
    QCOMPARE(previewInterval(w), 140);
    QCOMPARE(previewTimer(w).interval(), 140);
    QCOMPARE(previewPanel(w).PreViewSpeedCaption->text(), QStringLiteral("140"));
    QCOMPARE(w.document().defaultFontColor(), TColor(0));
    w.close();
    QVERIFY(contents(Run().SettingsPath).toLower().contains("\nspeed=150\n"));
}

void SettingsFile::storedSpeedPlacesTheBar_data() {
    QTest::addColumn<QByteArray>("speed");
    QTest::addColumn<int>("pageSpeed");
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("interval");
    QTest::newRow("3310") << QByteArray("3310") << 3310 << 99 << 3280;
    QTest::newRow("3311") << QByteArray("3311") << 3311 << 100 << 3340;
    QTest::newRow("far above") << QByteArray("99999") << 99999 << 100 << 3340;
    QTest::newRow("0x64") << QByteArray("0x64") << 100 << 16 << 100;
    QTest::newRow("$64") << QByteArray("$64") << 100 << 16 << 100;
    QTest::newRow("designed place") << QByteArray("1210") << 1210 << 60 << 1210;
    QTest::newRow("10") << QByteArray("10") << 10 << 0 << 10;
    QTest::newRow("below 10") << QByteArray("3") << 3 << 0 << 10;
    QTest::newRow("negative") << QByteArray("-500") << -500 << 0 << 10;
    QTest::newRow("unparsable") << QByteArray("fast") << 100 << 16 << 100;
}

void SettingsFile::storedSpeedPlacesTheBar() {
    QFETCH(QByteArray, speed);
    QFETCH(int, pageSpeed);
    QFETCH(int, bar);
    QFETCH(int, interval);
    EditorFixture f;
    TForm_movie& w = startWith(f, "[Html]\nspeed=" + speed + "\n");
    QCOMPARE(barOf(w), bar);
    QCOMPARE(previewInterval(w), interval);
    QCOMPARE(previewPanel(w).PreViewSpeedCaption->text(), QString::number(interval));
    // The page speed read is the one closing writes back.
    w.close();
    QVERIFY(contents(Run().SettingsPath).contains("\nspeed=" + QByteArray::number(pageSpeed) + "\n"));
}

void SettingsFile::byteModeReachesTheStripAndTheBox() {
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, "[FilmPanel]\nDefault_ByteMode=2\nDefault_BackColor=$FF\n");
        QCOMPARE(w.document().defaultByteMode(), std::uint8_t(bmDoubleByte));
        QCOMPARE(optionPanel(w).CB_ByteMode->currentIndex(), 2);
        QCOMPARE(w.document().defaultBackColor(), TColor(0xFF));
        QCOMPARE(optionPanel(w).Edit_color_Df1->text(), QStringLiteral("FF0000"));
        // Changing the mode in the panel does not reach the file.
        optionPanel(w).CB_ByteMode->setCurrentIndex(1);
        optionPanel(w).bsBtnHOK->click();
        w.close();
        QVERIFY(contents(Run().SettingsPath).contains("Default_ByteMode=2\n"));
    }
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, "[FilmPanel]\nDefault_ByteMode=7\n");
        QCOMPARE(w.document().defaultByteMode(), std::uint8_t(bmAuto));
        QCOMPARE(optionPanel(w).CB_ByteMode->currentIndex(), 0);
    }
}

void SettingsFile::placeOutsideEveryScreenMovesOntoThePrimary() {
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, "[display]\nwindow_left=30000\nwindow_top=-9000\nwindow_width=300\n"
                                      "window_height=200\n");
        QCOMPARE(w.frameGeometry().size(), QSize(300, 200));
        QVERIFY(primary.contains(w.frameGeometry()));
        QCOMPARE(w.frameGeometry().right(), primary.right());
        QCOMPARE(w.frameGeometry().top(), primary.top());
    }
    {
        // Partly on a screen: taken as stored.
        EditorFixture f;
        TForm_movie& w = startWith(f, "[display]\nwindow_left=-250\nwindow_top=10\nwindow_width=300\n"
                                      "window_height=200\n");
        QCOMPARE(w.frameGeometry(), QRect(-250, 10, 300, 200));
    }
}

void SettingsFile::noFileKeepsDesignedValuesAndCreatesNone() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QCOMPARE(Run().Language, QStringLiteral("chinese"));
    QCOMPARE(w.frameGeometry(), QRect(254, 235, 679, 468));
    QCOMPARE(optionPanel(w).Edit_color1->text(), QString());
    QCOMPARE(barOf(w), 60);
    QCOMPARE(previewInterval(w), 1210);
    QCOMPARE(previewTimer(w).interval(), 1210);
    QCOMPARE(w.document().defaultFontColor(), TColor(0x008000));
    // Page speed and colour are empty: the page is written with them so.
    f.addPages(1);
    const QByteArray page = f.exportPage();
    QVERIFY(page.contains("var delay=0;"));
    QVERIFY(page.contains("<BODY bgcolor=\"#\""));
    f.prompts.questions << Prompts::Answer::No;
    QVERIFY(w.close());
    QVERIFY(!QFile::exists(Run().SettingsPath));
    QCOMPARE(QDir(f.programDir()).entryList({QStringLiteral("*.ini")}, QDir::Files), QStringList());
}

void SettingsFile::closingWritesTheCurrentValuesAndKeepsTheRest() {
    EditorFixture f;
    TForm_movie& w = startWith(f, "; kept comment\r\n[Display]\r\nLanguage=english\r\nwindow_width=500\r\n"
                                  "window_height=400\r\nwindow_left=10\r\nwindow_top=20\r\n[Other]\r\nx=1\r\n"
                                  "[FilmPanel]\r\nDefault_ByteMode=1\r\n");
    QCOMPARE(Run().Language, QStringLiteral("english"));
    optionPanel(w).Edit_color1->setText(QStringLiteral("abc"));
    optionPanel(w).bsBtnHOK->click();
    f.prompts.colors << TColor(0x123456);
    QTest::mouseClick(optionPanel(w).Lb_Color_Df1, Qt::LeftButton);
    optionPanel(w).bsBtn_DfOk->click();
    takeSpeed(f, 45); // 680 ms
    w.setGeometry(40, 50, 520, 410);
    const QRect outer = w.frameGeometry();
    f.prompts.questions << Prompts::Answer::No;
    QVERIFY(w.close());
    QCOMPARE(contents(Run().SettingsPath),
             QByteArray("; kept comment\r\n[Display]\r\nLanguage=english\r\nwindow_width=") +
                 QByteArray::number(outer.width()) + "\r\nwindow_height=" + QByteArray::number(outer.height()) +
                 "\r\nwindow_left=" + QByteArray::number(outer.left()) +
                 "\r\nwindow_top=" + QByteArray::number(outer.top()) +
                 "\r\n[Other]\r\nx=1\r\n[FilmPanel]\r\nDefault_ByteMode=1\r\nDefault_FontColor=0\r\n"
                 "Default_BackColor=1193046\r\n[Html]\r\nback_color=abc\r\nfont_color=000000\r\nspeed=680\r\n");
}

void SettingsFile::maximisedOrFullWidthWindowKeepsTheStoredPlace() {
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, kTypical);
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.close();
        QVERIFY(contents(Run().SettingsPath)
                    .startsWith("[display]\nlanguage=Chinese\nwindow_width=700\nwindow_height=520\nwindow_left="
                                "120\nwindow_top=80\n"));
    }
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, kTypical);
        w.setGeometry(0, 0, screenWidth - 5, 300);
        w.close();
        QVERIFY(contents(Run().SettingsPath).contains("window_width=700\n"));
    }
    {
        EditorFixture f;
        TForm_movie& w = startWith(f, kTypical);
        w.setGeometry(3, 4, screenWidth - 6, 300);
        w.close();
        QVERIFY(contents(Run().SettingsPath)
                    .contains("window_width=" + QByteArray::number(screenWidth - 6) +
                              "\nwindow_height=300\nwindow_left=3\nwindow_top=4\n"));
    }
}

void SettingsFile::unreadableFileIsReportedOnceAndTheWindowCloses() {
    EditorFixture f;
    // A folder where the file should be cannot be read as one: start-up reports it and goes on with
    // the built-in values; close does not try the file again.
    QDir().mkpath(f.programDir() + QStringLiteral("Tevrano.ini"));
    TForm_movie& w = f.start();
    QCOMPARE(f.prompts.shown(QStringLiteral("critical")).size(), 1);
    QVERIFY(f.prompts.shown(QStringLiteral("critical")).first().contains(QStringLiteral("Tevrano.ini")));
    QCOMPARE(previewInterval(w), 1210);
    w.show();
    QVERIFY(w.close());
    QCOMPARE(f.prompts.shown(QStringLiteral("critical")).size(), 1);
    QVERIFY(!w.isVisible());
    QVERIFY(QFileInfo(f.programDir() + QStringLiteral("Tevrano.ini")).isDir());
}

void SettingsFile::readmeTellsWhichSettingsClosingWrites() {
    // Every stored value changed in the window, then closed: the byte mode alone stays as read.
    EditorFixture f;
    TForm_movie& w = startWith(f, kTypical);
    w.setGeometry(30, 40, 500, 400);
    Run().Language = QStringLiteral("English");
    optionPanel(w).Edit_color1->setText(QStringLiteral("FF0000"));
    optionPanel(w).Edit_color2->setText(QStringLiteral("00FF00"));
    takeSpeed(f, 45);
    f.prompts.colors << TColor(0x123456) << TColor(0x654321);
    QTest::mouseClick(optionPanel(w).Lb_Color_Df2, Qt::LeftButton);
    QTest::mouseClick(optionPanel(w).Lb_Color_Df1, Qt::LeftButton);
    optionPanel(w).bsBtn_DfOk->click();
    optionPanel(w).CB_ByteMode->setCurrentIndex(2);
    optionPanel(w).bsBtnHOK->click();
    f.prompts.questions << Prompts::Answer::No;
    QVERIFY(w.close());
    const QList<QByteArray> kept = {"Default_ByteMode=0\n"};
    QList<QByteArray> unchanged;
    for (const QByteArray& line : kTypical.split('\n')) {
        if (line.contains('=') && contents(Run().SettingsPath).contains(line + '\n')) unchanged << line + '\n';
    }
    QVERIFY2(unchanged == kept, unchanged.join());

    QFile readme(QStringLiteral(QUILLET_README));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    QByteArray row;
    for (const QByteArray& line : readme.readAll().split('\n')) {
        if (line.startsWith("| `Tevrano.ini` |")) row = line;
    }
    QVERIFY(row.contains("byte mode, which Quillet reads but never writes"));
    QVERIFY(row.contains("only updates the file when it is there"));
}

void SettingsFile::refusedFileStartsWithDefaultsAndIsToldOnce_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << 0 << QStringLiteral("not a regular file");
    QTest::newRow("link to /dev/zero") << 1 << QStringLiteral("not a regular file");
    QTest::newRow("a terabyte of holes") << 2 << QStringLiteral("too large");
}

void SettingsFile::refusedFileStartsWithDefaultsAndIsToldOnce() {
    QFETCH(int, kind);
    QFETCH(QString, reason);
    EditorFixture f;
    const QByteArray path = QFile::encodeName(f.programDir() + QStringLiteral("Tevrano.ini"));
    if (kind == 0) QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    if (kind == 1) QCOMPARE(::symlink("/dev/zero", path.constData()), 0);
    if (kind == 2) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, qint64{1} << 40), 0);
        ::close(fd);
    }
    const Watchdog watchdog("start-up with a settings file that is no regular file or too large");
    TForm_movie& w = f.start();
    QCOMPARE(f.prompts.shown(QStringLiteral("critical")),
             QStringList{QString::fromLocal8Bit(path) + QStringLiteral(": ") + reason +
                         (kind == 2 ? QStringLiteral(" (more than 4 MB)") : QString())});
    QCOMPARE(previewInterval(w), 1210);
    QCOMPARE(w.document().defaultBackColor(), TColor(0xFFFFFF));
}

QTEST_MAIN(SettingsFile)
#include "test_settingsfile.moc"

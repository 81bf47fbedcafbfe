// The preview: opening and closing, the order of frames, what a frame step draws (and that it never
// changes the document), the speed bar's interval rule and taking the interval over as the page speed.
#include "editorfixture.h"

#include "ansiimage.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "pictures.h"
#include "previewpanel.h"
#include "unitpictures.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace quillet;

namespace {

// The frame as the preview draws it: the unit's picture without its margins.
QImage textArea(TForm_movie& w, const TAnsiImage& unit) {
    return w.ScrollBox->pictures().picture(unit).copy(21, 11, unit.width() - 42, unit.height() - 23);
}

QImage shownFrame(const TForm_movie& w, const TAnsiImage& unit) {
    return w.PreViewPanel->PreViewImage->Picture.copy(0, 0, unit.width() - 42, unit.height() - 23);
}

// Three units of different heights (2, 4 and 3 rows) and contents.
void addThreeUnits(EditorFixture& f) {
    for (int rows : {2, 4, 3}) {
        f.prompts.openNames << f.textPage(QStringLiteral("pages/rows%1.txt").arg(rows), rows, 4 + rows);
        f.window->TB_AddImgClick();
    }
}

} // namespace

class Preview : public QObject {
    Q_OBJECT
private slots:
    void openingAndClosing();
    void framesFollowThePlayPosition();
    void playPositionWrapsPastTheLastUnit();
    void aFrameStepClearsThePreviousFrame();
    void framesAreCopiedNotRendered();
    void speedBarIntervalRule_data();
    void speedBarIntervalRule();
    void okTakesTheIntervalOver();
    void timerPlaysInTheEventLoop();
};

void Preview::openingAndClosing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QVERIFY(!w.TB_Preplay->isEnabled());
    f.addPages(2);
    w.pageOptions.backColorHex = "00FF00";
    w.Modified = false;

    w.TB_Preplay->trigger();
    QVERIFY(w.MainPanel->isHidden());
    QVERIFY(!w.PreViewPanel->isHidden());
    QVERIFY(w.Timer->isActive());
    QCOMPARE(w.Timer->interval(), 1);
    QCOMPARE(w.TB_Preplay->property("Tag").toInt(), 2);
    QCOMPARE(w.TB_Preplay->property("Picture").toInt(), 7);
    QCOMPARE(w.TB_Preplay->icon().pixmap(16).toImage(), ToolPicture(7).pixmap(16).toImage());
    QVERIFY(w.TB_Preplay->isEnabled());
    for (QAction* a : {w.TB_AddImg, w.TB_open, w.TB_New, w.TB_save, w.TB_delect, w.TB_SaveHtm, w.TB_up, w.TB_down})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(w.TB_ifo->isEnabled());
    // The whole picture in the page background colour of the page options.
    const QImage& picture = w.PreViewPanel->PreViewImage->Picture;
    QCOMPARE(picture.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(picture.pixel(1023, 767), qRgb(0, 255, 0));

    w.TB_Preplay->trigger();
    QVERIFY(!w.MainPanel->isHidden());
    QVERIFY(w.PreViewPanel->isHidden());
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.TB_Preplay->property("Tag").toInt(), 1);
    QCOMPARE(w.TB_Preplay->property("Picture").toInt(), 6);
    QVERIFY(w.TB_AddImg->isEnabled() && w.TB_save->isEnabled());
    QVERIFY(!w.Modified);
    QCOMPARE(w.pageOptions.speed, 0);
}

void Preview::framesFollowThePlayPosition() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    TFilmPanel& strip = *w.FilmStrip;
    QCOMPARE(w.PreViewPanel->playIndex(), 0);
    w.TB_PreplayClick();
    QList<int> shown;
    for (int k = 0; k < 4; ++k) {
        w.TimerTimer();
        shown << w.PreViewPanel->playIndex();
        const TAnsiImage& unit = strip.GetUnit(w.PreViewPanel->playIndex());
        QCOMPARE(shownFrame(w, unit), textArea(w, unit));
        QCOMPARE(w.Timer->interval(), w.PreviewInterval);
    }
    // Units 2, 3, 1, 2 in the document's numbering.
    QCOMPARE(shown, (QList<int>{1, 2, 0, 1}));

    // The play position carries over to the next opening.
    w.TB_PreplayClick();
    w.TB_PreplayClick();
    w.TimerTimer();
    QCOMPARE(w.PreViewPanel->playIndex(), 2);

    // A document of one unit shows it on every tick.
    w.TB_PreplayClick();
    f.prompts.confirms << true << true;
    w.TB_delect1Click();
    w.TB_delect1Click();
    QCOMPARE(strip.count(), 1);
    w.TB_PreplayClick();
    for (int k = 0; k < 3; ++k) {
        w.TimerTimer();
        QCOMPARE(w.PreViewPanel->playIndex(), 0);
        QCOMPARE(shownFrame(w, strip.GetUnit(0)), textArea(w, strip.GetUnit(0)));
    }
}

void Preview::playPositionWrapsPastTheLastUnit() {
    PreviewPanel pane;
    QCOMPARE(pane.playIndex(), 0);
    pane.SetPlayIndex(4, 5);
    QCOMPARE(pane.playIndex(), 4);
    pane.SetPlayIndex(5, 5);
    QCOMPARE(pane.playIndex(), 0);
    pane.SetPlayIndex(-3, 5);
    QCOMPARE(pane.playIndex(), 0);
}

void Preview::aFrameStepClearsThePreviousFrame() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    w.pop_window->Edit_color1->setText(QStringLiteral("0000FF"));
    w.bsBtnHOKClick();
    TFilmPanel& strip = *w.FilmStrip;
    w.PreViewPanel->SetPlayIndex(0, strip.count());
    w.TB_PreplayClick();
    w.TimerTimer(); // unit 2, four rows
    w.TimerTimer(); // unit 3, three rows
    const TAnsiImage& small = strip.GetUnit(2);
    const TAnsiImage& large = strip.GetUnit(1);
    QVERIFY(large.height() > small.height() && large.width() > small.width());
    const QImage& picture = w.PreViewPanel->PreViewImage->Picture;
    // Below and right of the smaller frame, inside the larger one: the page background.
    QCOMPARE(picture.pixel(2, small.height() - 23 + 3), qRgb(0, 0, 255));
    QCOMPARE(picture.pixel(large.width() - 42 - 1, 2), qRgb(0, 0, 255));
    QCOMPARE(shownFrame(w, small), textArea(w, small));
}

void Preview::framesAreCopiedNotRendered() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    TFilmPanel& strip = *w.FilmStrip;
    UnitPictures& pictures = w.ScrollBox->pictures();
    QList<qint64> keys;
    for (int k = 0; k < strip.count(); ++k)
        keys << pictures.picture(strip.GetUnit(k)).cacheKey();
    QSignalSpy changed(&strip, &TFilmPanel::unitContentChanged);
    w.TB_PreplayClick();
    for (int k = 0; k < 30; ++k)
        w.TimerTimer();
    for (int k = 0; k < strip.count(); ++k)
        QCOMPARE(pictures.picture(strip.GetUnit(k)).cacheKey(), keys[k]);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(pictures.size(), strip.count());
}

void Preview::speedBarIntervalRule_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("interval");
    QTest::newRow("0") << 0 << 10;
    QTest::newRow("15 half to even") << 15 << 80;
    QTest::newRow("16") << 16 << 100;
    QTest::newRow("45 half to even") << 45 << 680;
    QTest::newRow("60") << 60 << 1210;
    QTest::newRow("75 half to even") << 75 << 1880;
    QTest::newRow("100") << 100 << 3340;
}

void Preview::speedBarIntervalRule() {
    QFETCH(int, position);
    QFETCH(int, interval);
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    PreviewPanel& pane = *w.PreViewPanel;
    // Start-up without a settings file: the designed position gives 1210 ms.
    QCOMPARE(w.PreviewInterval, 1210);
    QCOMPARE(pane.PreViewSpeedCaption->text(), QStringLiteral("1210"));
    // Away and back, so that every row moves the bar.
    pane.PreView_SpeedBar->setValue(position == 50 ? 51 : 50);
    pane.PreView_SpeedBar->setValue(position);
    QCOMPARE(w.PreviewInterval, interval);
    QCOMPARE(w.Timer->interval(), interval);
    QCOMPARE(pane.PreViewSpeedCaption->text(), QString::number(interval));
    // Setting the interval does not start the stopped timer.
    QVERIFY(!w.Timer->isActive());

    // While playing, the next tick takes the new interval over from the opening's 1 ms.
    w.TB_PreplayClick();
    QCOMPARE(w.Timer->interval(), 1);
    w.TimerTimer();
    QCOMPARE(w.Timer->interval(), interval);
    w.TB_PreplayClick();
}

void Preview::okTakesTheIntervalOver() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    w.Modified = false;
    w.TB_PreplayClick();
    w.PreViewPanel->PreView_SpeedBar->setValue(16);
    QTest::mouseClick(w.PreViewPanel->bsBtnPvOK, Qt::LeftButton);
    QCOMPARE(w.pageOptions.speed, 100);
    QVERIFY(w.Modified);
    QVERIFY(w.PreViewPanel->isHidden());
    QVERIFY(!w.MainPanel->isHidden());
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.TB_Preplay->property("Tag").toInt(), 1);
    QCOMPARE(w.TB_Preplay->property("Picture").toInt(), 6);
    QVERIFY(w.TB_AddImg->isEnabled());

    // Opens again; closing with the tool button leaves the page speed.
    w.TB_Preplay->trigger();
    QVERIFY(!w.PreViewPanel->isHidden());
    w.PreViewPanel->PreView_SpeedBar->setValue(0);
    w.Modified = false;
    w.TB_Preplay->trigger();
    QCOMPARE(w.pageOptions.speed, 100);
    QVERIFY(!w.Modified);
    QVERIFY(f.prompts.log.size() == 2); // the two add dialogs, nothing from the preview
}

void Preview::timerPlaysInTheEventLoop() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    w.PreViewPanel->PreView_SpeedBar->setValue(0);
    w.TB_Preplay->trigger();
    // Several laps at the shortest interval.
    QTRY_VERIFY_WITH_TIMEOUT(w.PreViewPanel->playIndex() == 0, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(w.PreViewPanel->playIndex() == 1, 2000);
    QCOMPARE(w.Timer->interval(), 10);
    w.TB_Preplay->trigger();
    const int stopped = w.PreViewPanel->playIndex();
    QTest::qWait(50);
    QCOMPARE(w.PreViewPanel->playIndex(), stopped);
}

QTEST_MAIN(Preview)
#include "test_preview.moc"

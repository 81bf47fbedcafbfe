// The preview: opening and closing, the order of frames, what a frame step draws (and that it never
// changes the document), the speed bar's interval rule and taking the interval over as the page speed;
// units' own durations, pausing, stepping and the loop modes.
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
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace quillet;

namespace {

// The frame as the preview draws it: the unit's picture without its margins.
QImage textArea(const TForm_movie& w, const TAnsiImage& unit) {
    return filmView(w).pictures().picture(unit).copy(21, 11, unit.width() - 42, unit.height() - 23);
}

QImage shownFrame(const TForm_movie& w, const TAnsiImage& unit) {
    return previewPanel(w).PreViewImage->Picture.copy(0, 0, unit.width() - 42, unit.height() - 23);
}

// Three units of different heights (2, 4 and 3 rows) and contents.
void addThreeUnits(EditorFixture& f) {
    for (int rows : {2, 4, 3}) {
        f.prompts.openNames << f.textPage(QStringLiteral("pages/rows%1.txt").arg(rows), rows, 4 + rows);
        trigger(*f.window, "TB_AddImg");
    }
}

// Gives the unit its own duration through the option panel, as a user does.
void applyDuration(EditorFixture& f, int index, int milliseconds) {
    selectUnit(*f.window, index);
    optionPanel(*f.window).durationEdit->setText(QString::number(milliseconds));
    optionPanel(*f.window).bsBtnPOK->click();
    QCOMPARE(f.window->document().GetUnit(index).duration(), milliseconds);
}

// The units shown by `ticks` ticks of the timer.
QList<int> tickedUnits(const TForm_movie& w, int ticks) {
    QList<int> shown;
    for (int k = 0; k < ticks; ++k) {
        previewTick(w);
        shown << previewPanel(w).playIndex();
    }
    return shown;
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
    void unitsShowForTheirOwnDurations();
    void pauseStopsAndStepsWhilePaused();
    void spaceAndArrowKeysReachThePane();
    void loopModes_data();
    void loopModes();
    void realTimerKeepsEachUnitsTimeInEveryMode();
};

void Preview::openingAndClosing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QVERIFY(!action(w, "TB_Preplay").isEnabled());
    f.addPages(2);
    // A green page background, and a frame drawn over it in an earlier opening.
    optionPanel(w).Edit_color1->setText(QStringLiteral("00FF00"));
    optionPanel(w).bsBtnHOK->click();
    action(w, "TB_Preplay").trigger();
    previewTick(w);
    QVERIFY(previewPanel(w).PreViewImage->Picture.pixel(0, 0) != qRgb(0, 255, 0));
    action(w, "TB_Preplay").trigger();
    f.saveAs(QStringLiteral("saved.mmt"));

    action(w, "TB_Preplay").trigger();
    QVERIFY(mainPanel(w).isHidden());
    QVERIFY(!previewPanel(w).isHidden());
    QVERIFY(previewTimer(w).isActive());
    QCOMPARE(previewTimer(w).interval(), 1);
    QCOMPARE(action(w, "TB_Preplay").property("Tag").toInt(), 2);
    QCOMPARE(action(w, "TB_Preplay").property("Picture").toInt(), 7);
    QCOMPARE(action(w, "TB_Preplay").icon().pixmap(16).toImage(), ToolPicture(7).pixmap(16).toImage());
    QVERIFY(action(w, "TB_Preplay").isEnabled());
    for (QAction* a : {&action(w, "TB_AddImg"), &action(w, "TB_open"), &action(w, "TB_New"), &action(w, "TB_save"),
                       &action(w, "TB_delect"), &action(w, "TB_SaveHtm"), &action(w, "TB_up"), &action(w, "TB_down")})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(action(w, "TB_ifo").isEnabled());
    // The whole picture in the page background colour of the page options.
    const QImage& picture = previewPanel(w).PreViewImage->Picture;
    QCOMPARE(picture.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(picture.pixel(1023, 767), qRgb(0, 255, 0));

    action(w, "TB_Preplay").trigger();
    QVERIFY(!mainPanel(w).isHidden());
    QVERIFY(previewPanel(w).isHidden());
    QVERIFY(!previewTimer(w).isActive());
    QCOMPARE(action(w, "TB_Preplay").property("Tag").toInt(), 1);
    QCOMPARE(action(w, "TB_Preplay").property("Picture").toInt(), 6);
    QVERIFY(action(w, "TB_AddImg").isEnabled() && action(w, "TB_save").isEnabled());
    QVERIFY(!w.isModified());
    QVERIFY(f.exportPage().contains("var delay=0;"));
}

void Preview::framesFollowThePlayPosition() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    const TFilmPanel& strip = w.document();
    QCOMPARE(previewPanel(w).playIndex(), 0);
    trigger(w, "TB_Preplay");
    QList<int> shown;
    for (int k = 0; k < 4; ++k) {
        previewTick(w);
        shown << previewPanel(w).playIndex();
        const TAnsiImage& unit = strip.GetUnit(previewPanel(w).playIndex());
        QCOMPARE(shownFrame(w, unit), textArea(w, unit));
        QCOMPARE(previewTimer(w).interval(), previewInterval(w));
    }
    // Units 2, 3, 1, 2 in the document's numbering.
    QCOMPARE(shown, (QList<int>{1, 2, 0, 1}));

    // The play position carries over to the next opening.
    trigger(w, "TB_Preplay");
    trigger(w, "TB_Preplay");
    previewTick(w);
    QCOMPARE(previewPanel(w).playIndex(), 2);

    // A document of one unit shows it on every tick.
    trigger(w, "TB_Preplay");
    f.prompts.confirms << true << true;
    trigger(w, "TB_delect");
    trigger(w, "TB_delect");
    QCOMPARE(strip.count(), 1);
    trigger(w, "TB_Preplay");
    for (int k = 0; k < 3; ++k) {
        previewTick(w);
        QCOMPARE(previewPanel(w).playIndex(), 0);
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
    optionPanel(w).Edit_color1->setText(QStringLiteral("0000FF"));
    optionPanel(w).bsBtnHOK->click();
    const TFilmPanel& strip = w.document();
    QCOMPARE(previewPanel(w).playIndex(), 0);
    trigger(w, "TB_Preplay");
    previewTick(w); // unit 2, four rows
    previewTick(w); // unit 3, three rows
    const TAnsiImage& small = strip.GetUnit(2);
    const TAnsiImage& large = strip.GetUnit(1);
    QVERIFY(large.height() > small.height() && large.width() > small.width());
    const QImage& picture = previewPanel(w).PreViewImage->Picture;
    // Below and right of the smaller frame, inside the larger one: the page background.
    QCOMPARE(picture.pixel(2, small.height() - 23 + 3), qRgb(0, 0, 255));
    QCOMPARE(picture.pixel(large.width() - 42 - 1, 2), qRgb(0, 0, 255));
    QCOMPARE(shownFrame(w, small), textArea(w, small));
}

void Preview::framesAreCopiedNotRendered() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    const TFilmPanel& strip = w.document();
    UnitPictures& pictures = filmView(w).pictures();
    for (const PlayOrder::Mode mode : {PlayOrder::Loop, PlayOrder::PingPong}) {
        previewPanel(w).order().setMode(mode);
        const TFilmPanel none;
        pictures.retainOnly(none); // no picture the film view drew is at hand
        trigger(w, "TB_Preplay");
        previewTimer(w).stop(); // the ticks come from the test alone
        QSignalSpy changed(&strip, &TFilmPanel::unitContentChanged);
        // The opening drew the first frame's picture, the time between two ticks the next one's.
        for (int k = 0; k < 12; ++k) {
            QList<bool> held;
            for (int i = 0; i < strip.count(); ++i)
                held << pictures.holds(strip.GetUnit(i));
            previewTick(w);
            QVERIFY2(held[previewPanel(w).playIndex()], qPrintable(QStringLiteral("tick %1").arg(k)));
            QCoreApplication::processEvents();
        }
        QCOMPARE(changed.count(), 0);
        trigger(w, "TB_Preplay");
    }
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
    PreviewPanel& pane = previewPanel(w);
    // Start-up without a settings file: the designed position gives 1210 ms.
    QCOMPARE(previewInterval(w), 1210);
    QCOMPARE(pane.PreViewSpeedCaption->text(), QStringLiteral("1210"));
    // Away and back, so that every row moves the bar.
    pane.PreView_SpeedBar->setValue(position == 50 ? 51 : 50);
    pane.PreView_SpeedBar->setValue(position);
    QCOMPARE(previewInterval(w), interval);
    QCOMPARE(previewTimer(w).interval(), interval);
    QCOMPARE(pane.PreViewSpeedCaption->text(), QString::number(interval));
    // Setting the interval does not start the stopped timer.
    QVERIFY(!previewTimer(w).isActive());

    // While playing, the next tick takes the new interval over from the opening's 1 ms.
    trigger(w, "TB_Preplay");
    QCOMPARE(previewTimer(w).interval(), 1);
    previewTick(w);
    QCOMPARE(previewTimer(w).interval(), interval);
    trigger(w, "TB_Preplay");
}

void Preview::okTakesTheIntervalOver() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    f.saveAs(QStringLiteral("saved1.mmt"));
    trigger(w, "TB_Preplay");
    previewPanel(w).PreView_SpeedBar->setValue(16);
    QTest::mouseClick(previewPanel(w).bsBtnPvOK, Qt::LeftButton);
    QVERIFY(w.isModified());
    QVERIFY(previewPanel(w).isHidden());
    QVERIFY(!mainPanel(w).isHidden());
    QVERIFY(!previewTimer(w).isActive());
    QCOMPARE(action(w, "TB_Preplay").property("Tag").toInt(), 1);
    QCOMPARE(action(w, "TB_Preplay").property("Picture").toInt(), 6);
    QVERIFY(action(w, "TB_AddImg").isEnabled());

    // Opens again; closing with the tool button leaves the page speed.
    f.saveAs(QStringLiteral("saved2.mmt"));
    action(w, "TB_Preplay").trigger();
    QVERIFY(!previewPanel(w).isHidden());
    previewPanel(w).PreView_SpeedBar->setValue(0);
    action(w, "TB_Preplay").trigger();
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.log.size() == 4); // the add and save dialogs, nothing from the preview
    // The page speed is the interval OK took over.
    QVERIFY(f.exportPage().contains("var delay=100;"));
}

void Preview::timerPlaysInTheEventLoop() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    previewPanel(w).PreView_SpeedBar->setValue(0);
    action(w, "TB_Preplay").trigger();
    // Several laps at the shortest interval.
    QTRY_VERIFY_WITH_TIMEOUT(previewPanel(w).playIndex() == 0, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(previewPanel(w).playIndex() == 1, 2000);
    QCOMPARE(previewTimer(w).interval(), 10);
    action(w, "TB_Preplay").trigger();
    const int stopped = previewPanel(w).playIndex();
    QTest::qWait(50);
    QCOMPARE(previewPanel(w).playIndex(), stopped);
}

// A unit with a duration of its own keeps the timer at it while shown; the others follow the speed
// bar, which never touches the own duration.
void Preview::unitsShowForTheirOwnDurations() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    applyDuration(f, 1, 500);
    applyDuration(f, 2, 40);
    trigger(w, "TB_Preplay");
    QList<int> intervals;
    for (int k = 0; k < 4; ++k) {
        previewTick(w);
        intervals << previewTimer(w).interval();
    }
    // Units 2, 3, 1, 2 in the document's numbering.
    QCOMPARE(intervals, (QList<int>{500, 40, 1210, 500}));
    previewPanel(w).PreView_SpeedBar->setValue(16);
    QCOMPARE(previewTimer(w).interval(), 500);
    previewTick(w);
    QCOMPARE(previewTimer(w).interval(), 40);
    previewTick(w);
    QCOMPARE(previewTimer(w).interval(), 100);
    QVERIFY(previewTimer(w).isActive());
}

// Pausing stops the timer on the unit shown; while paused the steps show the unit before or after,
// wrapping at the ends, and take its interval; going on plays from there. Steps do nothing while
// playing, and the play is no step of the document.
void Preview::pauseStopsAndStepsWhilePaused() {
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    applyDuration(f, 2, 70);
    f.saveAs(QStringLiteral("saved.mmt"));
    const TFilmPanel& strip = w.document();
    PreviewPanel& pane = previewPanel(w);
    trigger(w, "TB_Preplay");
    QVERIFY(!pane.paused());
    QVERIFY(!action(w, "previewStepForward").isEnabled());
    previewTick(w);
    QCOMPARE(pane.playIndex(), 1);
    trigger(w, "previewStepForward");
    QCOMPARE(pane.playIndex(), 1);

    trigger(w, "previewPause");
    QVERIFY(pane.paused());
    QVERIFY(!previewTimer(w).isActive());
    QCOMPARE(action(w, "previewPause").text(), QStringLiteral("播放"));
    QVERIFY(action(w, "previewStepBack").isEnabled() && action(w, "previewStepForward").isEnabled());
    QList<int> stepped;
    for (const char* step :
         {"previewStepForward", "previewStepForward", "previewStepBack", "previewStepBack", "previewStepBack"}) {
        trigger(w, step);
        stepped << pane.playIndex();
        const TAnsiImage& unit = strip.GetUnit(pane.playIndex());
        QCOMPARE(shownFrame(w, unit), textArea(w, unit));
        QCOMPARE(previewTimer(w).interval(), unit.duration() > 0 ? unit.duration() : previewInterval(w));
    }
    QCOMPARE(stepped, (QList<int>{2, 0, 2, 1, 0}));
    QVERIFY(!previewTimer(w).isActive());

    trigger(w, "previewPause");
    QVERIFY(!pane.paused());
    QVERIFY(previewTimer(w).isActive());
    QCOMPARE(action(w, "previewPause").text(), QStringLiteral("暂停"));
    QVERIFY(!action(w, "previewStepBack").isEnabled());
    QCOMPARE(tickedUnits(w, 2), (QList<int>{1, 2}));

    // Closed paused, the preview opens playing.
    trigger(w, "previewPause");
    trigger(w, "TB_Preplay");
    trigger(w, "TB_Preplay");
    QVERIFY(!pane.paused());
    QVERIFY(previewTimer(w).isActive());
    trigger(w, "TB_Preplay");
    QVERIFY(!w.isModified());
}

// The pane takes the focus from the film area when the preview opens: Space pauses and goes on, the
// arrow keys step while paused; while playing they are the speed bar's. Widgets that use Space keep
// it, and the focus stays in the option panel when it was there.
void Preview::spaceAndArrowKeysReachThePane() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    addThreeUnits(f);
    PreviewPanel& pane = previewPanel(w);
    filmView(w).setFocus();
    trigger(w, "TB_Preplay");
    previewTick(w);
    QCOMPARE(QApplication::focusWidget(), &pane);
    QTest::keyClick(&pane, Qt::Key_Space);
    QVERIFY(pane.paused());
    QTest::keyClick(&pane, Qt::Key_Right);
    QCOMPARE(pane.playIndex(), 2);
    pane.PreView_SpeedBar->setFocus();
    const int position = pane.PreView_SpeedBar->value();
    QTest::keyClick(pane.PreView_SpeedBar, Qt::Key_Left);
    QCOMPARE(pane.playIndex(), 1);
    QCOMPARE(pane.PreView_SpeedBar->value(), position);
    QTest::keyClick(pane.PreView_SpeedBar, Qt::Key_Space);
    QVERIFY(!pane.paused());
    QTest::keyClick(pane.PreView_SpeedBar, Qt::Key_Left);
    QCOMPARE(pane.playIndex(), 1);
    QCOMPARE(pane.PreView_SpeedBar->value(), position - 1);
    // The OK button takes Space as a click: the interval becomes the page speed, the preview closes.
    pane.bsBtnPvOK->setFocus();
    QTest::keyClick(pane.bsBtnPvOK, Qt::Key_Space);
    QVERIFY(pane.isHidden());
    QVERIFY(w.isModified());

    OptionPanel& p = optionPanel(w);
    p.MemoText->setFocus();
    p.MemoText->moveCursor(QTextCursor::Start);
    trigger(w, "TB_Preplay");
    QCOMPARE(QApplication::focusWidget(), p.MemoText);
    QTest::keyClick(p.MemoText, Qt::Key_Space);
    QVERIFY(!pane.paused());
    QVERIFY(p.MemoText->toPlainText().startsWith(QLatin1Char(' ')));
    trigger(w, "TB_Preplay");
}

void Preview::loopModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("循环") << 0 << QList<int>{1, 2, 0, 1, 2, 0, 1};
    QTest::newRow("往返") << 1 << QList<int>{1, 2, 1, 0, 1, 2, 1};
    QTest::newRow("播放一次") << 2 << QList<int>{0, 1, 2};
}

// The pane's list picks the order: looping (the default), back and forth, or once from the first
// unit to the last, where the play stops paused; going on from there plays it once more.
void Preview::loopModes() {
    QFETCH(int, mode);
    QFETCH(QList<int>, shown);
    EditorFixture f;
    TForm_movie& w = f.start();
    addThreeUnits(f);
    PreviewPanel& pane = previewPanel(w);
    QCOMPARE(pane.loopModeBox->currentIndex(), 0);
    QCOMPARE(pane.loopModeBox->currentText(), QStringLiteral("循环"));
    pane.loopModeBox->setCurrentIndex(mode);
    QCOMPARE(pane.loopModeBox->currentText(), QString::fromUtf8(QTest::currentDataTag()));
    trigger(w, "TB_Preplay");
    QCOMPARE(tickedUnits(w, static_cast<int>(shown.size())), shown);
    const bool once = mode == 2;
    QCOMPARE(previewTimer(w).isActive(), !once);
    QCOMPARE(pane.paused(), once);
    if (once) {
        trigger(w, "previewPause");
        QVERIFY(previewTimer(w).isActive());
        QCOMPARE(tickedUnits(w, 3), shown);
        QVERIFY(!previewTimer(w).isActive());
        // Chosen while playing, the play goes on from where it is and stops at the last unit.
        trigger(w, "TB_Preplay");
        pane.loopModeBox->setCurrentIndex(0);
        trigger(w, "TB_Preplay");
        QCOMPARE(tickedUnits(w, 1), QList<int>{0});
        pane.loopModeBox->setCurrentIndex(2);
        QCOMPARE(tickedUnits(w, 2), (QList<int>{1, 2}));
        QVERIFY(!previewTimer(w).isActive());
    }
}

// The real timer in the event loop: each mode plays its order from the first unit, and every unit
// stays up at least its own duration (a timer never fires early; a loaded machine may make it late,
// so only the lower bound is checked). Pausing holds the unit shown.
void Preview::realTimerKeepsEachUnitsTimeInEveryMode() {
    const QList<QList<int>> orders = {{0, 1, 2, 0, 1, 2, 0}, {0, 1, 2, 1, 0, 1, 2}, {0, 1, 2}};
    const QList<int> durations{30, 60, 20};
    for (int mode = 0; mode < 3; ++mode) {
        EditorFixture f;
        TForm_movie& w = f.start();
        addThreeUnits(f);
        for (int k = 0; k < 3; ++k)
            applyDuration(f, k, durations[k]);
        PreviewPanel& pane = previewPanel(w);
        pane.loopModeBox->setCurrentIndex(mode);
        pane.PreView_SpeedBar->setValue(0); // 10 ms for units without a duration: none here
        trigger(w, "TB_Preplay");
        // The units shown, each with the time it came up.
        QElapsedTimer clock;
        clock.start();
        QList<int> shown{pane.playIndex()};
        QList<qint64> since{0};
        while (shown.size() < orders[mode].size() && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
            if (pane.playIndex() != shown.back()) {
                shown << pane.playIndex();
                since << clock.elapsed();
            }
        }
        QCOMPARE(shown, orders[mode]);
        // The first step comes at once after opening; from then on each unit keeps its time.
        for (int k = 2; k < since.size(); ++k)
            QVERIFY2(since[k] - since[k - 1] >= durations[shown[k - 1]] - 1,
                     qPrintable(QStringLiteral("unit %1 shown %2 ms").arg(shown[k - 1]).arg(since[k] - since[k - 1])));
        if (mode == 2) {
            QTRY_VERIFY_WITH_TIMEOUT(pane.paused(), 5000);
        } else {
            trigger(w, "previewPause");
            const int held = pane.playIndex();
            QTest::qWait(100);
            QCOMPARE(pane.playIndex(), held);
        }
        trigger(w, "TB_Preplay");
    }
}

QTEST_MAIN(Preview)
#include "test_preview.moc"

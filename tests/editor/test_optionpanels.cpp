// The option panel: colour picking by Tag, the three groups' confirm and reset buttons, what the
// page options reach (swatch, exported page, page bands, preview picture) and the panel toggle.
#include "editorfixture.h"

#include "ansiimage.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "pictures.h"
#include "previewpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QUndoStack>

using namespace quillet;

namespace {

const QString kChanged = QStringLiteral("message: 数据修改成功.");
const QString kApplyQuestion = QStringLiteral("当前单元的文本或颜色已修改但尚未确认，是否应用这些修改？");
const QString kApplyDurationQuestion = QStringLiteral("当前单元的时长已修改但尚未确认，是否应用这一修改？");
const QString kDurationRange =
    QStringLiteral("message: 时长应为10到60000之间的整数毫秒数，留空则按文档速度播放。当前单元没有修改。");

// The background colour text of the exported page's body tag.
QByteArray exportedBodyColour(EditorFixture& f) {
    const QRegularExpression body(QStringLiteral("<BODY bgcolor=\"#([^\"]*)\""));
    const QRegularExpressionMatch m = body.match(QString::fromLatin1(f.exportPage()));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray("(no body tag)");
}

// A pixel of the band above the text area of a unit's picture.
QRgb pageBand(const TForm_movie& w, const TAnsiImage& unit) {
    return filmView(w).pictures().picture(unit).pixel(unit.width() / 2, 5);
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace

class OptionPanels : public QObject {
    Q_OBJECT
private slots:
    void swatchesPickByTagAndCancelChangesNothing();
    void pageBackgroundAsTyped_data();
    void pageBackgroundAsTyped();
    void pageOptionsConfirmAndReset();
    void unitDefaultsTakeOnlyTheSwatches();
    void currentUnitGrowsAndMovesTheLaterUnits();
    void fewerLinesKeepTheRows();
    void unencodableTextIsReportedOnceAndNotApplied();
    void currentUnitGroupWithoutUnitDoesNothing();
    void togglingThePanelResetsOnlyThePageOptions();
    void leavingTheUnitAsksAboutUnappliedChanges_data();
    void leavingTheUnitAsksAboutUnappliedChanges();
    void unitDurationIsAppliedAsOneUndoStep_data();
    void unitDurationIsAppliedAsOneUndoStep();
};

void OptionPanels::swatchesPickByTagAndCancelChangesNothing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    // The current unit's group is enabled once there is a current unit.
    f.addPages(1);
    f.saveAs(QStringLiteral("saved.mmt"));
    OptionPanel& p = optionPanel(w);
    const QList<QLineEdit*> edits = {p.Edit_color1,   p.Edit_color2,    p.Edit_color_u1,
                                     p.Edit_color_u2, p.Edit_color_Df1, p.Edit_color_Df2};
    const QList<ColorSwatch*> swatches = p.swatches();
    for (int k = 0; k < swatches.size(); ++k) {
        QCOMPARE(swatches[k]->Tag, k + 1);
        QCOMPARE(swatches[k]->cursor().shape(), Qt::PointingHandCursor);
        // Blue, 0x00BBGGRR.
        f.prompts.colors << TColor(0xFF0000);
        click(swatches[k]);
        QCOMPARE(swatches[k]->color(), TColor(0xFF0000));
        QCOMPARE(edits[k]->text(), QStringLiteral("0000FF"));
        // Only the clicked swatch's pair changed.
        for (int j = k + 1; j < swatches.size(); ++j)
            QVERIFY(edits[j]->text() != QStringLiteral("0000FF") && swatches[j]->color() != TColor(0xFF0000));

        f.prompts.colors << std::nullopt;
        click(swatches[k]);
        QCOMPARE(swatches[k]->color(), TColor(0xFF0000));
        QCOMPARE(edits[k]->text(), QStringLiteral("0000FF"));
    }
    // Picking applies nothing.
    QVERIFY(!w.isModified());
    QCOMPARE(w.document().defaultBackColor(), TColor(0xFFFFFF));
    QVERIFY(f.prompts.allAnswered());
}

void OptionPanels::pageBackgroundAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QRgb>("shown");
    QTest::newRow("upper") << QStringLiteral("FF0000") << qRgb(255, 0, 0);
    QTest::newRow("lower") << QStringLiteral("ff0000") << qRgb(255, 0, 0);
    QTest::newRow("not hex") << QStringLiteral("red") << qRgb(0, 0, 0);
}

void OptionPanels::pageBackgroundAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QRgb, shown);
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    OptionPanel& p = optionPanel(w);
    f.saveAs(QStringLiteral("saved.mmt"));
    f.prompts.clearLog();
    p.Edit_color1->setText(typed);
    click(p.bsBtnHOK);

    QCOMPARE(QColor(p.Lb_Color1->palette().color(QPalette::Window)).rgb(), shown);
    for (int k = 0; k < w.document().count(); ++k)
        QCOMPARE(pageBand(w, w.document().GetUnit(k)), shown);
    QCOMPARE(previewPanel(w).PreViewImage->Picture.pixel(0, 0), shown);
    QCOMPARE(previewPanel(w).PreViewImage->Picture.pixel(1023, 767), shown);
    QVERIFY(w.isModified());
    QCOMPARE(f.prompts.log, QStringList{kChanged});
    QCOMPARE(exportedBodyColour(f), typed.toLatin1());

    // Hiding and showing the panel shows the text as it was typed.
    trigger(w, "TB_ifo");
    trigger(w, "TB_ifo");
    QCOMPARE(p.Edit_color1->text(), typed);
}

void OptionPanels::pageOptionsConfirmAndReset() {
    EditorFixture f;
    TForm_movie& w = f.start();
    OptionPanel& p = optionPanel(w);
    // Start-up filled the group from the (empty) stored values.
    QCOMPARE(p.Edit_Title->text(), QString());
    QCOMPARE(p.CB_ByteMode->currentIndex(), 0);

    p.Edit_Title->setText(QStringLiteral("我的动画"));
    p.Edit_color2->setText(QStringLiteral("00ff00"));
    p.CR_Button->setChecked(true);
    p.CB_ByteMode->setCurrentIndex(2);
    click(p.bsBtnHOK);
    QCOMPARE(p.Lb_Color2->color(), TColor(0x00FF00));
    QCOMPARE(w.document().defaultByteMode(), std::uint8_t(bmDoubleByte));
    QCOMPARE(f.prompts.log, QStringList{kChanged});

    // Reset drops unconfirmed edits and shows the stored values; no message, Modified untouched.
    trigger(w, "TB_New"); // the empty document's mark goes, the page options stay
    QVERIFY(!w.isModified());
    p.Edit_Title->setText(QStringLiteral("draft"));
    p.Edit_color1->setText(QStringLiteral("123456"));
    p.CR_Button->setChecked(false);
    p.CB_ByteMode->setCurrentIndex(1);
    click(p.bsBtnHReset);
    QCOMPARE(p.Edit_Title->text(), QStringLiteral("我的动画"));
    QCOMPARE(p.Edit_color1->text(), QString());
    QCOMPARE(p.Lb_Color1->color(), TColor(0));
    QVERIFY(p.CR_Button->isChecked());
    QCOMPARE(p.CB_ByteMode->currentIndex(), 2);
    QCOMPARE(p.Edit_color2->text(), QStringLiteral("00ff00"));
    QVERIFY(!w.isModified());
    QCOMPARE(f.prompts.log.size(), 1);

    // The confirmed title went in as GBK bytes, the text colour as typed.
    f.addPages(1);
    const QByteArray page = f.exportPage();
    QVERIFY(page.contains("<TITLE>\xCE\xD2\xB5\xC4\xB6\xAF\xBB\xAD</TITLE>"));
    QVERIFY(page.contains("text=\"#00ff00\""));
}

void OptionPanels::unitDefaultsTakeOnlyTheSwatches() {
    EditorFixture f;
    TForm_movie& w = f.start();
    OptionPanel& p = optionPanel(w);
    const TColor back = w.document().defaultBackColor();
    const TColor font = w.document().defaultFontColor();

    // The texts are only shown: typing changes neither them nor the defaults.
    QTest::keyClicks(p.Edit_color_Df1, QStringLiteral("FF0000"));
    QTest::keyClick(p.Edit_color_Df2, Qt::Key_Backspace);
    QCOMPARE(p.Edit_color_Df1->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(p.Edit_color_Df2->text(), QStringLiteral("008000"));
    click(p.bsBtn_DfOk);
    QCOMPARE(w.document().defaultBackColor(), back);
    QCOMPARE(w.document().defaultFontColor(), font);
    QVERIFY(w.isModified());
    QCOMPARE(f.prompts.log, QStringList{kChanged});

    f.prompts.colors << TColor(0x0000FF);
    click(p.Lb_Color_Df1);
    click(p.bsBtn_DfOk);
    QCOMPARE(w.document().defaultBackColor(), TColor(0x0000FF));
    f.addPages(1);
    QCOMPARE(w.document().GetUnit(0).backColor(), TColor(0x0000FF));

    // Reset shows the film strip's defaults again.
    f.prompts.colors << TColor(0x00FF00);
    click(p.Lb_Color_Df2);
    click(p.bsBtn_DfReset);
    QCOMPARE(p.Lb_Color_Df2->color(), font);
    QCOMPARE(p.Edit_color_Df1->text(), QStringLiteral("FF0000"));
    QCOMPARE(p.Edit_color_Df2->text(), QStringLiteral("008000"));
    QVERIFY(f.prompts.allAnswered());
}

void OptionPanels::currentUnitGrowsAndMovesTheLaterUnits() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(3, 3);
    const TFilmPanel& strip = w.document();
    selectUnit(w, 0);
    const TAnsiImage& unit = strip.GetUnit(0);
    const int pictureHeight = filmView(w).pictures().picture(unit).height();
    const int stripHeight = strip.height();
    const int top1 = strip.GetUnit(1).top();
    const int top2 = strip.GetUnit(2).top();
    f.saveAs(QStringLiteral("saved.mmt"));

    OptionPanel& p = optionPanel(w);
    p.MemoText->setPlainText(QStringLiteral("one\ntwo\nthree\nfour\n五五"));
    p.Edit_color_u1->setText(QStringLiteral("0000FF"));
    p.Edit_color_u2->setText(QStringLiteral("FFFF00"));
    f.prompts.clearLog();
    click(p.bsBtnPOK);

    QCOMPARE(unit.rows(), 5);
    QCOMPARE(filmView(w).pictures().picture(unit).height(), pictureHeight + 24);
    QCOMPARE(strip.height(), stripHeight + 24);
    QCOMPARE(strip.GetUnit(1).top(), top1 + 24);
    QCOMPARE(strip.GetUnit(2).top(), top2 + 24);
    QCOMPARE(unit.GetLines().at(4), QByteArray("\xCE\xE5\xCE\xE5"));
    QCOMPARE(unit.backColor(), TColor(0xFF0000));
    QCOMPARE(unit.fontColor(), TColor(0x00FFFF));
    QCOMPARE(p.Lb_Color_u1->color(), TColor(0xFF0000));
    QVERIFY(w.isModified());
    QCOMPARE(f.prompts.log, QStringList{kChanged});
    // No change notification: the status keeps the old size.
    QCOMPARE(f.status1(), QStringLiteral("尺寸：10×3"));
}

void OptionPanels::fewerLinesKeepTheRows() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2, 3);
    const TFilmPanel& strip = w.document();
    const TAnsiImage& unit = strip.GetUnit(1);
    const int height = unit.height();
    const int stripHeight = strip.height();
    // A line break after the last line opens no further line.
    optionPanel(w).MemoText->setPlainText(QStringLiteral("x\n"));
    click(optionPanel(w).bsBtnPOK);
    QCOMPARE(unit.rows(), 3);
    QCOMPARE(unit.height(), height);
    QCOMPARE(strip.height(), stripHeight);
    QCOMPARE(unit.GetLines(), (QList<QByteArray>{"x", "", ""}));
}

void OptionPanels::unencodableTextIsReportedOnceAndNotApplied() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1, 3);
    const TAnsiImage& unit = w.document().GetUnit(0);
    const QList<QByteArray> before = unit.GetLines();
    f.saveAs(QStringLiteral("saved.mmt"));
    f.prompts.clearLog();
    optionPanel(w).MemoText->setPlainText(QStringLiteral("a😀b\n한\n😀"));
    optionPanel(w).Edit_color_u1->setText(QStringLiteral("FF0000"));
    click(optionPanel(w).bsBtnPOK);
    QCOMPARE(f.prompts.log.size(), 1);
    QVERIFY(f.prompts.log.first().startsWith(QStringLiteral("message: ")));
    QVERIFY(f.prompts.log.first().endsWith(QStringLiteral("😀 한")));
    QCOMPARE(unit.GetLines(), before);
    QCOMPARE(unit.backColor(), TColor(0xFFFFFF));
    QVERIFY(!w.isModified());

    // The page title is written into the page as bytes too.
    optionPanel(w).Edit_Title->setText(QStringLiteral("标题😀"));
    click(optionPanel(w).bsBtnHOK);
    QCOMPARE(f.prompts.log.size(), 2);
    QVERIFY(!w.isModified());
    QVERIFY(f.exportPage().contains("<TITLE></TITLE>"));
}

void OptionPanels::currentUnitGroupWithoutUnitDoesNothing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    optionPanel(w).MemoText->setPlainText(QStringLiteral("text"));
    optionPanel(w).bsBtnPOK->click();
    QVERIFY(f.prompts.log.isEmpty());
    QVERIFY(!w.isModified());
    QCOMPARE(w.document().count(), 0);
}

void OptionPanels::togglingThePanelResetsOnlyThePageOptions() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    OptionPanel& p = optionPanel(w);
    QCOMPARE(action(w, "TB_ifo").property("Picture").toInt(), 9);
    p.Edit_Title->setText(QStringLiteral("unconfirmed"));
    p.Edit_color_Df1->setText(QStringLiteral("ABCDEF"));
    p.MemoText->setPlainText(QStringLiteral("kept"));

    action(w, "TB_ifo").trigger();
    QVERIFY(p.isHidden());
    QCOMPARE(action(w, "TB_ifo").property("Picture").toInt(), 10);
    QCOMPARE(action(w, "TB_ifo").icon().pixmap(16).toImage(), ToolPicture(10).pixmap(16).toImage());
    QCOMPARE(p.Edit_Title->text(), QStringLiteral("unconfirmed"));

    action(w, "TB_ifo").trigger();
    QVERIFY(!p.isHidden());
    QCOMPARE(action(w, "TB_ifo").property("Picture").toInt(), 9);
    QCOMPARE(p.Edit_Title->text(), QString());
    QCOMPARE(p.Edit_color_Df1->text(), QStringLiteral("ABCDEF"));
    QCOMPARE(p.MemoText->toPlainText(), QStringLiteral("kept"));
}

void OptionPanels::leavingTheUnitAsksAboutUnappliedChanges_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("answerCode");
    const QList<std::pair<const char*, Prompts::Answer>> answers = {
        {"Yes", Prompts::Answer::Yes}, {"No", Prompts::Answer::No}, {"Cancel", Prompts::Answer::Cancel}};
    for (const char* action : {"click", "key", "new", "open", "close", "preview", "add", "up"}) {
        for (const auto& [name, answer] : answers)
            QTest::addRow("%s, memo, %s", action, name) << action << "memo" << int(answer);
        // Yes to text GBK cannot hold: refused, and the user stays.
        QTest::addRow("%s, unencodable, Yes", action) << action << "unencodable" << int(Prompts::Answer::Yes);
        // Filling the fields, or typing that is taken back, is no change: nothing is asked.
        QTest::addRow("%s, untouched", action) << action << "none" << int(Prompts::Answer::No);
        QTest::addRow("%s, restored", action) << action << "restored" << int(Prompts::Answer::No);
    }
    // A colour field counts as much as the text.
    const QString colour = QStringLiteral("colour");
    QTest::addRow("click, colour, Yes") << QStringLiteral("click") << colour << int(Prompts::Answer::Yes);
    QTest::addRow("preview, colour, No") << QStringLiteral("preview") << colour << int(Prompts::Answer::No);
    // So does the duration, with a question of its own when it is the only change; a duration out of
    // range is refused on Yes, and the user stays.
    const QString duration = QStringLiteral("duration");
    QTest::addRow("click, duration, Yes") << QStringLiteral("click") << duration << int(Prompts::Answer::Yes);
    QTest::addRow("preview, duration, No") << QStringLiteral("preview") << duration << int(Prompts::Answer::No);
    QTest::addRow("up, duration, Cancel") << QStringLiteral("up") << duration << int(Prompts::Answer::Cancel);
    QTest::addRow("key, bad duration, Yes")
        << QStringLiteral("key") << QStringLiteral("bad duration") << int(Prompts::Answer::Yes);
}

// Selecting another unit (a click or a key in the film view), New, Open, close, the preview, adding
// and moving first ask about changes in the current unit's fields: Yes applies them as the group's
// confirm button does, No drops them, Cancel stays. The question comes before anything else changes.
void OptionPanels::leavingTheUnitAsksAboutUnappliedChanges() {
    QFETCH(QString, command);
    QFETCH(QString, edit);
    QFETCH(int, answerCode);
    const auto answer = Prompts::Answer(answerCode);

    EditorFixture f;
    TForm_movie& w = f.start();
    w.resize(1000, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    f.addPages(2);
    const QString other = f.animationFile(QStringLiteral("other.mmt"), 3);
    const QString page = f.textPage(QStringLiteral("third.txt"));
    f.saveAs(QStringLiteral("saved.mmt"));
    const TFilmPanel& strip = w.document();
    const TAnsiImage& unit = strip.GetUnit(1);
    const QList<QByteArray> lines = unit.GetLines();
    OptionPanel& p = optionPanel(w);
    // Units become current, and the fields are filled, without a question.
    selectUnit(w, 0);
    selectUnit(w, 1);
    f.prompts.clearLog();

    p.MemoText->setFocus();
    p.MemoText->moveCursor(QTextCursor::Start);
    if (edit == QLatin1String("memo")) {
        QTest::keyClicks(p.MemoText, QStringLiteral("typed"));
    } else if (edit == QLatin1String("unencodable")) {
        p.MemoText->insertPlainText(QString::fromUcs4(U"\U0001F600"));
    } else if (edit == QLatin1String("restored")) {
        QTest::keyClicks(p.Edit_color_u1, QStringLiteral("0"));
        QTest::keyClick(p.Edit_color_u1, Qt::Key_Backspace);
        QTest::keyClicks(p.MemoText, QStringLiteral("x"));
        QTest::keyClick(p.MemoText, Qt::Key_Backspace);
    } else if (edit == QLatin1String("colour")) {
        f.prompts.colors << TColor(0x0000FF);
        click(p.Lb_Color_u2);
        f.prompts.clearLog();
    } else if (edit == QLatin1String("duration")) {
        QTest::keyClicks(p.durationEdit, QStringLiteral("500"));
    } else if (edit == QLatin1String("bad duration")) {
        QTest::keyClicks(p.durationEdit, QStringLiteral("5"));
    }
    const QString typed = p.MemoText->toPlainText();
    const bool durationOnly = edit.endsWith(QLatin1String("duration"));
    const bool asked = edit != QLatin1String("none") && edit != QLatin1String("restored");
    const bool applied = asked && answer == Prompts::Answer::Yes && edit != QLatin1String("unencodable") &&
                         edit != QLatin1String("bad duration");
    const bool goesOn = !asked || answer == Prompts::Answer::No || applied;

    QStringList expected;
    if (asked) expected << QStringLiteral("question: ") + (durationOnly ? kApplyDurationQuestion : kApplyQuestion);
    if (asked && answer == Prompts::Answer::Yes) expected << (applied ? kChanged : QStringLiteral("message"));
    if (asked) f.prompts.questions << answer;
    if (goesOn) {
        // Applying marks the document changed, so the commands that replace it ask to save it.
        const bool leaves =
            command == QLatin1String("new") || command == QLatin1String("open") || command == QLatin1String("close");
        if (applied && leaves) {
            f.prompts.questions << Prompts::Answer::No;
            expected << QStringLiteral("question: 是否保存当前动画文件？");
        }
        if (command == QLatin1String("open")) {
            f.prompts.openNames << other;
            expected << QStringLiteral("open: 动画文本(mmt) (*.mmt)");
        }
        if (command == QLatin1String("add")) {
            f.prompts.openNames << page;
            expected << QStringLiteral("open: Text Files (*.txt)");
        }
    }

    bool closed = false;
    if (command == QLatin1String("click")) {
        filmView(w).verticalScrollBar()->setValue(0);
        const TAnsiImage& first = strip.GetUnit(0);
        QTest::mouseClick(filmView(w).viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(first.left() + 30, first.top() + 15));
    } else if (command == QLatin1String("key")) {
        filmView(w).setFocus();
        QTest::keyClick(&filmView(w), Qt::Key_Up);
    } else if (command == QLatin1String("new")) {
        action(w, "TB_New").trigger();
    } else if (command == QLatin1String("open")) {
        action(w, "TB_open").trigger();
    } else if (command == QLatin1String("close")) {
        closed = w.close();
    } else if (command == QLatin1String("preview")) {
        action(w, "TB_Preplay").trigger();
    } else if (command == QLatin1String("add")) {
        action(w, "TB_AddImg").trigger();
    } else {
        action(w, "TB_up").trigger();
    }

    QStringList log = f.prompts.log;
    if (!applied && asked && answer == Prompts::Answer::Yes) log[1] = log[1].section(QLatin1Char(':'), 0, 0);
    QCOMPARE(log, expected);
    QVERIFY(f.prompts.allAnswered());
    const int count = command == QLatin1String("new")    ? 0
                      : command == QLatin1String("open") ? 3
                      : command == QLatin1String("add")  ? 3
                                                         : 2;
    QCOMPARE(strip.count(), goesOn ? count : 2);
    if (command == QLatin1String("close")) QCOMPARE(closed, goesOn);
    if (command == QLatin1String("preview")) QCOMPARE(!previewPanel(w).isHidden(), goesOn);
    if (command == QLatin1String("click") || command == QLatin1String("key") || command == QLatin1String("up"))
        QCOMPARE(strip.currentIndex(), goesOn ? 0 : 1);
    if (!goesOn) {
        // Where the user was: the same unit current, the fields as typed, the unit untouched.
        QCOMPARE(strip.currentIndex(), 1);
        QCOMPARE(p.MemoText->toPlainText(), typed);
        QCOMPARE(unit.GetLines(), lines);
        QCOMPARE(unit.duration(), 0);
        if (durationOnly) QVERIFY(!p.durationEdit->text().isEmpty());
        QVERIFY(!w.isModified());
        return;
    }
    if (command == QLatin1String("new") || command == QLatin1String("open")) {
        QVERIFY(!w.isModified());
        return;
    }
    // Adding and moving mark the document changed themselves.
    QCOMPARE(w.isModified(), applied || command == QLatin1String("add") || command == QLatin1String("up"));
    // The unit still lives: it took the changes only on Yes.
    if (edit == QLatin1String("colour"))
        QCOMPARE(unit.fontColor(), applied ? TColor(0x0000FF) : TColor(0x008000));
    else if (durationOnly)
        QCOMPARE(unit.duration(), applied ? 500 : 0);
    else
        QCOMPARE(unit.GetLines().first(), applied ? QByteArray("typed") + lines.first() : lines.first());
    // Dropped changes are gone from the fields too.
    if (!applied) QVERIFY(!p.MemoText->toPlainText().contains(QStringLiteral("typed")));
    if (!applied && strip.currentIndex() == 1) QCOMPARE(p.Edit_color_u2->text(), QStringLiteral("008000"));
    if (!applied && strip.currentIndex() == 1) QCOMPARE(p.durationEdit->text(), QString());
}

void OptionPanels::unitDurationIsAppliedAsOneUndoStep_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("duration"); // -1: refused
    QTest::newRow("250") << QStringLiteral("250") << 250;
    QTest::newRow("shortest") << QStringLiteral("10") << 10;
    QTest::newRow("longest, blanks around") << QStringLiteral(" 60000 ") << 60000;
    QTest::newRow("leading zero") << QStringLiteral("0400") << 400;
    QTest::newRow("empty: the document speed") << QString() << 0;
    QTest::newRow("zero") << QStringLiteral("0") << -1;
    QTest::newRow("too short") << QStringLiteral("9") << -1;
    QTest::newRow("too long") << QStringLiteral("60001") << -1;
    QTest::newRow("far too long") << QStringLiteral("99999999999") << -1;
    QTest::newRow("negative") << QStringLiteral("-100") << -1;
    QTest::newRow("fraction") << QStringLiteral("12.5") << -1;
    QTest::newRow("letters") << QStringLiteral("abc") << -1;
    QTest::newRow("full-width digits") << QStringLiteral("５００") << -1;
}

// The duration field applies with the unit's text and colours: one undo step that marks the document
// changed, and undo and redo show the unit's duration in the field again. A value out of range is
// reported and nothing changes, the text typed beside it included.
void OptionPanels::unitDurationIsAppliedAsOneUndoStep() {
    QFETCH(QString, typed);
    QFETCH(int, duration);
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    f.saveAs(QStringLiteral("saved.mmt"));
    const TFilmPanel& strip = w.document();
    const TAnsiImage& unit = strip.GetUnit(1);
    const QList<QByteArray> lines = unit.GetLines();
    OptionPanel& p = optionPanel(w);
    QCOMPARE(p.durationEdit->text(), QString());
    const int steps = w.undoStack().count();
    f.prompts.clearLog();

    p.MemoText->setPlainText(QStringLiteral("new text"));
    p.durationEdit->setText(typed);
    click(p.bsBtnPOK);
    if (duration < 0) {
        QCOMPARE(f.prompts.log, QStringList{kDurationRange});
        QCOMPARE(unit.duration(), 0);
        QCOMPARE(unit.GetLines(), lines);
        QCOMPARE(w.undoStack().count(), steps);
        QVERIFY(!w.isModified());
        QCOMPARE(p.durationEdit->text(), typed);
        QCOMPARE(p.MemoText->toPlainText(), QStringLiteral("new text"));
        return;
    }
    QCOMPARE(f.prompts.log, QStringList{kChanged});
    QCOMPARE(unit.duration(), duration);
    QCOMPARE(unit.GetLines().first(), QByteArray("new text"));
    QCOMPARE(w.undoStack().count(), steps + 1);
    QCOMPARE(w.undoStack().undoText(), QStringLiteral("应用单元内容"));
    QVERIFY(w.isModified());

    trigger(w, "actionUndo");
    QCOMPARE(unit.duration(), 0);
    QCOMPARE(unit.GetLines(), lines);
    QCOMPARE(p.durationEdit->text(), QString());
    QVERIFY(!w.isModified());
    trigger(w, "actionRedo");
    QCOMPARE(unit.duration(), duration);
    QCOMPARE(p.durationEdit->text(), duration > 0 ? QString::number(duration) : QString());
    QVERIFY(w.isModified());
    // Another unit shows its own duration; back again, the field shows this one's.
    selectUnit(w, 0);
    QCOMPARE(p.durationEdit->text(), QString());
    selectUnit(w, 1);
    QCOMPARE(p.durationEdit->text(), duration > 0 ? QString::number(duration) : QString());
    QVERIFY(f.prompts.allAnswered());
}

QTEST_MAIN(OptionPanels)
#include "test_optionpanels.moc"

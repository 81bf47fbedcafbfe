// The main window's frame: start-up, refresh of status and fields, enabled states, the file
// panel's hint, the command line, dropping files, closing and the film view (with what it repaints).
#include "editorfixture.h"

#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "pagewriter.h"
#include "previewpanel.h"
#include "runvalues.h"
#include "statuspanels.h"
#include "unitrender.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace quillet;

namespace {

struct Enabled {
    bool addImg, open, newDoc, save, delect, preplay, saveHtm, up, down;
};

Enabled enabledOf(const TForm_movie& w) {
    return {
        action(w, "TB_AddImg").isEnabled(),  action(w, "TB_open").isEnabled(),   action(w, "TB_New").isEnabled(),
        action(w, "TB_save").isEnabled(),    action(w, "TB_delect").isEnabled(), action(w, "TB_Preplay").isEnabled(),
        action(w, "TB_SaveHtm").isEnabled(), action(w, "TB_up").isEnabled(),     action(w, "TB_down").isEnabled()};
}

bool operator==(const Enabled& a, const Enabled& b) {
    return a.addImg == b.addImg && a.open == b.open && a.newDoc == b.newDoc && a.save == b.save &&
           a.delect == b.delect && a.preplay == b.preplay && a.saveHtm == b.saveHtm && a.up == b.up && a.down == b.down;
}

// The region a widget painted since the last clear().
class PaintedRegion : public QObject {
public:
    explicit PaintedRegion(QWidget* widget) { widget->installEventFilter(this); }
    const QRegion& region() const { return m_painted; }
    void clear() { m_painted = QRegion(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) m_painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QRegion m_painted;
};

} // namespace

class MainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyWithTheDesignedState();
    void toolBarOrderHintsAndKeys();
    void enabledStatesInTheThreeCases();
    void statusTextsFollowTheCurrentUnit();
    void fileNameHintRule();
    void commandLineOpensOnlyExactExtensions();
    void commandLineTextPageKeepsTheDocumentClean();
    void droppingFilesActsLikeTheCommands();
    void closingAsksAboutUnsavedChanges();
    void filmViewClickSelectsTheUnitUnderThePointer();
    void helpAndSourceTextGoToTheDesktop();
    void keysReachTheCommandsButNotOverEditing();
    void filmViewKeysSelectUnitsAndScrollToThem();
    void filmViewRepaintsOnlyTheEditedCells();
    void filmViewDrawsTheUnitsInViewAndOneBeyondEachEdge();
};

void MainWindow::startsEmptyWithTheDesignedState() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QCOMPARE(w.windowTitle(), QStringLiteral("new.mmt[*] — Quillet"));
    QVERIFY(!w.isWindowModified());
    QCOMPARE(Run().ProgramDir, f.programDir());
    QCOMPARE(Run().SettingsPath, f.programDir() + QStringLiteral("Tevrano.ini"));
    QCOMPARE(Run().TempDir, f.programDir() + QStringLiteral("temp"));
    QVERIFY(QFileInfo(Run().TempDir).isDir());
    QCOMPARE(Run().DefaultFileName, QStringLiteral("new.mmt"));
    QCOMPARE(w.document().docFileName(), f.defaultDocument());
    QCOMPARE(statusBar(w).bsSkinStatusPanel_4->text(), QStringLiteral("new.mmt"));
    QCOMPARE(f.status0(), QStringLiteral("第0贞"));
    QCOMPARE(f.status1(), QStringLiteral("300X200"));
    QVERIFY(!optionPanel(w).isHidden());
    QCOMPARE(optionPanel(w).width(), 279);
    QVERIFY(previewPanel(w).isHidden());
    QVERIFY(!optionPanel(w).Box_AImg->isEnabled());
    QCOMPARE(w.findChild<QGroupBox*>(QStringLiteral("Box_FP"))->title(), QStringLiteral("全局选项"));
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("Edit_color_Df1"))->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(previewPanel(w).PreViewImage->Picture.size(), QSize(1024, 768));
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.log.isEmpty());
    QVERIFY(!QFile::exists(Run().SettingsPath));
    // The page template was read: a page can be written.
    f.addPages(1);
    const QString page = f.programDir() + QStringLiteral("page.htm");
    f.prompts.saveNames << page;
    trigger(w, "TB_SaveHtm");
    QVERIFY(f.prompts.shown(QStringLiteral("message")).isEmpty());
    QVERIFY(QFileInfo(page).size() > 0);
}

void MainWindow::toolBarOrderHintsAndKeys() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QStringList order;
    for (QAction* a : toolBar(w).actions())
        order << (a->objectName().isEmpty() ? QStringLiteral("|") : a->objectName());
    QCOMPARE(order, (QStringList{"TB_open", "TB_New", "TB_save", "TB_SaveHtm", "|", "actionUndo", "actionRedo", "|",
                                 "TB_AddImg", "TB_delect", "|", "TB_up", "TB_down", "|", "TB_Preplay", "|", "TB_ifo",
                                 "TB_about", "TB_help"}));
    QCOMPARE(action(w, "TB_open").toolTip(), QStringLiteral("打开动画文件  (Ctrl+O)"));
    QCOMPARE(action(w, "TB_New").shortcut(), QKeySequence(QKeySequence::New));
    QCOMPARE(action(w, "TB_save").shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(action(w, "TB_SaveHtm").toolTip(), QStringLiteral("输出为网页  (Ctrl+E)"));
    QCOMPARE(action(w, "TB_delect").shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(action(w, "TB_up").toolTip(), QStringLiteral("上移一页  (Ctrl+Up)"));
    QCOMPARE(action(w, "TB_down").shortcut(), QKeySequence(QStringLiteral("Ctrl+Down")));
    QCOMPARE(action(w, "TB_help").toolTip(), QStringLiteral("使用说明  (F1)"));
    QCOMPARE(action(w, "TB_AddImg").toolTip(), QStringLiteral("添加文字页"));
    // The buttons keep the hints as their texts; the menus show the short names.
    for (const char* name : {"TB_open", "TB_delect", "TB_about"}) {
        auto* button = qobject_cast<QToolButton*>(toolBar(w).widgetForAction(&action(w, name)));
        QVERIFY(button);
        QCOMPARE(button->text(), action(w, name).iconText());
    }
    QCOMPARE(action(w, "TB_open").iconText(), QStringLiteral("打开动画文件"));
    QCOMPARE(action(w, "TB_about").iconText(), QStringLiteral("关于"));
    QCOMPARE(action(w, "TB_up").property("Tag").toInt(), 1);
    QCOMPARE(action(w, "TB_down").property("Tag").toInt(), 2);
    for (QAction* a : toolBar(w).actions()) {
        if (!a->objectName().isEmpty()) QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
    }
}

void MainWindow::enabledStatesInTheThreeCases() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QVERIFY((enabledOf(w) == Enabled{true, true, true, false, false, false, false, false, false}));

    f.addPages(1);
    QVERIFY((enabledOf(w) == Enabled{true, true, true, true, true, true, true, true, true}));
    QVERIFY(statusBar(w).Panl_Edit->isEnabled());

    trigger(w, "TB_Preplay");
    QVERIFY(!previewPanel(w).isHidden());
    QVERIFY((enabledOf(w) == Enabled{false, false, false, false, false, true, false, false, false}));
    QVERIFY(action(w, "TB_ifo").isEnabled() && action(w, "TB_about").isEnabled() && action(w, "TB_help").isEnabled());
    trigger(w, "TB_Preplay");

    // Empty again: New keeps whatever it had.
    action(w, "TB_New").setEnabled(false);
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    QVERIFY((enabledOf(w) == Enabled{true, true, false, false, false, false, false, false, false}));
    QVERIFY(!statusBar(w).Panl_Edit->isEnabled());
}

void MainWindow::statusTextsFollowTheCurrentUnit() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(7, 2);
    selectUnit(w, 2);
    QCOMPARE(f.status0(), QStringLiteral("单元：3/7"));
    QCOMPARE(f.status1(), QStringLiteral("尺寸：10×2"));
    QVERIFY(!statusBar(w).colorFlag());

    // A page with a colour list shows the indicator.
    f.writeFile(QStringLiteral("pages/coloured.clo"), "1\n1\n 0\n*1\n255\n");
    f.prompts.openNames << f.textPage(QStringLiteral("pages/coloured.txt"), 2);
    trigger(w, "TB_AddImg");
    QCOMPARE(f.status0(), QStringLiteral("单元：8/8"));
    QVERIFY(statusBar(w).colorFlag());

    // Unit 3 takes colours through its fields; when it is current again they show its own.
    selectUnit(w, 2);
    QVERIFY(!statusBar(w).colorFlag());
    optionPanel(w).Edit_color_u1->setText(QStringLiteral("FF0000"));
    optionPanel(w).Edit_color_u2->setText(QStringLiteral("0000FF"));
    optionPanel(w).bsBtnPOK->click();
    selectUnit(w, 0);
    QCOMPARE(optionPanel(w).Edit_color_u1->text(), QStringLiteral("FFFFFF"));
    selectUnit(w, 2);
    QCOMPARE(optionPanel(w).Lb_Color_u1->color(), 0x0000FF);
    QCOMPARE(optionPanel(w).Edit_color_u1->text(), QStringLiteral("FF0000"));
    QCOMPARE(optionPanel(w).Edit_color_u2->text(), QStringLiteral("0000FF"));
    QCOMPARE(optionPanel(w).MemoText->toPlainText(), QStringLiteral("aaaaaaaaaa\nbbbbbbbbbb"));
}

void MainWindow::fileNameHintRule() {
    EditorFixture f;
    TForm_movie& w = f.start();
    FileNamePanel& panel = *statusBar(w).bsSkinStatusPanel_4;
    panel.setFixedWidth(400);
    const QString longName = QStringLiteral("/tmp/") + QString(51, QLatin1Char('x')) + QStringLiteral(".mmt"); // 60
    statusBar(w).showFileName(longName);
    QCOMPARE(panel.text(), QString(51, QLatin1Char('x')) + QStringLiteral(".mmt"));
    QCOMPARE(panel.toolTip(), longName);
    QVERIFY(panel.hintShown());

    const QString fitting = QStringLiteral("/tmp/") + QString(41, QLatin1Char('y')) + QStringLiteral(".mmt"); // 50
    statusBar(w).showFileName(fitting);
    QCOMPARE(panel.text(), fitting);
    QVERIFY(panel.toolTip().isEmpty());

    // Chinese characters count by their bytes: 16 characters of three bytes pass 400 pixels.
    const QString chinese = QStringLiteral("/t/") + QString(16, QChar(0x52A8)) + QStringLiteral(".mmt");
    statusBar(w).showFileName(chinese);
    QCOMPARE(panel.toolTip(), chinese);

    // With no current unit the hint goes away.
    f.addPages(1);
    statusBar(w).showFileName(longName);
    QVERIFY(panel.hintShown());
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    QVERIFY(!panel.hintShown());
    QVERIFY(panel.toolTip().isEmpty());
}

void MainWindow::commandLineOpensOnlyExactExtensions() {
    {
        EditorFixture f;
        const QString upper = f.animationFile(QStringLiteral("FILM.MMT"), 2);
        TForm_movie& w = f.start({upper});
        QCOMPARE(w.document().count(), 0);
    }
    {
        EditorFixture f;
        f.animationFile(QStringLiteral("a.b/film"), 2);
        TForm_movie& w = f.start({f.programDir() + QStringLiteral("a.b/film")});
        QCOMPARE(w.document().count(), 0);
    }
    {
        EditorFixture f;
        TForm_movie& w = f.start({f.programDir() + QStringLiteral("missing.mmt")});
        QCOMPARE(w.document().count(), 0);
        QVERIFY(f.prompts.log.isEmpty());
    }
    {
        EditorFixture f;
        const QString film = f.animationFile(QStringLiteral("film.mmt"), 3);
        TForm_movie& w = f.start({film, QStringLiteral("ignored.txt")});
        QCOMPARE(w.document().count(), 3);
        QCOMPARE(w.document().docFileName(), film);
        QCOMPARE(f.status0(), QStringLiteral("单元：3/3"));
        QVERIFY(action(w, "TB_save").isEnabled());
        QVERIFY(!w.isModified());
    }
}

void MainWindow::commandLineTextPageKeepsTheDocumentClean() {
    EditorFixture f;
    const QString page = f.textPage(QStringLiteral("page.txt"));
    TForm_movie& w = f.start({page});
    QCOMPARE(w.document().count(), 1);
    QCOMPARE(f.status0(), QStringLiteral("单元：1/1"));
    QCOMPARE(w.document().docFileName(), f.defaultDocument());
    QVERIFY(!w.isModified());
    QVERIFY(action(w, "TB_delect").isEnabled());
    QVERIFY(optionPanel(w).Box_AImg->isEnabled());
}

void MainWindow::droppingFilesActsLikeTheCommands() {
    EditorFixture f;
    TForm_movie& w = f.start();
    dropFile(w, f.textPage(QStringLiteral("dropped.txt")));
    QCOMPARE(w.document().count(), 1);
    QVERIFY(w.isModified());
    QCOMPARE(f.status0(), QStringLiteral("单元：1/1"));

    dropFile(w, f.writeFile(QStringLiteral("notes.TXT"), "x"));
    QCOMPARE(w.document().count(), 1);

    // A dropped animation file replaces the document only after the save question.
    const QString film = f.animationFile(QStringLiteral("film.mmt"), 2);
    f.prompts.questions << Prompts::Answer::Yes;
    f.prompts.saveNames << QString();
    dropFile(w, film);
    QCOMPARE(w.document().count(), 1);
    f.prompts.questions << Prompts::Answer::No;
    dropFile(w, film);
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(w.document().docFileName(), film);
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void MainWindow::closingAsksAboutUnsavedChanges() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    f.addPages(1);
    f.prompts.questions << Prompts::Answer::Cancel;
    QVERIFY(!w.close());
    QCOMPARE(f.prompts.shown("question"), QStringList{QStringLiteral("是否保存当前动画文件？")});

    // Yes with the default name asks for one; cancelling keeps the window open.
    f.prompts.questions << Prompts::Answer::Yes;
    f.prompts.saveNames << QString();
    QVERIFY(!w.close());
    QVERIFY(w.isModified());

    f.prompts.questions << Prompts::Answer::Yes;
    f.prompts.saveNames << f.programDir() + QStringLiteral("closing.mmt");
    QVERIFY(w.close());
    QCOMPARE(QFileInfo(f.programDir() + QStringLiteral("closing.mmt")).size(), qint64(kRecordSize));
    QVERIFY(f.prompts.allAnswered());

    EditorFixture g;
    TForm_movie& v = g.start();
    v.show();
    g.addPages(1);
    g.prompts.questions << Prompts::Answer::No;
    QVERIFY(v.close());
    QVERIFY(!QFile::exists(g.defaultDocument()));

    EditorFixture h;
    TForm_movie& u = h.start();
    QWidget about;
    u.setAboutWindow(&about);
    u.show();
    trigger(u, "TB_about");
    QVERIFY(about.isVisible());
    h.addPages(1);
    h.saveAs(QStringLiteral("saved.mmt"));
    QVERIFY(u.close());
    QCOMPARE(h.prompts.log.size(), 2); // only the add and save dialogs
    QVERIFY(!about.isVisible());
}

void MainWindow::filmViewClickSelectsTheUnitUnderThePointer() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.resize(1000, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    f.addPages(3, 2);
    FilmView& view = filmView(w);
    view.verticalScrollBar()->setValue(0);
    const TAnsiImage& first = w.document().GetUnit(0);
    const QPoint inFirst(first.left() + 30, first.top() + 15);
    QCOMPARE(view.unitAt(inFirst), 0);
    QCOMPARE(view.unitAt(QPoint(first.left() + 30, first.top() - 5)), -1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, inFirst);
    QCOMPARE(w.document().currentIndex(), 0);
    QCOMPARE(f.status0(), QStringLiteral("单元：1/3"));
    QVERIFY(first.selected());
    QVERIFY(!w.document().GetUnit(2).selected());
    // The view's content is the strip.
    QCOMPARE(view.verticalScrollBar()->maximum(), qMax(0, w.document().height() - view.viewport()->height()));
}

void MainWindow::helpAndSourceTextGoToTheDesktop() {
    EditorFixture f;
    TForm_movie& w = f.start();
    trigger(w, "TB_help");
    QCOMPARE(f.shellOpened, QStringList{f.programDir() + QStringLiteral("help.htm")});
    emit statusBar(w).Panl_Edit->clicked();
    QCOMPARE(f.shellOpened.size(), 1);
    f.addPages(1);
    emit statusBar(w).Panl_Edit->clicked();
    QCOMPARE(f.shellOpened.last(), f.programDir() + QStringLiteral("pages/page0.txt"));
}

void MainWindow::keysReachTheCommandsButNotOverEditing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    f.addPages(2, 1);
    f.prompts.clearLog();
    OptionPanel& p = optionPanel(w);
    auto* speed = new QSpinBox(p.Box_FP);
    speed->setRange(0, 1000);
    speed->show();
    const QString second = w.document().GetUnit(1).fileName();

    // In every kind of text field, read-only ones too, the unit keys stay with the field.
    for (QWidget* field :
         QList<QWidget*>{p.MemoText, p.Edit_Title, p.Edit_color1, p.Edit_color_u2, p.Edit_color_Df1, speed}) {
        field->setFocus();
        for (const QKeyCombination key :
             {QKeyCombination(Qt::ControlModifier, Qt::Key_Up), QKeyCombination(Qt::ControlModifier, Qt::Key_Down),
              QKeyCombination(Qt::NoModifier, Qt::Key_Delete)}) {
            QTest::keyClick(field, key.key(), key.keyboardModifiers());
            QCOMPARE(w.document().count(), 2);
            QCOMPARE(w.document().currentIndex(), 1);
            QVERIFY2(w.document().GetUnit(1).fileName() == second, field->metaObject()->className());
        }
    }
    QVERIFY(f.prompts.log.isEmpty());
    // ... and do there what the field does.
    speed->setFocus();
    speed->setValue(5);
    QTest::keyClick(speed, Qt::Key_Up, Qt::ControlModifier);
    QVERIFY(speed->value() > 5);
    p.Edit_color1->setFocus();
    p.Edit_color1->setText(QStringLiteral("FFFFFF"));
    p.Edit_color1->home(false);
    QTest::keyClick(p.Edit_color1, Qt::Key_Delete);
    QCOMPARE(p.Edit_color1->text(), QStringLiteral("FFFFF"));
    QCOMPARE(p.Edit_color_Df1->text(), QStringLiteral("FFFFFF"));

    // Keys no field uses stay with the window.
    p.Edit_Title->setFocus();
    f.prompts.saveNames << QString();
    QTest::keyClick(p.Edit_Title, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.prompts.shown("save").size(), 1);
    QTest::keyClick(p.Edit_Title, Qt::Key_F1);
    QCOMPARE(f.shellOpened, QStringList{f.programDir() + QStringLiteral("help.htm")});

    // Tab leaves the text box; Ctrl+Tab types a tab.
    p.MemoText->setFocus();
    p.MemoText->setPlainText(QStringLiteral("ab"));
    p.MemoText->moveCursor(QTextCursor::Start);
    QTest::keyClick(p.MemoText, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(p.MemoText->toPlainText(), QStringLiteral("\tab"));
    QCOMPARE(QApplication::focusWidget(), p.MemoText);
    QTest::keyClick(p.MemoText, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != p.MemoText);
    QCOMPARE(p.MemoText->toPlainText(), QStringLiteral("\tab"));

    // Outside the fields the keys move and delete units; the text typed above is not applied.
    filmView(w).setFocus();
    f.prompts.questions << Prompts::Answer::No;
    QTest::keyClick(&filmView(w), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(w.document().currentIndex(), 0);
    QCOMPARE(w.document().GetUnit(0).fileName(), second);
    QTest::keyClick(&filmView(w), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(w.document().currentIndex(), 1);
    f.prompts.confirms << true;
    QTest::keyClick(&filmView(w), Qt::Key_Delete);
    QCOMPARE(w.document().count(), 1);
    QVERIFY(f.prompts.allAnswered());
}

void MainWindow::filmViewKeysSelectUnitsAndScrollToThem() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.resize(900, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    f.addPages(14, 8);
    f.prompts.clearLog();
    FilmView& view = filmView(w);
    const TFilmPanel& strip = w.document();

    // Tab reaches the film view.
    optionPanel(w).MemoText->setFocus();
    for (int k = 0; k < 40 && QApplication::focusWidget() != &view; ++k)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &view);

    const int last = strip.count() - 1;
    const int height = view.viewport()->height();
    QVERIFY(strip.GetUnit(1).top() - strip.GetUnit(0).top() < height);
    QVERIFY(strip.height() > 2 * height);
    // The unit a key should lead to, from the rule the user sees: one step, the ends, or the
    // farthest unit (at least the neighbour) whose top is within one view height.
    const auto expected = [&](int current, Qt::Key key) {
        switch (key) {
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return last;
        case Qt::Key_Up:
        case Qt::Key_Left:
            return qMax(current - 1, 0);
        case Qt::Key_Down:
        case Qt::Key_Right:
            return qMin(current + 1, last);
        default: {
            const int step = key == Qt::Key_PageDown ? 1 : -1;
            int target = qBound(0, current + step, last);
            for (int j = target + step; j >= 0 && j <= last; j += step) {
                if (qAbs(strip.GetUnit(j).top() - strip.GetUnit(current).top()) <= height) target = j;
            }
            return target;
        }
        }
    };
    const Qt::Key keys[] = {Qt::Key_Up,   Qt::Key_Down, Qt::Key_Left,   Qt::Key_Right,
                            Qt::Key_Home, Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
    QRandomGenerator random(20240611);
    for (int n = 0; n < 120; ++n) {
        const Qt::Key key = keys[random.bounded(int(std::size(keys)))];
        const int want = expected(strip.currentIndex(), key);
        QTest::keyClick(&view, key);
        QCOMPARE(strip.currentIndex(), want);
        QCOMPARE(f.status0(), QStringLiteral("单元：%1/%2").arg(want + 1).arg(strip.count()));
        for (int j = 0; j <= last; ++j)
            QCOMPARE(strip.GetUnit(j).selected(), j == want);
        const TAnsiImage& unit = strip.GetUnit(want);
        const int top = view.verticalScrollBar()->value();
        QVERIFY2(unit.top() >= top && unit.top() + unit.height() <= top + height, qPrintable(QString::number(n)));
    }
    QVERIFY(f.prompts.log.isEmpty());
}

// A cell edit is drawn into the kept picture and repaints the edited cells' pixels only, wherever
// the view is scrolled; other changes repaint whole units.
void MainWindow::filmViewRepaintsOnlyTheEditedCells() {
    TFilmPanel strip;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    for (const std::uint8_t mode : {bmDoubleByte, bmSingleByte, bmDoubleByte}) {
        units.push_back(strip.NewUnit());
        units.back()->setByteMode(mode);
        units.back()->SetLines(QList<QByteArray>(12, QByteArray("\xD6\xD0text\xCE\xC4 and more").repeated(4)));
    }
    strip.AppendUnits(std::move(units));
    FilmView view;
    view.resize(300, 400);
    view.setStrip(&strip);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.verticalScrollBar()->setValue(130);
    view.horizontalScrollBar()->setValue(10);
    PaintedRegion painted(view.viewport());
    view.viewport()->update();
    QTRY_VERIFY(!painted.region().isEmpty());

    const QPoint offset(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
    QCOMPARE(offset, QPoint(10, 130));
    for (const int index : {1, 2}) { // a single-byte and a double-byte unit
        const TAnsiImage& unit = strip.GetUnit(index);
        const TAnsiCell cell{{0xB0, 0xA1}, {0, 0}, 0x0000FF, 0x00FF00};
        strip.EditCells(index, {{3 * kGridCols + 2, cell}, {4 * kGridCols + 3, cell}}, unit.cols(), unit.rows());
        const QRect area = CellArea(unit, QRect(2, 3, 2, 2));
        QVERIFY(!area.isEmpty());
        painted.clear();
        QTRY_COMPARE(painted.region(), QRegion(area.translated(unit.geometry().topLeft() - offset)));
        QCOMPARE(view.pictures().picture(unit), RenderUnitPicture(unit));
    }
    // Any other change repaints the whole unit.
    painted.clear();
    strip.SetCurrentUnit(1);
    const QRegion both = QRegion(strip.GetUnit(2).geometry()) + QRegion(strip.GetUnit(1).geometry());
    QTRY_COMPARE(painted.region(), both.translated(-offset) & view.viewport()->rect());
}

// Wherever the view is scrolled, the pictures drawn are those of the units in view and, once the
// event loop is idle, of the one beyond either edge; no others. A view tall enough to show more
// units of 80 rows than the picture budget holds keeps them all the same.
void MainWindow::filmViewDrawsTheUnitsInViewAndOneBeyondEachEdge() {
    for (const auto& [rows, viewHeight] : {std::pair{12, 400}, std::pair{80, 2600}}) {
        TFilmPanel strip;
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (int k = 0; k < 9; ++k) {
            units.push_back(strip.NewUnit());
            units.back()->SetLines(QList<QByteArray>(rows, "unit " + QByteArray::number(k) + QByteArray(rows * 2, '-')));
        }
        strip.AppendUnits(std::move(units));
        FilmView view;
        view.resize(300, viewHeight);
        view.setStrip(&strip);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QScrollBar* bar = view.verticalScrollBar();
        QVERIFY(bar->maximum() > 2 * view.viewport()->height());
        for (const int top : {0, bar->maximum() / 3, bar->maximum() / 2 + 7, bar->maximum()}) {
            const TFilmPanel none;
            view.pictures().retainOnly(none);
            bar->setValue(top);
            view.viewport()->repaint();
            const QRect visible = view.viewport()->rect().translated(view.horizontalScrollBar()->value(), top);
            int first = strip.count();
            int last = -1;
            for (int i = 0; i < strip.count(); ++i) {
                if (!strip.GetUnit(i).geometry().intersects(visible)) continue;
                first = qMin(first, i);
                last = i;
            }
            first = qMax(first - 1, 0);
            last = qMin(last + 1, strip.count() - 1);
            QTRY_COMPARE(view.pictures().size(), last - first + 1);
            for (int i = 0; i < strip.count(); ++i)
                QCOMPARE(view.pictures().holds(strip.GetUnit(i)), i >= first && i <= last);
        }
        if (rows == 80) QVERIFY(view.pictures().bytes() > UnitPictures::kDefaultBudget);
    }
}

QTEST_MAIN(MainWindow)
#include "test_mainwindow.moc"

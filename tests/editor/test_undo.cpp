// The menus, undo and redo of every document command, the changed mark and the title, the keys of
// the unit commands by focus, and the units' clipboard within and between windows.
#include "editorfixture.h"

#include "ansiimage.h"
#include "autosave.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "unitclipboard.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace quillet;

namespace {

const QString kUnitLimitText = QStringLiteral("已到达单元数上限");
const QString kChangedText = QStringLiteral("数据修改成功.");

// The menu bar's items in order, as "menu title/object name".
QStringList menuItems(const TForm_movie& w) {
    QStringList items;
    const auto* bar = w.findChild<QMenuBar*>();
    if (!bar) qFatal("the window has no menu bar");
    for (const QAction* entry : bar->actions()) {
        for (const QAction* item : entry->menu()->actions()) {
            if (!item->isSeparator()) items << entry->text() + QLatin1Char('/') + item->objectName();
        }
    }
    return items;
}

// Opens an animation file of `records` units, unit k saying "unit k"; the document is then clean.
void openUnits(EditorFixture& f, int records, const QString& name = QStringLiteral("units.mmt")) {
    f.prompts.openNames << f.animationFile(name, records);
    trigger(*f.window, "TB_open");
    QCOMPARE(f.window->document().count(), std::min(records, TFilmPanel::kMaxUnits));
    f.prompts.clearLog();
}

// The title as the desktop shows it, with the changed mark in place of "[*]".
QString shownTitle(TForm_movie& w) {
    w.winId();
    return w.windowHandle()->title();
}

// Puts Quillet's units on the clipboard as the copy command does.
void putUnits(const std::vector<const TAnsiImage*>& units) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kUnitsMimeType), EncodeUnits(units));
    QGuiApplication::clipboard()->setMimeData(data);
}

// One document command by its name, with the answers it needs; the unit at index 1 is current.
void perform(EditorFixture& f, const QString& command) {
    TForm_movie& w = *f.window;
    OptionPanel& panel = optionPanel(w);
    if (command == QLatin1String("add")) {
        f.prompts.openNames << f.textPage(QStringLiteral("pages/added.txt"), 4, 20);
        trigger(w, "TB_AddImg");
    } else if (command == QLatin1String("delete")) {
        f.prompts.confirms << true;
        trigger(w, "TB_delect");
    } else if (command == QLatin1String("up") || command == QLatin1String("down")) {
        trigger(w, command == QLatin1String("up") ? "TB_up" : "TB_down");
    } else if (command == QLatin1String("apply")) {
        panel.MemoText->setPlainText(QStringLiteral("新的文字\nsecond line"));
        panel.Edit_color_u1->setText(QStringLiteral("102030"));
        panel.bsBtnPOK->click();
        QCOMPARE(f.prompts.shown("message"), QStringList{kChangedText});
    } else if (command == QLatin1String("page colour")) {
        panel.Edit_color1->setText(QStringLiteral("123456"));
        panel.bsBtnHOK->click();
    } else if (command == QLatin1String("duplicate")) {
        trigger(w, "actionDuplicateUnit");
    } else if (command == QLatin1String("blank")) {
        trigger(w, "actionInsertBlankUnit");
    } else if (command == QLatin1String("cut")) {
        trigger(w, "actionCutUnit");
    } else if (command == QLatin1String("paste")) {
        putUnits({&w.document().GetUnit(0)});
        trigger(w, "actionPasteUnit");
    }
}

} // namespace

class Undo : public QObject {
    Q_OBJECT
private slots:
    void menusHoldTheCommands_data();
    void menusHoldTheCommands();
    void menusInTheirOrder();
    void eachCommandIsUndoneAndRedone_data();
    void eachCommandIsUndoneAndRedone();
    void changedMarkFollowsTheSavedState();
    void unitKeysFollowTheFocus();
    void clipboardBetweenTwoWindows();
    void pasteAtTheUnitLimit();
    void unreadableClipboardChangesNothing();
};

void Undo::menusHoldTheCommands_data() {
    QTest::addColumn<QString>("item"); // menu title and object name
    QTest::addColumn<QString>("text"); // with units and an undo step
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("units");
    QTest::addColumn<bool>("preview");
    auto row = [](const char* item, const char* text, const char* keys, bool empty, bool units, bool preview) {
        QTest::newRow(item) << QString::fromUtf8(item) << QString::fromUtf8(text) << QString::fromUtf8(keys) << empty
                            << units << preview;
    };
    row("文件/TB_New", "新建", "Ctrl+N", true, true, false);
    row("文件/TB_open", "打开", "Ctrl+O", true, true, false);
    row("文件/TB_save", "保存", "Ctrl+S", false, true, false);
    row("文件/actionSaveAs", "另存为", "Ctrl+Shift+S", false, true, false);
    row("文件/TB_SaveHtm", "导出网页", "Ctrl+E", false, true, false);
    row("文件/actionExportAnimation", "导出动画", "", false, true, false);
    row("文件/actionQuit", "退出", "Ctrl+Q", true, true, true);
    row("编辑/actionUndo", "撤销添加文字页", "Ctrl+Z", false, true, false);
    row("编辑/actionRedo", "重做", "Ctrl+Shift+Z; Ctrl+Y", false, false, false);
    row("编辑/actionEditUnit", "编辑单元", "F2", false, true, false);
    row("编辑/actionCutUnit", "剪切单元", "Ctrl+X", false, true, false);
    row("编辑/actionCopyUnit", "复制单元", "Ctrl+C", false, true, false);
    row("编辑/actionPasteUnit", "粘贴单元", "Ctrl+V", true, true, false);
    row("编辑/actionDuplicateUnit", "重复单元", "Ctrl+D", false, true, false);
    row("编辑/actionInsertBlankUnit", "插入空白单元", "Ctrl+Shift+N", true, true, false);
    row("编辑/TB_delect", "删除单元", "Del", false, true, false);
    row("单元/TB_up", "上移", "Ctrl+Up", false, true, false);
    row("单元/TB_down", "下移", "Ctrl+Down", false, true, false);
    row("单元/TB_AddImg", "添加文字页", "", true, true, false);
    row("播放/TB_Preplay", "预览", "", false, true, true);
    // The preview pane's commands, with the keys that work while the focus is in the pane.
    row("播放/previewPauseMenu", "暂停\tSpace", "", false, false, true);
    row("播放/previewStepBackMenu", "上一帧\tLeft", "", false, false, false);
    row("播放/previewStepForwardMenu", "下一帧\tRight", "", false, false, false);
    row("视图/TB_ifo", "打开/关闭选项", "", true, true, true);
    row("帮助/TB_help", "帮助", "F1", true, true, true);
    row("帮助/TB_about", "关于", "", true, true, true);
}

void Undo::menusHoldTheCommands() {
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(QString, keys);
    QFETCH(bool, empty);
    QFETCH(bool, units);
    QFETCH(bool, preview);
    EditorFixture f;
    TForm_movie& w = f.start();
    QVERIFY2(menuItems(w).contains(item), qPrintable(menuItems(w).join(QLatin1Char(' '))));

    QAction& a = action(w, qPrintable(item.section(QLatin1Char('/'), 1)));
    QStringList shortcuts;
    for (const QKeySequence& key : a.shortcuts())
        shortcuts << key.toString();
    QCOMPARE(shortcuts.join(QStringLiteral("; ")), keys);
    QCOMPARE(a.isEnabled(), empty);
    f.addPages(1);
    QCOMPARE(a.text(), text);
    QCOMPARE(a.isEnabled(), units);
    trigger(w, "TB_Preplay");
    QCOMPARE(a.isEnabled(), preview);
    // The current unit's fields can be applied while the preview plays: undo stays off all the same.
    optionPanel(w).MemoText->setPlainText(QStringLiteral("预览时修改"));
    optionPanel(w).bsBtnPOK->click();
    QCOMPARE(a.isEnabled(), preview);
    trigger(w, "TB_Preplay");
    QCOMPARE(a.isEnabled(), units);
}

void Undo::menusInTheirOrder() {
    EditorFixture f;
    const TForm_movie& w = f.start();
    QCOMPARE(menuItems(w), (QStringList{"文件/TB_New",
                                        "文件/TB_open",
                                        "文件/TB_save",
                                        "文件/actionSaveAs",
                                        "文件/TB_SaveHtm",
                                        "文件/actionExportAnimation",
                                        "文件/actionQuit",
                                        "编辑/actionUndo",
                                        "编辑/actionRedo",
                                        "编辑/actionEditUnit",
                                        "编辑/actionCutUnit",
                                        "编辑/actionCopyUnit",
                                        "编辑/actionPasteUnit",
                                        "编辑/actionDuplicateUnit",
                                        "编辑/actionInsertBlankUnit",
                                        "编辑/TB_delect",
                                        "单元/TB_up",
                                        "单元/TB_down",
                                        "单元/TB_AddImg",
                                        "播放/TB_Preplay",
                                        "播放/previewPauseMenu",
                                        "播放/previewStepBackMenu",
                                        "播放/previewStepForwardMenu",
                                        "视图/TB_ifo",
                                        "帮助/TB_help",
                                        "帮助/TB_about"}));
}

void Undo::eachCommandIsUndoneAndRedone_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("step");
    // Page options are settings as well as the page colour: they keep the mark after the undo.
    QTest::addColumn<bool>("markStays");
    QTest::newRow("add") << "add"
                         << "添加文字页" << false;
    QTest::newRow("delete") << "delete"
                            << "删除单元" << false;
    QTest::newRow("up") << "up"
                        << "上移单元" << false;
    QTest::newRow("down") << "down"
                          << "下移单元" << false;
    QTest::newRow("apply") << "apply"
                           << "应用单元内容" << false;
    QTest::newRow("page colour") << "page colour"
                                 << "更改页面颜色" << true;
    QTest::newRow("duplicate") << "duplicate"
                               << "重复单元" << false;
    QTest::newRow("blank") << "blank"
                           << "插入空白单元" << false;
    QTest::newRow("cut") << "cut"
                         << "剪切单元" << false;
    QTest::newRow("paste") << "paste"
                           << "粘贴单元" << false;
}

void Undo::eachCommandIsUndoneAndRedone() {
    QFETCH(QString, command);
    QFETCH(QString, step);
    QFETCH(bool, markStays);
    EditorFixture f;
    TForm_movie& w = f.start();
    const TFilmPanel& strip = w.document();
    openUnits(f, 3);
    selectUnit(w, 1);
    const QByteArray before = stripRecords(strip);
    const TColor pageBefore = strip.pageColor();
    QVERIFY(!w.isModified());
    QVERIFY(!action(w, "actionUndo").isEnabled());
    f.prompts.clearLog();

    perform(f, command);
    const QByteArray after = stripRecords(strip);
    const TColor pageAfter = strip.pageColor();
    const int currentAfter = strip.currentIndex();
    QVERIFY(after != before || pageAfter != pageBefore);
    QVERIFY(w.isModified());
    QVERIFY(w.isWindowModified());
    QCOMPARE(action(w, "actionUndo").text(), QStringLiteral("撤销") + step);

    f.prompts.clearLog();
    trigger(w, "actionUndo");
    QCOMPARE(stripRecords(strip), before);
    QCOMPARE(strip.pageColor(), pageBefore);
    QCOMPARE(w.isModified(), markStays);
    QCOMPARE(action(w, "actionRedo").text(), QStringLiteral("重做") + step);
    QVERIFY(!action(w, "actionUndo").isEnabled());
    QCOMPARE(f.status0(), QStringLiteral("单元：%1/%2").arg(strip.currentIndex() + 1).arg(strip.count()));

    trigger(w, "actionRedo");
    QCOMPARE(stripRecords(strip), after);
    QCOMPARE(strip.pageColor(), pageAfter);
    QCOMPARE(strip.currentIndex(), currentAfter);
    QVERIFY(w.isModified());
    QVERIFY(!action(w, "actionRedo").isEnabled());
    // Undo and redo ask nothing when the fields hold no changes.
    QVERIFY(f.prompts.log.isEmpty());
    QVERIFY(f.prompts.allAnswered());
}

void Undo::changedMarkFollowsTheSavedState() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    openUnits(f, 2, QStringLiteral("demo.mmt"));
    QCOMPARE(shownTitle(w), QStringLiteral("demo.mmt — Quillet"));
    f.addPages(1);
    QCOMPARE(shownTitle(w), QStringLiteral("demo.mmt* — Quillet"));
    const QString saved = f.saveAs(QStringLiteral("saved.mmt"));
    QVERIFY(!w.isModified());
    QCOMPARE(shownTitle(w), QStringLiteral("saved.mmt — Quillet"));
    const QByteArray savedRecords = stripRecords(w.document());

    f.addPages(1);
    QVERIFY(w.isModified());
    // Back to the saved state: the mark goes; past it, it comes back; forward again, it goes.
    trigger(w, "actionUndo");
    QVERIFY(!w.isModified());
    QCOMPARE(shownTitle(w), QStringLiteral("saved.mmt — Quillet"));
    QCOMPARE(stripRecords(w.document()), savedRecords);
    trigger(w, "actionUndo");
    QVERIFY(w.isModified());
    QCOMPARE(w.document().count(), 2);
    trigger(w, "actionRedo");
    QVERIFY(!w.isModified());
    // The recovery copy follows the mark.
    QVERIFY(autoSaver(w).saveNow());
    QVERIFY(!QFileInfo::exists(autoSaver(w).copyPath()));
    trigger(w, "actionUndo");
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(fileContents(autoSaver(w).copyPath()), stripRecords(w.document()));
    QCOMPARE(fileContents(saved), savedRecords);

    // New and Open begin a history of their own.
    f.prompts.questions << Prompts::Answer::No;
    trigger(w, "TB_New");
    QVERIFY(!action(w, "actionUndo").isEnabled() && !action(w, "actionRedo").isEnabled());
    QVERIFY(!w.isModified());
    QCOMPARE(shownTitle(w), QStringLiteral("new.mmt — Quillet"));
    openUnits(f, 2, QStringLiteral("demo.mmt"));
    QVERIFY(!action(w, "actionUndo").isEnabled());
    // A setting is no step: the undo leaves it, and the mark, in place until the next save.
    optionPanel(w).Edit_Title->setText(QStringLiteral("标题"));
    optionPanel(w).bsBtnHOK->click();
    QVERIFY(w.isModified());
    QVERIFY(!action(w, "actionUndo").isEnabled());
    f.saveAs(QStringLiteral("saved2.mmt"));
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void Undo::unitKeysFollowTheFocus() {
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    openUnits(f, 2);
    const TFilmPanel& strip = w.document();
    FilmView& view = filmView(w);
    view.setFocus();
    QGuiApplication::clipboard()->clear();

    // In the film strip the keys are the unit commands.
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasFormat(QString::fromLatin1(kUnitsMimeType)));
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(strip.count(), 3);
    QCOMPARE(strip.GetUnit(2).SaveToRecord(), strip.GetUnit(1).SaveToRecord());
    QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(strip.count(), 2);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(strip.count(), 3);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(strip.count(), 2);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(strip.count(), 2);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(strip.count(), 3);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(strip.count(), 2);
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(strip.count(), 3);
    QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(strip.count(), 4);
    QCOMPARE(strip.currentIndex(), 3);

    // In the memo they edit the memo; the document and its history stay as they are.
    const QByteArray records = stripRecords(strip);
    const QString undoText = action(w, "actionUndo").text();
    QPlainTextEdit* memo = optionPanel(w).MemoText;
    memo->setFocus();
    memo->setPlainText(QStringLiteral("abc"));
    memo->selectAll();
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(QString::fromLatin1(kUnitsMimeType)));
    QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(memo->toPlainText(), QString());
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(memo->toPlainText(), QStringLiteral("abcabc"));
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(memo->toPlainText(), QStringLiteral("abc"));
    QCOMPARE(stripRecords(strip), records);
    QCOMPARE(strip.count(), 4);
    QCOMPARE(action(w, "actionUndo").text(), undoText);
    // A line edit keeps its undo key too.
    QLineEdit* title = optionPanel(w).Edit_Title;
    title->setFocus();
    title->setText(QString());
    QTest::keyClicks(title, QStringLiteral("ab"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(title->text() != QStringLiteral("ab"));
    QCOMPARE(strip.count(), 4);
    QVERIFY2(f.prompts.log.isEmpty(), qPrintable(f.prompts.log.join(QLatin1Char('\n'))));
}

void Undo::clipboardBetweenTwoWindows() {
    EditorFixture first;
    TForm_movie& a = first.start();
    openUnits(first, 3);
    selectUnit(a, 1);
    trigger(a, "actionCopyUnit");
    QCOMPARE(QGuiApplication::clipboard()->text(), UnitsPlainText({&a.document().GetUnit(1)}));
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("unit 1")));
    const QByteArray copied = a.document().GetUnit(1).SaveToRecord();

    EditorFixture second;
    TForm_movie& b = second.start();
    openUnits(second, 2, QStringLiteral("other.mmt"));
    selectUnit(b, 0);
    trigger(b, "actionPasteUnit");
    QCOMPARE(b.document().count(), 3);
    QCOMPARE(b.document().currentIndex(), 1);
    QCOMPARE(b.document().GetUnit(1).SaveToRecord(), copied);
    QCOMPARE(b.document().GetUnit(2).GetLines().first(), QByteArray("unit 1"));
    QVERIFY(b.isModified());
    QCOMPARE(a.document().count(), 3);
    QVERIFY(!a.isModified());
    // A cut takes the unit out of the one window and puts it into the other.
    trigger(b, "actionCutUnit");
    QCOMPARE(b.document().count(), 2);
    trigger(a, "actionPasteUnit");
    QCOMPARE(a.document().count(), 4);
    QCOMPARE(a.document().GetUnit(2).SaveToRecord(), copied);
    QVERIFY(first.prompts.log.isEmpty() && second.prompts.log.isEmpty());
}

void Undo::pasteAtTheUnitLimit() {
    EditorFixture f;
    TForm_movie& w = f.start();
    const TFilmPanel& strip = w.document();
    openUnits(f, 48);
    selectUnit(w, 0);
    const std::vector<const TAnsiImage*> three = {&strip.GetUnit(45), &strip.GetUnit(46), &strip.GetUnit(47)};
    putUnits(three);
    f.prompts.clearLog();
    // Two of three fit: they are pasted after the current unit and the message counts the third.
    trigger(w, "actionPasteUnit");
    QCOMPARE(strip.count(), 50);
    QCOMPARE(strip.currentIndex(), 2);
    QCOMPARE(strip.GetUnit(1).GetLines().first(), QByteArray("unit 45"));
    QCOMPARE(strip.GetUnit(2).GetLines().first(), QByteArray("unit 46"));
    QCOMPARE(f.prompts.shown("message"),
             QStringList{QStringLiteral("剪贴板中有3个单元，已到达单元数上限，只粘贴了前2个，1个没有粘贴。")});
    // None fits: the notice of the limit, and nothing changes.
    const QByteArray full = stripRecords(strip);
    for (const char* name : {"actionPasteUnit", "actionDuplicateUnit", "actionInsertBlankUnit"}) {
        f.prompts.clearLog();
        trigger(w, name);
        QCOMPARE(f.prompts.shown("message"), QStringList{kUnitLimitText});
        QCOMPARE(stripRecords(strip), full);
    }
    QCOMPARE(action(w, "actionUndo").text(), QStringLiteral("撤销粘贴单元"));
    trigger(w, "actionUndo");
    QCOMPARE(strip.count(), 48);
}

void Undo::unreadableClipboardChangesNothing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    openUnits(f, 2);
    const QByteArray records = stripRecords(w.document());
    QByteArray good = EncodeUnits({&w.document().GetUnit(0)});
    QByteArray bad = good;
    bad[bad.size() / 2] = static_cast<char>(bad[bad.size() / 2] ^ 0x5a);
    for (const QByteArray& payload : {bad, good.left(good.size() - 1), QByteArray("QLTUNITS"), QByteArray()}) {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(kUnitsMimeType), payload);
        QGuiApplication::clipboard()->setMimeData(data);
        f.prompts.clearLog();
        trigger(w, "actionPasteUnit");
        const QStringList shown = f.prompts.shown("message");
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("剪贴板中的单元无法读取，没有粘贴任何内容：\n")),
                 qPrintable(shown.first()));
        QCOMPARE(stripRecords(w.document()), records);
        QVERIFY(!w.isModified());
        QVERIFY(!action(w, "actionUndo").isEnabled());
    }
    // Text alone is no unit.
    QGuiApplication::clipboard()->setText(QStringLiteral("unit 0"));
    f.prompts.clearLog();
    trigger(w, "actionPasteUnit");
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("剪贴板中没有可以粘贴的单元。")});
    QCOMPARE(stripRecords(w.document()), records);
}

QTEST_MAIN(Undo)
#include "test_undo.moc"

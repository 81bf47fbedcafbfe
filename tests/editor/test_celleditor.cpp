// The cell editor in the main window: opening and leaving it, typing and input methods, the tools
// with their buttons and modifiers and the undo of each, selection, the clipboard, zoom, the onion
// skin, the chosen colours, what each edit repaints and how the editor follows the current unit.
#include "editorfixture.h"

#include "ansiimage.h"
#include "cellclipboard.h"
#include "celleditmodel.h"
#include "celleditorpane.h"
#include "celleditorview.h"
#include "colorconvert.h"
#include "colorpalette.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <set>
#include <utility>

using namespace quillet;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

// Opens an animation file of `count` units of `rows` rows each: ten letters a row in single-byte
// units ("aaaaaaaaaa", "bbbbbbbbbb", ... with the unit's number first), five Chinese characters a
// row in double-byte ones, dark green on white. The document is then clean, its history empty.
void openDocument(EditorFixture& f, int count, int rows, bool doubleByte = false) {
    QByteArray bytes;
    for (int k = 0; k < count; ++k) {
        TAnsiImage unit;
        unit.setByteMode(doubleByte ? bmDoubleByte : bmSingleByte);
        unit.SetBackColor(0xFFFFFF);
        unit.SetFontColor(0x008000);
        unit.Clear();
        QList<QByteArray> lines;
        for (int r = 0; r < rows; ++r) {
            lines << (doubleByte ? EncodeGbkText(QStringLiteral("中文字中文"), nullptr)
                                 : QByteArray::number(k) + QByteArray(9, static_cast<char>('a' + r)));
        }
        unit.SetLines(lines);
        bytes += unit.SaveToRecord();
    }
    f.prompts.openNames << f.writeFile(QStringLiteral("cells.mmt"), bytes);
    trigger(*f.window, "TB_open");
    f.prompts.clearLog();
}

// Starts the window shown and active, so that its keys reach the window's commands.
TForm_movie& startShown(EditorFixture& f) {
    TForm_movie& w = f.start();
    w.show();
    if (!QTest::qWaitForWindowActive(&w)) qFatal("the window did not become active");
    return w;
}

template <typename T> T& part(const TForm_movie& w, const char* name) {
    T* found = w.findChild<T*>(QLatin1String(name));
    if (!found) qFatal("the window has no %s", name);
    return *found;
}

CellEditorPane& pane(const TForm_movie& w) {
    return part<CellEditorPane>(w, "CellEditorPane");
}
CellEditorView& view(const TForm_movie& w) {
    return part<CellEditorView>(w, "CellEditorView");
}
CellEditModel& model(const TForm_movie& w) {
    return pane(w).model();
}
QString statusText(const TForm_movie& w, const char* label) {
    return part<QLabel>(w, label).text();
}
const TAnsiImage& currentUnit(const TForm_movie& w) {
    return w.document().GetUnit(w.document().currentIndex());
}

// Opens the editor on the current unit through the menu command.
void openEditor(const TForm_movie& w) {
    trigger(w, "actionEditUnit");
    if (pane(w).isHidden()) qFatal("the cell editor did not open");
}

// The viewport point in the middle of a cell (of its second half with `half` 1), as the unit's
// picture places cells: x = 21 + col * pitch, y = 11 + row * 12, pitch 12 in double-byte units.
QPoint cellPoint(const TForm_movie& w, int row, int col, int half = 0) {
    const CellEditorView& v = view(w);
    const bool wide = currentUnit(w).IsDoubleByte();
    const int x = 21 + col * (wide ? 12 : 6) + half * 6 + 3;
    const int y = 11 + row * 12 + 6;
    return QPoint(x * v.zoom() - v.horizontalScrollBar()->value(), y * v.zoom() - v.verticalScrollBar()->value());
}

void sendMouse(const TForm_movie& w, QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers) {
    QWidget* target = view(w).viewport();
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, modifiers);
    QCoreApplication::sendEvent(target, &event);
}

// Presses the button on the first cell, moves over the others one event each (however far apart)
// and releases it on the last; cells are (row, col).
void dragCells(const TForm_movie& w, const QList<QPoint>& cells, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint first = cellPoint(w, cells.first().x(), cells.first().y());
    sendMouse(w, QEvent::MouseButtonPress, first, button, button, modifiers);
    for (const QPoint& cell : cells.mid(1))
        sendMouse(w, QEvent::MouseMove, cellPoint(w, cell.x(), cell.y()), Qt::NoButton, button, modifiers);
    const QPoint last = cellPoint(w, cells.last().x(), cells.last().y());
    sendMouse(w, QEvent::MouseButtonRelease, last, button, Qt::NoButton, modifiers);
}

void clickCell(const TForm_movie& w, int row, int col, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    dragCells(w, {QPoint(row, col)}, button, modifiers);
}

void chooseTool(const TForm_movie& w, const char* button) {
    part<QToolButton>(w, button).click();
}

void undoKey(const TForm_movie& w) {
    QTest::keyClick(&view(w), Qt::Key_Z, Qt::ControlModifier);
}

void commitText(const TForm_movie& w, const QString& commit, const QString& preedit = QString()) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(&view(w), &event);
}

// What the widget answers an input method's question, asked as the platform asks it.
QVariant inputMethodAnswer(QWidget& widget, Qt::InputMethodQuery query) {
    QInputMethodQueryEvent event(query);
    QCoreApplication::sendEvent(&widget, &event);
    return event.value(query);
}

QString firstLine(const TAnsiImage& unit) {
    return DecodeGbkText(unit.GetLines().value(0));
}

QImage shown(const TForm_movie& w) {
    return view(w).viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Records the rectangles the viewport paints.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* watched) { watched->installEventFilter(this); }
    QRect painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted |= static_cast<QPaintEvent*>(event)->rect();
        return false;
    }
};

} // namespace

class CellEditor : public QObject {
    Q_OBJECT
private slots:
    void openingAndLeaving_data();
    void openingAndLeaving();
    void openingAsksAboutTheUnitsFields();
    void typing_data();
    void typing();
    void inputMethodComposesAtTheCursor();
    void textGbkCannotHoldIsRefused();
    void statusShowsRowAndCellColumn();
    void editingAndPageKeys();
    void tools_data();
    void tools();
    void pickingColors();
    void selectionByDragAndShiftArrows();
    void movingTheSelection();
    void clipboardRoundTrip();
    void zoomKeysAndWheel();
    void picturePixelsAtEachZoom();
    void onionSkinChangesNoDocument();
    void chosenColors();
    void editsRepaintOnlyTheirCells();
    void undoFollowsTheCurrentUnit();
};

void CellEditor::openingAndLeaving_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("leave");
    QTest::newRow("menu, Escape") << "menu"
                                  << "Escape";
    QTest::newRow("F2, done") << "F2"
                              << "done";
    QTest::newRow("Enter, Escape") << "Enter"
                                   << "Escape";
    QTest::newRow("double click, done") << "double click"
                                        << "done";
}

void CellEditor::openingAndLeaving() {
    QFETCH(QString, way);
    QFETCH(QString, leave);
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 3, 2);
    selectUnit(w, 1);
    FilmView& film = filmView(w);
    film.setFocus();
    if (way == QLatin1String("menu")) {
        trigger(w, "actionEditUnit");
    } else if (way == QLatin1String("F2")) {
        QTest::keyClick(&film, Qt::Key_F2);
    } else if (way == QLatin1String("Enter")) {
        QTest::keyClick(&film, Qt::Key_Return);
    } else {
        const QPoint offset(film.horizontalScrollBar()->value(), film.verticalScrollBar()->value());
        QTest::mouseDClick(film.viewport(), Qt::LeftButton, {}, w.document().GetUnit(1).geometry().center() - offset);
    }

    QVERIFY(mainPanel(w).isHidden());
    QVERIFY(pane(w).isVisible());
    QVERIFY(view(w).hasFocus());
    QCOMPARE(w.document().currentIndex(), 1);
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 1 列 1"));
    QCOMPARE(statusText(w, "cellZoom"), QStringLiteral("200%"));
    QCOMPARE(statusText(w, "cellMode"), QStringLiteral("改写"));
    for (const char* name :
         {"TB_Preplay", "TB_open", "TB_New", "TB_AddImg", "TB_delect", "TB_up", "TB_down", "actionEditUnit",
          "actionCutUnit", "actionCopyUnit", "actionPasteUnit", "actionDuplicateUnit", "actionInsertBlankUnit"})
        QVERIFY2(!action(w, name).isEnabled(), name);
    for (const char* name : {"TB_save", "actionSaveAs", "TB_SaveHtm", "TB_ifo", "TB_help"})
        QVERIFY2(action(w, name).isEnabled(), name);
    // Delete is the editor's own key here, not the command that deletes the unit.
    QTest::keyClick(&view(w), Qt::Key_Delete);
    QCOMPARE(w.document().count(), 3);
    QVERIFY(f.prompts.log.isEmpty());

    if (leave == QLatin1String("Escape"))
        QTest::keyClick(&view(w), Qt::Key_Escape);
    else
        part<QPushButton>(w, "cellEditDone").click();
    QVERIFY(!mainPanel(w).isHidden());
    QVERIFY(pane(w).isHidden());
    QVERIFY(film.hasFocus());
    QCOMPARE(w.document().currentIndex(), 1);
    for (const char* name : {"TB_Preplay", "TB_delect", "TB_AddImg", "actionEditUnit", "actionCopyUnit"})
        QVERIFY2(action(w, name).isEnabled(), name);
}

void CellEditor::openingAsksAboutTheUnitsFields() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 2, 2);
    QPlainTextEdit& memo = *optionPanel(w).MemoText;
    const QString unitText = memo.toPlainText();
    memo.setPlainText(QStringLiteral("not applied"));
    f.prompts.questions << Prompts::Answer::Cancel;
    trigger(w, "actionEditUnit");
    QVERIFY(pane(w).isHidden());
    QCOMPARE(f.prompts.shown(QStringLiteral("question")).size(), 1);
    f.prompts.questions << Prompts::Answer::No;
    trigger(w, "actionEditUnit");
    QVERIFY(pane(w).isVisible());
    QCOMPARE(memo.toPlainText(), unitText);
    QVERIFY(f.prompts.allAnswered());
    part<QPushButton>(w, "cellEditDone").click();

    // The preview and the editor take the same place: one at a time.
    trigger(w, "TB_Preplay");
    QVERIFY(!action(w, "actionEditUnit").isEnabled());
    trigger(w, "actionEditUnit");
    QVERIFY(pane(w).isHidden());
}

void CellEditor::typing_data() {
    QTest::addColumn<bool>("doubleByte");
    QTest::addColumn<QString>("keys");   // typed on the keyboard
    QTest::addColumn<QString>("commit"); // committed by an input method, after the keys
    QTest::addColumn<QString>("line");   // how the unit's first line starts then
    QTest::addColumn<QString>("position");
    QTest::newRow("letters, single-byte unit") << false << "Hi!"
                                               << ""
                                               << "Hi!aaaaaaa"
                                               << "行 1 列 4";
    QTest::newRow("letters, double-byte unit") << true << "ab"
                                               << ""
                                               << "ab文字中文"
                                               << "行 1 列 2";
    QTest::newRow("Chinese, double-byte unit") << true << ""
                                               << "汉字"
                                               << "汉字字中文"
                                               << "行 1 列 3";
    QTest::newRow("Chinese, single-byte unit") << false << ""
                                               << "汉字"
                                               << "汉字aaaaaa"
                                               << "行 1 列 5";
    QTest::newRow("letters then Chinese") << true << "x"
                                          << "汉"
                                          << "x 汉字中文"
                                          << "行 1 列 3";
}

void CellEditor::typing() {
    QFETCH(bool, doubleByte);
    QFETCH(QString, keys);
    QFETCH(QString, commit);
    QFETCH(QString, line);
    QFETCH(QString, position);
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 2, doubleByte);
    const QByteArray before = stripRecords(w.document());
    openEditor(w);
    QTest::keyClicks(&view(w), keys);
    if (!commit.isEmpty()) commitText(w, commit);

    QCOMPARE(firstLine(currentUnit(w)), line);
    QCOMPARE(statusText(w, "cellPosition"), position);
    // The unit's text box follows the cells as they are typed.
    QVERIFY(optionPanel(w).MemoText->toPlainText().startsWith(line));
    QVERIFY(w.isModified());
    // The typing is one step.
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);
    QVERIFY(!w.isModified());
    QVERIFY(pane(w).isVisible());
}

void CellEditor::inputMethodComposesAtTheCursor() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 2, true);
    openEditor(w);
    CellEditorView& v = view(w);
    QTest::keyClick(&v, Qt::Key_Right);
    QTest::keyClick(&v, Qt::Key_Down);
    QVERIFY(v.testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(inputMethodAnswer(v, Qt::ImEnabled).toBool());
    // Cell (1, 1) at 200 %, inside the viewport's frame.
    const QRect cursor(QPoint(21 + 12, 11 + 12) * 2 + v.viewport()->pos(), QSize(6, 12) * 2);
    QCOMPARE(inputMethodAnswer(v, Qt::ImCursorRectangle).toRect(), cursor);

    const QByteArray before = stripRecords(w.document());
    const QImage plain = shown(w);
    commitText(w, QString(), QStringLiteral("zhong"));
    QCOMPARE(v.preedit(), QStringLiteral("zhong"));
    QCOMPARE(stripRecords(w.document()), before);
    QVERIFY(shown(w) != plain);
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 2 列 2"));

    commitText(w, QStringLiteral("中"));
    QVERIFY(v.preedit().isEmpty());
    QCOMPARE(DecodeGbkText(currentUnit(w).GetLines().value(1)), QStringLiteral("中中字中文"));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 2 列 3"));
}

void CellEditor::textGbkCannotHoldIsRefused() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 2);
    openEditor(w);
    const QByteArray before = stripRecords(w.document());
    commitText(w, QStringLiteral("a😀"));
    QCOMPARE(stripRecords(w.document()), before);
    QVERIFY2(statusText(w, "cellMessage").contains(QStringLiteral("😀")), qPrintable(statusText(w, "cellMessage")));
    QVERIFY(f.prompts.log.isEmpty());
}

void CellEditor::statusShowsRowAndCellColumn() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 3, true);
    openEditor(w);
    // Two letters in one double-byte cell; the second half is still that cell's column.
    clickCell(w, 2, 3);
    QTest::keyClicks(&view(w), QStringLiteral("ab"));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 3 列 5"));
    sendMouse(w, QEvent::MouseButtonPress, cellPoint(w, 2, 3, 1), Qt::LeftButton, Qt::LeftButton, {});
    sendMouse(w, QEvent::MouseButtonRelease, cellPoint(w, 2, 3, 1), Qt::LeftButton, {}, {});
    QCOMPARE(model(w).cursor(), (CellCursor{2, 3, 1}));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 3 列 4"));
    QTest::keyClick(&view(w), Qt::Key_Insert);
    QCOMPARE(statusText(w, "cellMode"), QStringLiteral("插入"));
    QVERIFY(model(w).insertMode());
    QTest::keyClick(&view(w), Qt::Key_End);
    QTest::keyClick(&view(w), Qt::Key_Return);
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 4 列 1"));
}

void CellEditor::editingAndPageKeys() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 2);
    openEditor(w);
    CellEditorView& v = view(w);
    QTest::keyClicks(&v, QStringLiteral("xy"));
    QCOMPARE(firstLine(currentUnit(w)), QStringLiteral("xyaaaaaaaa"));
    // Overwriting, Backspace steps back and leaves a space; Delete pulls the rest of the row left.
    QTest::keyClick(&v, Qt::Key_Backspace);
    QCOMPARE(firstLine(currentUnit(w)), QStringLiteral("x aaaaaaaa"));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 1 列 2"));
    QTest::keyClick(&v, Qt::Key_Delete);
    QVERIFY(firstLine(currentUnit(w)).startsWith(QStringLiteral("xaaaaaaaa")));
    // A page is the rows the view shows.
    const int page = v.viewport()->height() / (12 * v.zoom());
    QTest::keyClick(&v, Qt::Key_PageDown);
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 %1 列 2").arg(1 + page));
    QTest::keyClick(&v, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(model(w).selection(), QRect(1, page, 1, page + 1));
    QTest::keyClick(&v, Qt::Key_Home);
    QTest::keyClick(&v, Qt::Key_PageUp);
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 %1 列 1").arg(1 + page));
}

void CellEditor::tools_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("colors"); // CellColors
    auto row = [](const char* name, const char* tool, const char* gesture, Qt::MouseButton button,
                  Qt::KeyboardModifiers modifiers, CellColors colors) {
        QTest::newRow(name) << tool << gesture << static_cast<int>(button) << static_cast<int>(modifiers)
                            << static_cast<int>(colors);
    };
    row("brush, left", "cellToolBrush", "stroke", Qt::LeftButton, Qt::NoModifier, CellColors::Both);
    row("brush, Shift+left", "cellToolBrush", "stroke", Qt::LeftButton, Qt::ShiftModifier, CellColors::Text);
    row("brush, right", "cellToolBrush", "stroke", Qt::RightButton, Qt::NoModifier, CellColors::Back);
    row("brush, Ctrl+left", "cellToolBrush", "stroke", Qt::LeftButton, Qt::ControlModifier, CellColors::Back);
    row("fill, left", "cellToolFill", "click", Qt::LeftButton, Qt::NoModifier, CellColors::Both);
    row("fill, Shift+left", "cellToolFill", "click", Qt::LeftButton, Qt::ShiftModifier, CellColors::Text);
    row("fill, right", "cellToolFill", "click", Qt::RightButton, Qt::NoModifier, CellColors::Back);
    row("rectangle, left", "cellToolRect", "rectangle", Qt::LeftButton, Qt::NoModifier, CellColors::Both);
    row("rectangle, Ctrl+left", "cellToolRect", "rectangle", Qt::LeftButton, Qt::ControlModifier, CellColors::Back);
    row("rectangle, Shift+left", "cellToolRect", "rectangle", Qt::LeftButton, Qt::ShiftModifier, CellColors::Text);
}

void CellEditor::tools() {
    QFETCH(QString, tool);
    QFETCH(QString, gesture);
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(int, colors);
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 4);
    openEditor(w);
    chooseTool(w, qPrintable(tool));
    model(w).setTextColor(kRed);
    model(w).setBackColor(kBlue);
    const TAnsiImage& unit = currentUnit(w);
    const QByteArray before = stripRecords(w.document());
    const TAnsiCell untouched = unit.cell(0, 0);
    const auto mouse = static_cast<Qt::MouseButton>(button);
    const auto keys = static_cast<Qt::KeyboardModifiers>(modifiers);

    // Cells as (row, col). A stroke jumps six cells in one mouse move: the cells between are
    // painted too.
    std::set<std::pair<int, int>> painted;
    if (gesture == QLatin1String("stroke")) {
        dragCells(w, {QPoint(1, 1), QPoint(1, 7), QPoint(3, 7)}, mouse, keys);
        for (int c = 1; c <= 7; ++c)
            painted.insert({1, c});
        painted.insert({2, 7});
        painted.insert({3, 7});
    } else if (gesture == QLatin1String("rectangle")) {
        dragCells(w, {QPoint(0, 2), QPoint(3, 8), QPoint(2, 5)}, mouse, keys);
        for (int r = 0; r <= 2; ++r)
            for (int c = 2; c <= 5; ++c)
                painted.insert({r, c});
    } else {
        // The whole unit shares its colours: one region.
        clickCell(w, 2, 4, mouse, keys);
        for (int r = 0; r < unit.rows(); ++r)
            for (int c = 0; c < unit.cols(); ++c)
                painted.insert({r, c});
    }

    const auto which = static_cast<CellColors>(colors);
    for (int r = 0; r < unit.rows(); ++r) {
        for (int c = 0; c < unit.cols(); ++c) {
            const bool hit = painted.count({r, c}) > 0;
            const TAnsiCell& cell = unit.cell(r, c);
            const TColor font = hit && which != CellColors::Back ? kRed : untouched.FontColor;
            const TColor back = hit && which != CellColors::Text ? kBlue : untouched.BackColor;
            QVERIFY2(cell.FontColor == font && cell.BackColor == back,
                     qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
        }
    }
    QCOMPARE(unit.GetLines(), (QList<QByteArray>{"0aaaaaaaaa", "0bbbbbbbbb", "0ccccccccc", "0ddddddddd"}));
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);
}

void CellEditor::pickingColors() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 3);
    openEditor(w);
    const TAnsiImage& unit = currentUnit(w);
    chooseTool(w, "cellToolBrush");
    model(w).setTextColor(kRed);
    model(w).setBackColor(kBlue);
    clickCell(w, 2, 3);
    model(w).setTextColor(0x111111);
    model(w).setBackColor(0x222222);

    chooseTool(w, "cellToolPick");
    clickCell(w, 2, 3);
    QCOMPARE(model(w).textColor(), kRed);
    QCOMPARE(model(w).backColor(), kBlue);
    QCOMPARE(part<ColorSwatch>(w, "cellTextColor").color(), kRed);
    QCOMPARE(part<ColorSwatch>(w, "cellBackColor").color(), kBlue);

    // Alt+click picks in every tool and draws nothing.
    chooseTool(w, "cellToolBrush");
    const QByteArray before = stripRecords(w.document());
    clickCell(w, 0, 0, Qt::LeftButton, Qt::AltModifier);
    QCOMPARE(stripRecords(w.document()), before);
    QCOMPARE(model(w).textColor(), unit.cell(0, 0).FontColor);
    QCOMPARE(model(w).backColor(), unit.cell(0, 0).BackColor);
    QCOMPARE(part<ColorSwatch>(w, "cellBackColor").color(), unit.cell(0, 0).BackColor);
}

void CellEditor::selectionByDragAndShiftArrows() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 4);
    openEditor(w);
    CellEditorView& v = view(w);
    dragCells(w, {QPoint(0, 1), QPoint(3, 6), QPoint(2, 4)});
    QCOMPARE(model(w).selection(), QRect(1, 0, 4, 3));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 1 列 2"));
    // Dragging back onto the pressed cell is a click: nothing selected.
    dragCells(w, {QPoint(1, 1), QPoint(2, 2), QPoint(1, 1)});
    QVERIFY(model(w).selection().isEmpty());
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 2 列 2"));

    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(model(w).selection(), QRect(1, 1, 3, 2));
    QCOMPARE(statusText(w, "cellPosition"), QStringLiteral("行 3 列 4"));
    // Escape drops the selection first, then leaves.
    QTest::keyClick(&v, Qt::Key_Escape);
    QVERIFY(model(w).selection().isEmpty());
    QVERIFY(pane(w).isVisible());
    QTest::keyClick(&v, Qt::Key_Escape);
    QVERIFY(pane(w).isHidden());
}

void CellEditor::movingTheSelection() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 4);
    openEditor(w);
    const QByteArray before = stripRecords(w.document());
    dragCells(w, {QPoint(0, 0), QPoint(1, 2)});
    // Rows 0-1, cells 0-2 go two rows down and three cells right.
    dragCells(w, {QPoint(0, 1), QPoint(1, 3), QPoint(2, 4)});
    QCOMPARE(model(w).selection(), QRect(3, 2, 3, 2));
    QCOMPARE(currentUnit(w).GetLines(), (QList<QByteArray>{"   aaaaaaa", "   bbbbbbb", "0cc0aacccc", "0dd0bbdddd"}));
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);
}

void CellEditor::clipboardRoundTrip() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 4);
    openEditor(w);
    CellEditorView& v = view(w);
    const TAnsiImage& unit = currentUnit(w);
    QClipboard& clipboard = *QGuiApplication::clipboard();
    chooseTool(w, "cellToolBrush");
    model(w).setTextColor(kRed);
    clickCell(w, 1, 1, Qt::LeftButton, Qt::ShiftModifier);
    chooseTool(w, "cellToolText");

    // Copy: Quillet's cells and their text.
    dragCells(w, {QPoint(0, 0), QPoint(1, 2)});
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = clipboard.mimeData();
    QVERIFY(data && data->hasFormat(QString::fromLatin1(kCellsMimeType)));
    QVERIFY2(data->text().startsWith(QStringLiteral("0aa\n0bb")), qPrintable(data->text()));

    QByteArray before = stripRecords(w.document());
    clickCell(w, 2, 5);
    QTest::keyClick(&v, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(unit.GetLines().mid(2), (QList<QByteArray>{"0cccc0aacc", "0dddd0bbdd"}));
    QCOMPARE(unit.cell(3, 6).FontColor, kRed);
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);

    // Cut: the text goes to the clipboard and the cells become spaces.
    dragCells(w, {QPoint(3, 1), QPoint(3, 3)});
    QTest::keyClick(&v, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(clipboard.text().startsWith(QStringLiteral("ddd")));
    QCOMPARE(unit.GetLines().value(3), QByteArray("0   dddddd"));
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);

    // Text from another program.
    clipboard.setText(QStringLiteral("xy\n中"));
    clickCell(w, 2, 2);
    QTest::keyClick(&v, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(unit.GetLines().mid(2, 2),
             (QList<QByteArray>{"0cxycccccc", EncodeGbkText(QStringLiteral("0d中dddddd"), nullptr)}));
    undoKey(w);
    QCOMPARE(stripRecords(w.document()), before);
}

void CellEditor::zoomKeysAndWheel() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 2);
    openEditor(w);
    CellEditorView& v = view(w);
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int zoom;
    };
    const Step steps[] = {{Qt::Key_Equal, Qt::ControlModifier, 3},
                          {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 4},
                          {Qt::Key_Minus, Qt::ControlModifier, 3},
                          {Qt::Key_0, Qt::ControlModifier, 1},
                          {Qt::Key_Minus, Qt::ControlModifier, 1}};
    for (const Step& step : steps) {
        QTest::keyClick(&v, step.key, step.modifiers);
        QCOMPARE(v.zoom(), step.zoom);
        QCOMPARE(statusText(w, "cellZoom"), QStringLiteral("%1%").arg(step.zoom * 100));
    }
    auto wheel = [&](int notches, Qt::KeyboardModifiers modifiers) {
        const QPointF at(50, 50);
        QWheelEvent event(at, v.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(v.viewport(), &event);
    };
    wheel(10, Qt::ControlModifier);
    QCOMPARE(v.zoom(), CellEditorView::kMaxZoom);
    wheel(-1, Qt::ControlModifier);
    QCOMPARE(v.zoom(), 7);
    QCOMPARE(statusText(w, "cellZoom"), QStringLiteral("700%"));
    // Without Ctrl the wheel scrolls.
    v.verticalScrollBar()->setValue(500);
    wheel(1, Qt::NoModifier);
    QCOMPARE(v.zoom(), 7);
    QVERIFY(v.verticalScrollBar()->value() < 500);
    wheel(-20, Qt::ControlModifier);
    QCOMPARE(v.zoom(), CellEditorView::kMinZoom);
}

void CellEditor::picturePixelsAtEachZoom() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 3);
    openEditor(w);
    CellEditorView& v = view(w);
    const QImage picture = filmView(w).pictures().picture(currentUnit(w));
    // The cursor is on the first cell; the rows below it are the picture's own pixels.
    for (int zoom = 1; zoom <= CellEditorView::kMaxZoom; ++zoom) {
        v.setZoom(zoom);
        v.horizontalScrollBar()->setValue(0);
        v.verticalScrollBar()->setValue(0);
        const QImage screen = shown(w);
        const QRect compared = QRect(0, 24, picture.width(), picture.height() - 24)
                                   .intersected(QRect(0, 0, screen.width() / zoom, screen.height() / zoom));
        for (int y = compared.top(); y <= compared.bottom(); ++y) {
            for (int x = compared.left(); x <= compared.right(); ++x) {
                // From three times up a grid line runs along each cell's left and top pixels.
                const QPoint at(x * zoom + zoom - 1, y * zoom + zoom - 1);
                if (screen.pixel(at) != picture.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("zoom %1: pixel %2,%3").arg(zoom).arg(x).arg(y)));
            }
        }
        if (zoom == 1) {
            // Outside the picture the canvas is grey.
            QCOMPARE(screen.pixel(picture.width() + 5, 5), qRgb(160, 160, 160));
        }
    }
    // From three times up the cells are outlined.
    v.setZoom(3);
    v.horizontalScrollBar()->setValue(0);
    v.verticalScrollBar()->setValue(0);
    const QImage gridded = shown(w);
    QVERIFY(gridded.pixel((21 + 6) * 3, (11 + 24) * 3 + 4) != picture.pixel(21 + 6, 11 + 25));
}

void CellEditor::onionSkinChangesNoDocument() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 3, 3);
    selectUnit(w, 1);
    const QString saved = f.saveAs(QStringLiteral("before.mmt"));
    const QByteArray page = f.exportPage();
    openEditor(w);
    const QImage plain = shown(w);
    QCheckBox& previous = part<QCheckBox>(w, "cellOnion");
    QCheckBox& next = part<QCheckBox>(w, "cellOnionNext");

    previous.setChecked(true);
    const QImage withPrevious = shown(w);
    QVERIFY(withPrevious != plain);
    next.setChecked(true);
    const QImage withBoth = shown(w);
    QVERIFY(withBoth != withPrevious);
    // Off again, the view is as it was; the O key outside the text tool turns it on and off.
    previous.setChecked(false);
    next.setChecked(false);
    QCOMPARE(shown(w), plain);
    chooseTool(w, "cellToolBrush");
    QTest::keyClick(&view(w), Qt::Key_O);
    QVERIFY(previous.isChecked());
    QCOMPARE(shown(w), withPrevious);

    QVERIFY(!w.isModified());
    QCOMPARE(f.exportPage(), page);
    QCOMPARE(fileContents(f.saveAs(QStringLiteral("after.mmt"))), fileContents(saved));
}

void CellEditor::chosenColors() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 2, 3);
    openEditor(w);
    const TAnsiImage& unit = currentUnit(w);
    ColorSwatch& text = part<ColorSwatch>(w, "cellTextColor");
    ColorSwatch& back = part<ColorSwatch>(w, "cellBackColor");
    ColorPalette& palette = part<ColorPalette>(w, "cellPalette");
    QCOMPARE(model(w).textColor(), unit.fontColor());
    QCOMPARE(model(w).backColor(), unit.backColor());
    QCOMPARE(text.color(), unit.fontColor());
    // The document's colours first: here just the units' two.
    QCOMPARE((std::set<TColor>(palette.colors().begin(), palette.colors().end())),
             (std::set<TColor>{unit.fontColor(), unit.backColor()}));

    f.prompts.colors << TColor(0x00FF00) << std::nullopt;
    QTest::mouseClick(&text, Qt::LeftButton);
    QCOMPARE(model(w).textColor(), TColor(0x00FF00));
    QCOMPARE(text.color(), TColor(0x00FF00));
    QCOMPARE(palette.colors().size(), 3);
    QCOMPARE(palette.colors().last(), TColor(0x00FF00));
    QTest::mouseClick(&back, Qt::LeftButton);
    QCOMPARE(model(w).backColor(), unit.backColor());
    QVERIFY(f.prompts.allAnswered());

    QTest::mouseClick(&palette, Qt::RightButton, {}, palette.swatchRect(2).center());
    QCOMPARE(model(w).backColor(), TColor(0x00FF00));
    QTest::mouseClick(&palette, Qt::LeftButton, {}, palette.swatchRect(0).center());
    QCOMPARE(model(w).textColor(), palette.colors().at(0));
    QCOMPARE(back.color(), TColor(0x00FF00));

    part<QToolButton>(w, "cellSwapColors").click();
    QCOMPARE(model(w).textColor(), TColor(0x00FF00));
    QCOMPARE(text.color(), TColor(0x00FF00));
    // X swaps outside the text tool and is a letter in it.
    chooseTool(w, "cellToolRect");
    QTest::keyClick(&view(w), Qt::Key_X);
    QCOMPARE(back.color(), TColor(0x00FF00));
    QCOMPARE(firstLine(unit), QStringLiteral("1aaaaaaaaa"));
    chooseTool(w, "cellToolText");
    QTest::keyClick(&view(w), Qt::Key_X);
    QCOMPARE(back.color(), TColor(0x00FF00));
    QCOMPARE(firstLine(unit), QStringLiteral("xaaaaaaaaa"));
}

void CellEditor::editsRepaintOnlyTheirCells() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    openDocument(f, 1, 4);
    openEditor(w);
    CellEditorView& v = view(w);
    PaintRecorder recorder(v.viewport());
    v.setZoom(4);
    QTRY_VERIFY(!recorder.painted.isEmpty());
    recorder.painted = QRect();
    // The cells as the viewport shows them, with a pixel more around for the cursor's outline.
    auto cells = [&](int row, int col, int count) {
        const QPoint first = cellPoint(w, row, col) - QPoint(3, 6) * v.zoom();
        return QRect(first, QSize(6 * count, 12) * v.zoom()).adjusted(-1, -1, 1, 1);
    };

    QTest::keyClick(&v, Qt::Key_Q);
    QTRY_VERIFY(!recorder.painted.isEmpty());
    QVERIFY2(cells(0, 0, 2).contains(recorder.painted), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(recorder.painted.x())
                                                                       .arg(recorder.painted.y())
                                                                       .arg(recorder.painted.width())
                                                                       .arg(recorder.painted.height())));

    chooseTool(w, "cellToolBrush");
    model(w).setBackColor(kBlue);
    recorder.painted = QRect();
    dragCells(w, {QPoint(2, 3), QPoint(2, 4)});
    QTRY_VERIFY(!recorder.painted.isEmpty());
    QVERIFY(cells(2, 3, 2).contains(recorder.painted));
}

void CellEditor::undoFollowsTheCurrentUnit() {
    EditorFixture f;
    TForm_movie& w = startShown(f);
    f.addPages(2);
    const TFilmPanel& strip = w.document();
    openEditor(w);
    QCOMPARE(strip.currentIndex(), 1);
    QTest::keyClick(&view(w), Qt::Key_Z);
    QVERIFY(firstLine(strip.GetUnit(1)).startsWith(QLatin1Char('z')));
    undoKey(w);
    QVERIFY(firstLine(strip.GetUnit(1)).startsWith(QLatin1Char('a')));
    // Undoing the second page's adding leaves the first one current: the editor edits it, the
    // cursor where it was.
    undoKey(w);
    QCOMPARE(strip.count(), 1);
    QVERIFY(pane(w).isVisible());
    QTest::keyClick(&view(w), Qt::Key_Q);
    QCOMPARE(firstLine(strip.GetUnit(0)), QStringLiteral("aqaaaaaaaa"));
    QCOMPARE(optionPanel(w).MemoText->toPlainText().left(3), QStringLiteral("aqa"));
    // Redo works in the editor too (Ctrl+Y and Ctrl+Shift+Z).
    undoKey(w);
    QTest::keyClick(&view(w), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(firstLine(strip.GetUnit(0)).startsWith(QStringLiteral("aq")));
    undoKey(w);
    QTest::keyClick(&view(w), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(firstLine(strip.GetUnit(0)).startsWith(QStringLiteral("aq")));
    undoKey(w);
    // The last unit goes: the editor closes.
    undoKey(w);
    QCOMPARE(strip.count(), 0);
    QVERIFY(pane(w).isHidden());
    QVERIFY(!mainPanel(w).isHidden());
}

QTEST_MAIN(CellEditor)
#include "test_celleditor.moc"

// What assistive technology and the keyboard reach: every control that can take the focus has a
// name, captions name their fields, the film strip is a list of its units that follows the current
// unit, the swatches say their colour, and Tab walks the option panel in reading order.
#include "editorfixture.h"

#include "ansiimage.h"
#include "celleditmodel.h"
#include "celleditorpane.h"
#include "celleditorview.h"
#include "colorhex.h"
#include "colorpalette.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "prompts.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace quillet;

namespace {

// The visible controls under `root` that take the focus and that assistive technology hears
// without a name, by object name (or class).
QStringList unnamedControls(const QWidget& root) {
    QStringList unnamed;
    const QList<QWidget*> widgets = root.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisible() || w->focusProxy()) continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << (w->objectName().isEmpty() ? QLatin1String(w->metaObject()->className()) : w->objectName());
    }
    return unnamed;
}

TForm_movie& startActive(EditorFixture& f, int pages) {
    TForm_movie& w = f.start();
    f.addPages(pages);
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w)) qFatal("the window did not become active");
    return w;
}

} // namespace

class Accessibility : public QObject {
    Q_OBJECT
private slots:
    void everyFocusableControlIsNamed_data();
    void everyFocusableControlIsNamed();
    void exportDialogFieldsAreNamed();
    void captionsNameTheirFields();
    void optionPanelWidensForLongerTexts();
    void filmStripIsAListThatFollowsTheCurrentUnit();
    void swatchesSayTheirColourAndOpenTheDialogFromTheKeyboard();
    void tabWalksTheOptionPanelInReadingOrder();
    void cellToolsWorkFromTheKeyboard_data();
    void cellToolsWorkFromTheKeyboard();
    void paletteColoursArePickedFromTheKeyboard();
    void previewCommandsFromTheMenu();
};

void Accessibility::everyFocusableControlIsNamed_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("film strip") << QString();
    QTest::newRow("cell editor") << QStringLiteral("actionEditUnit");
    QTest::newRow("preview") << QStringLiteral("TB_Preplay");
}

void Accessibility::everyFocusableControlIsNamed() {
    QFETCH(QString, command);
    EditorFixture f;
    TForm_movie& w = startActive(f, 2);
    if (!command.isEmpty()) trigger(w, command.toLatin1().constData());
    const QStringList unnamed = unnamedControls(w);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

void Accessibility::exportDialogFieldsAreNamed() {
    QtPrompts prompts;
    QStringList unnamed = {QStringLiteral("(the dialog did not open)")};
    QStringList names;
    std::function<void()> whenShown = [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            QTimer::singleShot(0, whenShown);
            return;
        }
        unnamed = unnamedControls(*dialog);
        // The fields are named by their captions, not by the value they show.
        for (const char* field : {"format", "scale", "loop"})
            names << dialog->findChild<QWidget*>(QLatin1String(field))->accessibleName();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    };
    QTimer::singleShot(0, whenShown);
    prompts.animationChoice({QStringLiteral("GIF")}, {});
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QCOMPARE(names, (QStringList{QStringLiteral("格式"), QStringLiteral("放大倍数"), QStringLiteral("循环")}));
}

void Accessibility::captionsNameTheirFields() {
    EditorFixture f;
    TForm_movie& w = f.start();
    // Every caption of the option panel is the label of a field, which is named, and not by the
    // title of its group.
    const QList<QLabel*> captions = optionPanel(w).findChildren<QLabel*>();
    QVERIFY(captions.size() >= 10);
    for (QLabel* caption : captions) {
        if (qobject_cast<ColorSwatch*>(caption)) continue;
        QWidget* field = caption->buddy();
        QVERIFY2(field, qPrintable(caption->text()));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field);
        QAccessibleInterface* label = QAccessible::queryAccessibleInterface(caption);
        bool labelled = false;
        for (const auto& [other, relation] : iface->relations(QAccessible::Label))
            labelled = labelled || other->object() == label->object();
        QVERIFY2(labelled, qPrintable(caption->text()));
        const QString name = iface->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(caption->text()));
        for (const char* group : {"Box_FP", "Box_UnitDefault", "Box_AImg"})
            QVERIFY(name != w.findChild<QGroupBox*>(QLatin1String(group))->title());
    }
}

void Accessibility::optionPanelWidensForLongerTexts() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 1);
    OptionPanel& panel = optionPanel(w);
    // Captions, check box and buttons show their whole text.
    const auto clipped = [&panel] {
        // Each layout passes a change of its size to the one around it on its next request.
        for (int level = 0; level < 4; ++level)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QStringList cut;
        for (QWidget* control : panel.findChildren<QWidget*>()) {
            // A push button may be narrower than Qt's hint as long as its text fits inside the frame.
            const auto* button = qobject_cast<QPushButton*>(control);
            const int needed = button ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                                      : control->minimumSizeHint().width();
            const bool hasText = qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control);
            if (hasText && control->isVisible() && control->width() < needed)
                cut << control->objectName() + control->property("text").toString();
        }
        return cut;
    };
    QCOMPARE(panel.width(), OptionPanel::kWidth);
    QVERIFY2(clipped().isEmpty(), qPrintable(clipped().join(QStringLiteral(", "))));
    // Texts as long as a translation's make the panel wider, and still nothing is cut.
    panel.bsSkinStdLabel_colorset->setText(QStringLiteral("Page background colour:"));
    panel.CR_Button->setText(QStringLiteral("Page control buttons"));
    panel.bsBtnPOK->setText(QStringLiteral("Apply to the current unit"));
    QVERIFY2(clipped().isEmpty(), qPrintable(clipped().join(QStringLiteral(", "))));
    QVERIFY(panel.width() > OptionPanel::kWidth);
}

void Accessibility::filmStripIsAListThatFollowsTheCurrentUnit() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 3);
    FilmView& film = filmView(w);
    film.setFocus();
    selectUnit(w, 1);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&film);
    QCOMPARE(list->role(), QAccessible::List);
    QVERIFY(!list->text(QAccessible::Name).isEmpty());

    const auto checkItems = [&](int count, int current) {
        QCOMPARE(list->childCount(), count);
        for (int k = 0; k < count; ++k) {
            QAccessibleInterface* item = list->child(k);
            QVERIFY(item && item->isValid());
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->text(QAccessible::Name), QStringLiteral("单元 %1").arg(k + 1));
            QCOMPARE(item->parent(), list);
            QCOMPARE(list->indexOfChild(item), k);
            QCOMPARE(item->state().selected, k == current);
            QCOMPARE(item->state().focused, k == current);
        }
        QCOMPARE(list->focusChild(), list->child(current));
        // The item stands where its unit is drawn.
        const QRect r = list->child(current)->rect();
        QCOMPARE(list->childAt(r.center().x(), r.center().y()), list->child(current));
    };
    checkItems(3, 1);

    // A move by key selects and focuses the item of the unit it makes current. (Without a screen
    // reader's bridge, as here, Qt sends assistive technology no events; what it reads is checked.)
    QTest::keyClick(&film, Qt::Key_End);
    checkItems(3, 2);
    // Deleting a unit leaves one item fewer.
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    checkItems(2, w.document().currentIndex());
    // Without the focus the current unit's item stays selected but is not focused.
    optionPanel(w).Edit_Title->setFocus();
    QVERIFY(list->child(1)->state().selected);
    QVERIFY(!list->child(1)->state().focused);
    QCOMPARE(list->focusChild(), nullptr);
}

void Accessibility::swatchesSayTheirColourAndOpenTheDialogFromTheKeyboard() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 1);
    OptionPanel& panel = optionPanel(w);
    const struct {
        ColorSwatch* swatch;
        QString caption;
    } swatches[] = {
        {panel.Lb_Color1, QStringLiteral("网页底色")},      {panel.Lb_Color2, QStringLiteral("网页字色")},
        {panel.Lb_Color_u1, QStringLiteral("单元底色")},    {panel.Lb_Color_u2, QStringLiteral("单元字色")},
        {panel.Lb_Color_Df1, QStringLiteral("新单元底色")}, {panel.Lb_Color_Df2, QStringLiteral("新单元字色")}};
    for (const auto& [swatch, caption] : swatches) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(swatch);
        QCOMPARE(iface->role(), QAccessible::Button);
        // The colour is 0x00BBGGRR; the name says it red first.
        f.prompts.colors << 0x3412AB;
        swatch->setFocus();
        QTest::keyClick(swatch, Qt::Key_Space);
        QCOMPARE(iface->text(QAccessible::Name), caption + QStringLiteral(" AB1234"));
        f.prompts.colors << 0x00FF00;
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(iface->text(QAccessible::Name), caption + QStringLiteral(" 00FF00"));
    }
}

void Accessibility::tabWalksTheOptionPanelInReadingOrder() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 1);
    filmView(w).setFocus();
    const char* const order[] = {"Edit_Title",     "Lb_Color1",    "Edit_color1",    "Lb_Color2",     "Edit_color2",
                                 "CR_Button",      "CB_ByteMode",  "bsBtnHReset",    "bsBtnHOK",      "Lb_Color_Df1",
                                 "Edit_color_Df1", "Lb_Color_Df2", "Edit_color_Df2", "bsBtn_DfReset", "bsBtn_DfOk",
                                 "MemoText",       "Lb_Color_u1",  "Edit_color_u1",  "durationEdit",  "Lb_Color_u2",
                                 "Edit_color_u2",  "bsBtnPOK",     "ScrollBox"};
    for (const char* name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
    // Shift+Tab walks back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("bsBtnPOK"));
}

void Accessibility::cellToolsWorkFromTheKeyboard_data() {
    QTest::addColumn<QString>("tool");  // the tool button's object name
    QTest::addColumn<QString>("keys");  // before Ctrl+Enter: > right, v down, R Shift+right
    QTest::addColumn<QString>("cells"); // the cells then in the chosen colours: "row,col" ..., * all
    QTest::addColumn<bool>("picked");   // the chosen colours became the cell's
    QTest::newRow("brush") << "cellToolBrush"
                           << "v>"
                           << "1,1" << false;
    QTest::newRow("rectangle") << "cellToolRect"
                               << "vRR"
                               << "1,0 1,1 1,2" << false;
    QTest::newRow("fill") << "cellToolFill"
                          << ""
                          << "*" << false;
    QTest::newRow("pick") << "cellToolPick"
                          << ">"
                          << "" << true;
    QTest::newRow("text: nothing") << "cellToolText"
                                   << ""
                                   << "" << false;
}

void Accessibility::cellToolsWorkFromTheKeyboard() {
    QFETCH(QString, tool);
    QFETCH(QString, keys);
    QFETCH(QString, cells);
    QFETCH(bool, picked);
    EditorFixture f;
    TForm_movie& w = startActive(f, 1);
    trigger(w, "actionEditUnit");
    auto* pane = w.findChild<CellEditorPane*>(QStringLiteral("CellEditorPane"));
    const TAnsiImage& unit = w.document().GetUnit(0);
    const TAnsiCell before = unit.cell(0, 1);
    constexpr TColor kRed = 0x0000FF;
    constexpr TColor kGreen = 0x00FF00;
    pane->model().setTextColor(kRed);
    pane->model().setBackColor(kGreen);
    // The tool's button takes Space; the view the keys.
    QTest::keyClick(w.findChild<QWidget*>(tool), Qt::Key_Space);
    QWidget* view = pane->view();
    view->setFocus();
    for (const QChar key : keys) {
        if (key == QLatin1Char('R'))
            QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        else
            QTest::keyClick(view, key == QLatin1Char('v') ? Qt::Key_Down : Qt::Key_Right);
    }
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);

    const QStringList coloured = cells.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 10; ++col) {
            const TAnsiCell& cell = unit.cell(row, col);
            const bool expected =
                cells == QLatin1String("*") || coloured.contains(QStringLiteral("%1,%2").arg(row).arg(col));
            const QByteArray where = QByteArray::number(row) + "," + QByteArray::number(col);
            QVERIFY2((cell.FontColor == kRed && cell.BackColor == kGreen) == expected, where.constData());
        }
    }
    QCOMPARE(pane->model().textColor() == before.FontColor && pane->model().backColor() == before.BackColor, picked);
}

void Accessibility::paletteColoursArePickedFromTheKeyboard() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 1);
    trigger(w, "actionEditUnit");
    auto* pane = w.findChild<CellEditorPane*>(QStringLiteral("CellEditorPane"));
    auto* palette = w.findChild<ColorPalette*>(QStringLiteral("cellPalette"));
    QVERIFY(palette->colors().size() >= 2);
    palette->setFocus();
    QTest::keyClick(palette, Qt::Key_End);
    QTest::keyClick(palette, Qt::Key_Left);
    const TColor second = palette->colors().at(palette->colors().size() - 2);
    QCOMPARE(QAccessible::queryAccessibleInterface(palette)->text(QAccessible::Name),
             QStringLiteral("颜色板 ") + ColorToHex(second));
    pane->model().setTextColor(0x123456);
    pane->model().setBackColor(0x123456);
    QTest::keyClick(palette, Qt::Key_Return);
    QCOMPARE(pane->model().textColor(), second);
    QCOMPARE(pane->model().backColor(), 0x123456);
    QTest::keyClick(palette, Qt::Key_Home);
    QTest::keyClick(palette, Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(pane->model().backColor(), palette->colors().at(0));
    QCOMPARE(pane->model().textColor(), second);
}

void Accessibility::previewCommandsFromTheMenu() {
    EditorFixture f;
    TForm_movie& w = startActive(f, 3);
    const char* const items[] = {"previewPauseMenu", "previewStepBackMenu", "previewStepForwardMenu"};
    for (const char* item : items)
        QVERIFY2(!action(w, item).isEnabled(), item);
    trigger(w, "TB_Preplay");
    QVERIFY(action(w, "previewPauseMenu").isEnabled());
    QVERIFY(!action(w, "previewStepForwardMenu").isEnabled());
    trigger(w, "previewPauseMenu");
    QVERIFY(previewPanel(w).paused());
    QCOMPARE(action(w, "previewPauseMenu").text(), QStringLiteral("播放\tSpace"));
    const int shown = previewPanel(w).playIndex();
    trigger(w, "previewStepForwardMenu");
    QCOMPARE(previewPanel(w).playIndex(), (shown + 1) % 3);
    trigger(w, "previewStepBackMenu");
    QCOMPARE(previewPanel(w).playIndex(), shown);
    trigger(w, "TB_Preplay");
    for (const char* item : items)
        QVERIFY2(!action(w, item).isEnabled(), item);
}

QTEST_MAIN(Accessibility)
#include "test_accessibility.moc"

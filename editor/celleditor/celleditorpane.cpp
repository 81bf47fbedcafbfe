#include "celleditorpane.h"

#include "celleditmodel.h"
#include "celleditorview.h"
#include "colorpalette.h"
#include "colorswatch.h"
#include "filmpanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet {

namespace {

struct ToolButton {
    CellTool tool;
    const char* name;
    const char* text;
    const char* hint;
};

const ToolButton kToolButtons[] = {
    {CellTool::Text, "cellToolText", QT_TRANSLATE_NOOP("quillet::CellEditorPane", "文字"),
     QT_TRANSLATE_NOOP("quillet::CellEditorPane", "文字：点击放置光标，拖动选择，拖动选区可移动它")},
    {CellTool::Brush, "cellToolBrush", QT_TRANSLATE_NOOP("quillet::CellEditorPane", "画笔"),
     QT_TRANSLATE_NOOP("quillet::CellEditorPane", "画笔：左键两种颜色，Shift+左键文字颜色，右键或 Ctrl+左键背景颜色")},
    {CellTool::Fill, "cellToolFill", QT_TRANSLATE_NOOP("quillet::CellEditorPane", "填充"),
     QT_TRANSLATE_NOOP("quillet::CellEditorPane", "填充：填充同一颜色的相连区域")},
    {CellTool::Rect, "cellToolRect", QT_TRANSLATE_NOOP("quillet::CellEditorPane", "矩形"),
     QT_TRANSLATE_NOOP("quillet::CellEditorPane", "矩形：拖出一个矩形并填色")},
    {CellTool::Pick, "cellToolPick", QT_TRANSLATE_NOOP("quillet::CellEditorPane", "取色"),
     QT_TRANSLATE_NOOP("quillet::CellEditorPane", "取色：取单元格的两种颜色（任何工具下 Alt+点击也可以）")},
};

QHBoxLayout* rowLayout(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(3);
    return layout;
}

// Controls of the tool bar leave the keyboard to the view when clicked.
template <typename T> T* quiet(T* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    control->setFocusPolicy(Qt::TabFocus);
    return control;
}

} // namespace

CellEditorPane::CellEditorPane(TFilmPanel& strip, UndoHistory& history, UnitPictures& pictures, QWidget* parent)
    : QWidget(parent), m_strip(strip), m_model(std::make_unique<CellEditModel>(strip, history)),
      m_view(new CellEditorView(*m_model, strip, pictures, this)) {
    setObjectName(QStringLiteral("CellEditorPane"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildToolRow());
    column->addWidget(buildColorRow());
    column->addWidget(buildOnionRow());
    column->addWidget(m_view, 1);
    column->addWidget(buildStatusRow());

    m_view->setAccessibleName(tr("单元格编辑区"));
    m_view->setAccessibleDescription(tr("输入文字；方向键、Home、End、翻页键移动光标，加 Shift 选择；Esc 回到胶片"));
    connect(m_view, &CellEditorView::stateChanged, this, &CellEditorPane::showStatus);
    connect(m_view, &CellEditorView::colorsChanged, this, &CellEditorPane::showColors);
    connect(m_view, &CellEditorView::messageRaised, this, &CellEditorPane::showMessage);
    connect(m_view, &CellEditorView::closeRequested, this, &CellEditorPane::closeRequested);
    connect(m_view, &CellEditorView::onionToggleRequested, m_onionPrevious, &QCheckBox::toggle);
    showColors();
    showStatus();
}

CellEditorPane::~CellEditorPane() = default;

QWidget* CellEditorPane::buildToolRow() {
    auto* row = new QWidget(this);
    QHBoxLayout* layout = rowLayout(row);
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    for (const ToolButton& entry : kToolButtons) {
        auto* button = quiet(new QToolButton(row), entry.name);
        button->setText(tr(entry.text));
        button->setToolTip(tr(entry.hint));
        button->setCheckable(true);
        m_tools->addButton(button, static_cast<int>(entry.tool));
        layout->addWidget(button);
    }
    m_tools->button(static_cast<int>(CellTool::Text))->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) { m_view->setTool(static_cast<CellTool>(id)); });
    layout->addStretch(1);
    auto* done = quiet(new QPushButton(tr("完成"), row), "cellEditDone");
    done->setToolTip(tr("回到胶片  (Esc)"));
    connect(done, &QPushButton::clicked, this, &CellEditorPane::closeRequested);
    layout->addWidget(done);
    return row;
}

QWidget* CellEditorPane::buildColorRow() {
    auto* row = new QWidget(this);
    QHBoxLayout* layout = rowLayout(row);
    m_textSwatch = new ColorSwatch(kTextColorTag, row);
    m_textSwatch->setObjectName(QStringLiteral("cellTextColor"));
    m_textSwatch->setToolTip(tr("文字颜色"));
    m_textSwatch->setCaption(tr("文字颜色"));
    m_backSwatch = new ColorSwatch(kBackColorTag, row);
    m_backSwatch->setObjectName(QStringLiteral("cellBackColor"));
    m_backSwatch->setToolTip(tr("背景颜色"));
    m_backSwatch->setCaption(tr("背景颜色"));
    for (ColorSwatch* swatch : {m_textSwatch, m_backSwatch}) {
        swatch->setFixedSize(20, 20);
        swatch->setFrameShape(QFrame::Box);
        connect(swatch, &ColorSwatch::clicked, this,
                [this](ColorSwatch* clicked) { emit colorPickRequested(clicked->Tag, clicked->color()); });
        layout->addWidget(swatch);
    }
    auto* swap = quiet(new QToolButton(row), "cellSwapColors");
    swap->setText(tr("交换"));
    swap->setToolTip(tr("交换文字颜色和背景颜色  (X，文字工具以外)"));
    connect(swap, &QToolButton::clicked, this, [this] {
        m_model->swapColors();
        showColors();
    });
    layout->addWidget(swap);
    m_palette = new ColorPalette(row);
    connect(m_palette, &ColorPalette::textColorChosen, this, [this](TColor color) {
        m_model->setTextColor(color);
        showColors();
    });
    connect(m_palette, &ColorPalette::backColorChosen, this, [this](TColor color) {
        m_model->setBackColor(color);
        showColors();
    });
    layout->addWidget(m_palette, 1);
    return row;
}

QWidget* CellEditorPane::buildOnionRow() {
    auto* row = new QWidget(this);
    QHBoxLayout* layout = rowLayout(row);
    m_onionPrevious = quiet(new QCheckBox(tr("洋葱皮"), row), "cellOnion");
    m_onionPrevious->setToolTip(tr("淡淡地显示前一个单元  (O，文字工具以外)"));
    m_onionNext = quiet(new QCheckBox(tr("后一单元"), row), "cellOnionNext");
    m_onionNext->setToolTip(tr("同时淡淡地显示后一个单元"));
    m_onionOpacity = quiet(new QSlider(Qt::Horizontal, row), "cellOnionOpacity");
    m_onionOpacity->setRange(5, 90);
    m_onionOpacity->setValue(m_view->onionOpacity());
    m_onionOpacity->setToolTip(tr("洋葱皮的不透明度"));
    m_onionOpacity->setAccessibleName(tr("洋葱皮不透明度"));
    m_onionOpacity->setMaximumWidth(100);
    for (QCheckBox* box : {m_onionPrevious, m_onionNext})
        connect(box, &QCheckBox::toggled, this, &CellEditorPane::applyOnionSkin);
    connect(m_onionOpacity, &QSlider::valueChanged, this, &CellEditorPane::applyOnionSkin);
    layout->addWidget(m_onionPrevious);
    layout->addWidget(m_onionNext);
    layout->addWidget(m_onionOpacity);
    layout->addStretch(1);
    return row;
}

QWidget* CellEditorPane::buildStatusRow() {
    auto* row = new QWidget(this);
    QHBoxLayout* layout = rowLayout(row);
    auto label = [row, layout](const char* name, int width) {
        auto* l = new QLabel(row);
        l->setObjectName(QLatin1String(name));
        if (width > 0) l->setMinimumWidth(width);
        layout->addWidget(l, width > 0 ? 0 : 1);
        return l;
    };
    m_position = label("cellPosition", 90);
    m_zoom = label("cellZoom", 40);
    m_mode = label("cellMode", 30);
    m_message = label("cellMessage", 0);
    m_messageTimer = new QTimer(this);
    m_messageTimer->setSingleShot(true);
    m_messageTimer->setInterval(kMessageMilliseconds);
    connect(m_messageTimer, &QTimer::timeout, m_message, &QLabel::clear);
    return row;
}

void CellEditorPane::open() {
    const int index = m_strip.currentIndex();
    m_unitId = 0;
    if (index >= 0) {
        const TAnsiImage& unit = m_strip.GetUnit(index);
        m_unitId = unit.id();
        m_model->setTextColor(unit.fontColor());
        m_model->setBackColor(unit.backColor());
    }
    m_model->setCursor(CellCursor{});
    m_model->clearSelection();
    m_message->clear();
    showColors();
    showPalette();
    m_view->showCurrentUnit();
    m_view->ensureCursorVisible();
    m_view->setFocus(Qt::OtherFocusReason);
}

void CellEditorPane::followCurrentUnit() {
    const int index = m_strip.currentIndex();
    const std::uint64_t id = index >= 0 ? m_strip.GetUnit(index).id() : 0;
    if (id == m_unitId) return;
    m_unitId = id;
    // The cursor keeps its place as far as the unit's byte mode lets it.
    m_model->clearSelection();
    m_model->setCursor(m_model->cursor());
    m_view->showCurrentUnit();
}

void CellEditorPane::chooseColor(int tag, TColor color) {
    if (tag == kTextColorTag)
        m_model->setTextColor(color);
    else if (tag == kBackColorTag)
        m_model->setBackColor(color);
    else
        return;
    m_recent.removeAll(color);
    m_recent.prepend(color);
    if (m_recent.size() > kRecentColors) m_recent.resize(kRecentColors);
    showColors();
    showPalette();
}

void CellEditorPane::showColors() {
    m_textSwatch->setColor(m_model->textColor());
    m_backSwatch->setColor(m_model->backColor());
}

void CellEditorPane::showPalette() {
    QList<TColor> colors = DocumentColors(m_strip, kDocumentColors);
    for (TColor color : std::as_const(m_recent)) {
        if (!colors.contains(color)) colors << color;
    }
    m_palette->setColors(colors);
}

void CellEditorPane::showStatus() {
    const CellCursor at = m_model->cursor();
    m_position->setText(tr("行 %1 列 %2").arg(at.row + 1).arg(at.col + 1));
    m_zoom->setText(QStringLiteral("%1%").arg(m_view->zoom() * 100));
    m_mode->setText(m_model->insertMode() ? tr("插入") : tr("改写"));
}

void CellEditorPane::showMessage(const QString& text) {
    m_message->setText(text);
    m_messageTimer->start();
}

void CellEditorPane::applyOnionSkin() {
    m_view->setOnionSkin(m_onionPrevious->isChecked(), m_onionNext->isChecked(), m_onionOpacity->value());
}

} // namespace quillet

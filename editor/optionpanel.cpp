#include "optionpanel.h"

#include "ansiimage.h"
#include "colorhex.h"
#include "colorswatch.h"
#include "memoedit.h"
#include "unappliededits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>
#include <utility>

namespace quillet {

namespace {

// The designed sizes: colour swatches 33 x 17, colour texts 52 wide, buttons at least 70 wide.
constexpr QSize kSwatchSize(33, 17);
constexpr int kColorTextWidth = 52;
constexpr int kButtonWidth = 70;

QLineEdit* edit(const QString& text, QWidget* parent, int width = -1) {
    auto* field = new QLineEdit(text, parent);
    if (width > 0) field->setFixedWidth(width);
    return field;
}

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setMinimumWidth(kButtonWidth);
    return b;
}

ColorSwatch* swatch(int tag, const QString& caption, QWidget* parent) {
    auto* s = new ColorSwatch(tag, parent);
    s->setFixedSize(kSwatchSize);
    s->setCaption(caption);
    return s;
}

// The grid every group lays its rows on: captions, swatches and fields on the left, a stretch, the
// buttons on the right.
QGridLayout* groupGrid(QWidget* group, int top) {
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, top, 8, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    return grid;
}

// The row of a colour: its caption, swatch and text. The caption is the text field's buddy, which
// names the field for assistive technology.
void addColorRow(QGridLayout* grid, int row, QLabel* label, ColorSwatch* colorSwatch, QLineEdit* text) {
    label->setBuddy(text);
    grid->addWidget(label, row, 0);
    grid->addWidget(colorSwatch, row, 1);
    grid->addWidget(text, row, 2);
}

} // namespace

OptionPanel::OptionPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pop_window"));
    // The designed width, wider only when the texts (a translation's) need more room.
    setMinimumWidth(kWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildPageOptions();
    buildUnitDefaults();
    buildCurrentUnit();
    // The first two groups keep the height their rows need; the current unit's takes the rest.
    Box_FP->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Box_UnitDefault->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    column->addWidget(Box_FP);
    column->addWidget(Box_UnitDefault);
    column->addWidget(Box_AImg, 1);
    setFieldOrder();

    // Object names as the members are called, so the controls can be found by name.
    const std::pair<QWidget*, const char*> named[] = {
        {Box_FP, "Box_FP"},
        {Edit_Title, "Edit_Title"},
        {Lb_Color1, "Lb_Color1"},
        {Edit_color1, "Edit_color1"},
        {Lb_Color2, "Lb_Color2"},
        {Edit_color2, "Edit_color2"},
        {CR_Button, "CR_Button"},
        {CB_ByteMode, "CB_ByteMode"},
        {bsBtnHReset, "bsBtnHReset"},
        {bsBtnHOK, "bsBtnHOK"},
        {Box_UnitDefault, "Box_UnitDefault"},
        {Lb_Color_Df1, "Lb_Color_Df1"},
        {Edit_color_Df1, "Edit_color_Df1"},
        {Lb_Color_Df2, "Lb_Color_Df2"},
        {Edit_color_Df2, "Edit_color_Df2"},
        {bsBtn_DfReset, "bsBtn_DfReset"},
        {bsBtn_DfOk, "bsBtn_DfOk"},
        {Box_AImg, "Box_AImg"},
        {MemoText, "MemoText"},
        {Lb_Color_u1, "Lb_Color_u1"},
        {Edit_color_u1, "Edit_color_u1"},
        {Lb_Color_u2, "Lb_Color_u2"},
        {Edit_color_u2, "Edit_color_u2"},
        {durationEdit, "durationEdit"},
        {bsBtnPOK, "bsBtnPOK"},
    };
    for (const auto& [widget, name] : named)
        widget->setObjectName(QLatin1String(name));
    // Nothing to edit until a unit is current.
    Box_AImg->setEnabled(false);
    m_unitEdits = std::make_unique<UnappliedEdits>(*MemoText, *Edit_color_u1, *Edit_color_u2, *durationEdit);
    connectControls();
}

OptionPanel::~OptionPanel() = default;

QSize OptionPanel::sizeHint() const {
    // The groups' own hints ask for room the text box and the buttons can do without.
    return QSize(qMax(kWidth, layout()->minimumSize().width()), QWidget::sizeHint().height());
}

void OptionPanel::setFieldOrder() {
    QWidget* const order[] = {Edit_Title,     Lb_Color1,     Edit_color1,   Lb_Color2,    Edit_color2,    CR_Button,
                              CB_ByteMode,    bsBtnHReset,   bsBtnHOK,      Lb_Color_Df1, Edit_color_Df1, Lb_Color_Df2,
                              Edit_color_Df2, bsBtn_DfReset, bsBtn_DfOk,    MemoText,     Lb_Color_u1,    Edit_color_u1,
                              durationEdit,   Lb_Color_u2,   Edit_color_u2, bsBtnPOK};
    for (std::size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}

void OptionPanel::connectControls() {
    for (ColorSwatch* swatch : swatches()) {
        connect(swatch, &ColorSwatch::clicked, this,
                [this](ColorSwatch* clicked) { emit colorPickRequested(clicked->Tag, clicked->color()); });
    }
    connect(bsBtnHOK, &QPushButton::clicked, this, &OptionPanel::applyPageOptionsRequested);
    connect(bsBtnHReset, &QPushButton::clicked, this, &OptionPanel::resetPageOptionsRequested);
    connect(bsBtn_DfOk, &QPushButton::clicked, this, &OptionPanel::applyUnitDefaultsRequested);
    connect(bsBtn_DfReset, &QPushButton::clicked, this, &OptionPanel::resetUnitDefaultsRequested);
    connect(bsBtnPOK, &QPushButton::clicked, this, &OptionPanel::applyUnitRequested);
}

PageFields OptionPanel::pageFields() const {
    return {Edit_Title->text(), Edit_color1->text(), Edit_color2->text(), CR_Button->isChecked(),
            CB_ByteMode->currentIndex()};
}

void OptionPanel::showPageFields(const PageFields& fields) {
    Edit_Title->setText(fields.title);
    CR_Button->setChecked(fields.showButtons);
    Edit_color1->setText(fields.backColor);
    Lb_Color1->setColor(HexToColor(Edit_color1->text()));
    Edit_color2->setText(fields.fontColor);
    Lb_Color2->setColor(HexToColor(Edit_color2->text()));
    CB_ByteMode->setCurrentIndex(fields.byteMode);
}

void OptionPanel::showByteMode(int index) {
    CB_ByteMode->setCurrentIndex(index);
}

TColor OptionPanel::takeTypedPageColors() {
    Lb_Color1->setColor(HexToColor(Edit_color1->text()));
    Lb_Color2->setColor(HexToColor(Edit_color2->text()));
    return Lb_Color1->color();
}

TColor OptionPanel::pageColor() const {
    return Lb_Color1->color();
}

ColorPair OptionPanel::unitDefaults() const {
    return {Lb_Color_Df1->color(), Lb_Color_Df2->color()};
}

void OptionPanel::showUnitDefaults(ColorPair colors) {
    Lb_Color_Df1->setColor(colors.back);
    Lb_Color_Df2->setColor(colors.font);
    Edit_color_Df1->setText(ColorToHex(Lb_Color_Df1->color()));
    Edit_color_Df2->setText(ColorToHex(Lb_Color_Df2->color()));
}

void OptionPanel::showUnit(ColorPair colors, const QString& text, std::int32_t duration) {
    Lb_Color_u1->setColor(colors.back);
    Lb_Color_u2->setColor(colors.font);
    MemoText->setPlainText(text);
    durationEdit->setText(duration > 0 ? QString::number(duration) : QString());
    Box_AImg->setEnabled(true);
    showUnitColorTexts();
}

void OptionPanel::showNoUnit() {
    Lb_Color_u1->setColor(0xFFFFFF);
    Lb_Color_u2->setColor(0);
    MemoText->clear();
    durationEdit->clear();
    Box_AImg->setEnabled(false);
    showUnitColorTexts();
}

void OptionPanel::showUnitColorTexts() {
    Edit_color_u1->setText(ColorToHex(Lb_Color_u1->color()));
    Edit_color_u2->setText(ColorToHex(Lb_Color_u2->color()));
    m_unitEdits->settle();
}

QString OptionPanel::unitText() const {
    QString text = MemoText->toPlainText();
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

ColorPair OptionPanel::takeTypedUnitColors() {
    Lb_Color_u1->setColor(HexToColor(Edit_color_u1->text()));
    Lb_Color_u2->setColor(HexToColor(Edit_color_u2->text()));
    return {Lb_Color_u1->color(), Lb_Color_u2->color()};
}

std::optional<std::int32_t> OptionPanel::typedDuration() const {
    const QString text = durationEdit->text().trimmed();
    if (text.isEmpty()) return 0;
    if (text.size() > 5) return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    const int value = text.toInt();
    if (value < kMinUnitDuration || value > kMaxUnitDuration) return std::nullopt;
    return value;
}

void OptionPanel::settleUnitFields() {
    m_unitEdits->settle();
}

bool OptionPanel::unitFieldsPending() const {
    return m_unitEdits->pending();
}

bool OptionPanel::unitDurationOnlyPending() const {
    return m_unitEdits->durationOnlyPending();
}

void OptionPanel::showPickedColor(int tag, TColor color) {
    struct Pair {
        ColorSwatch* swatch;
        QLineEdit* edit;
    };
    const Pair byTag[] = {{Lb_Color1, Edit_color1},     {Lb_Color2, Edit_color2},       {Lb_Color_u1, Edit_color_u1},
                          {Lb_Color_u2, Edit_color_u2}, {Lb_Color_Df1, Edit_color_Df1}, {Lb_Color_Df2, Edit_color_Df2}};
    if (tag < 1 || tag > 6) return;
    const Pair& pair = byTag[tag - 1];
    pair.swatch->setColor(color);
    pair.edit->setText(ColorToHex(pair.swatch->color()));
}

void OptionPanel::buildPageOptions() {
    Box_FP = new QGroupBox(tr("全局选项"), this);
    QGridLayout* grid = groupGrid(Box_FP, 6);
    bsSkinStdLabel_title = new QLabel(tr("作品标题:"), Box_FP);
    Edit_Title = edit(tr("Input Title"), Box_FP);
    bsSkinStdLabel_title->setBuddy(Edit_Title);
    grid->addWidget(bsSkinStdLabel_title, 0, 0);
    grid->addWidget(Edit_Title, 0, 1, 1, 4);
    bsSkinStdLabel_colorset = new QLabel(tr("网页底色:"), Box_FP);
    Lb_Color1 = swatch(1, tr("网页底色"), Box_FP);
    Edit_color1 = edit(QStringLiteral("FFFFFF"), Box_FP, kColorTextWidth);
    addColorRow(grid, 1, bsSkinStdLabel_colorset, Lb_Color1, Edit_color1);
    bsSkinStdLabel2 = new QLabel(tr("网页字色:"), Box_FP);
    Lb_Color2 = swatch(2, tr("网页字色"), Box_FP);
    Edit_color2 = edit(QStringLiteral("FFFFFF"), Box_FP, kColorTextWidth);
    addColorRow(grid, 2, bsSkinStdLabel2, Lb_Color2, Edit_color2);
    CR_Button = new QCheckBox(tr("网页按钮"), Box_FP);
    CR_Button->setToolTip(tr("在生成的网页上显示动画的控制按钮"));
    bsSkinStdLabel5 = new QLabel(tr("字节模式:"), Box_FP);
    CB_ByteMode = new QComboBox(Box_FP);
    CB_ByteMode->addItems({tr("自动"), tr("单字节"), tr("双字节")});
    CB_ByteMode->setCurrentIndex(-1);
    bsSkinStdLabel5->setBuddy(CB_ByteMode);
    grid->addWidget(bsSkinStdLabel5, 3, 0);
    grid->addWidget(CB_ByteMode, 3, 1, 1, 2);
    bsBtnHReset = button(tr("Reset"), Box_FP);
    bsBtnHOK = button(tr("修改确认"), Box_FP);
    grid->setColumnStretch(3, 1);
    grid->addWidget(CR_Button, 1, 4);
    grid->addWidget(bsBtnHReset, 2, 4);
    grid->addWidget(bsBtnHOK, 3, 4);

    Edit_Title->setAccessibleName(tr("作品标题"));
    Edit_Title->setAccessibleDescription(tr("导出的网页的标题"));
    Edit_color1->setAccessibleName(tr("网页底色"));
    Edit_color2->setAccessibleName(tr("网页字色"));
    for (QLineEdit* text : {Edit_color1, Edit_color2})
        text->setAccessibleDescription(tr("六位十六进制颜色，红色在前，例如 FF0000"));
    CR_Button->setAccessibleName(tr("网页按钮"));
    CB_ByteMode->setAccessibleName(tr("字节模式"));
    CB_ByteMode->setAccessibleDescription(tr("以后添加的单元的字节模式"));
    bsBtnHReset->setAccessibleName(tr("重置全局选项"));
    bsBtnHReset->setAccessibleDescription(tr("用保存的值重新填写全局选项"));
    bsBtnHOK->setAccessibleName(tr("确认全局选项"));
    bsBtnHOK->setAccessibleDescription(tr("应用全局选项"));
}

void OptionPanel::buildUnitDefaults() {
    Box_UnitDefault = new QGroupBox(tr("单元默认选项"), this);
    QGridLayout* grid = groupGrid(Box_UnitDefault, 6);
    bsSkinStdLabel6 = new QLabel(tr("单元底色:"), Box_UnitDefault);
    Lb_Color_Df1 = swatch(5, tr("新单元底色"), Box_UnitDefault);
    Edit_color_Df1 = edit(QStringLiteral("FFFFFF"), Box_UnitDefault, kColorTextWidth);
    addColorRow(grid, 0, bsSkinStdLabel6, Lb_Color_Df1, Edit_color_Df1);
    bsSkinStdLabel7 = new QLabel(tr("单元字色:"), Box_UnitDefault);
    Lb_Color_Df2 = swatch(6, tr("新单元字色"), Box_UnitDefault);
    Edit_color_Df2 = edit(QStringLiteral("FFFFFF"), Box_UnitDefault, kColorTextWidth);
    addColorRow(grid, 1, bsSkinStdLabel7, Lb_Color_Df2, Edit_color_Df2);
    // Only the swatches reach the defaults; the texts show their colours and take no typing.
    Edit_color_Df1->setReadOnly(true);
    Edit_color_Df2->setReadOnly(true);
    bsBtn_DfReset = button(tr("Reset"), Box_UnitDefault);
    bsBtn_DfOk = button(tr("修改确认"), Box_UnitDefault);
    grid->setColumnStretch(3, 1);
    grid->addWidget(bsBtn_DfReset, 0, 4);
    grid->addWidget(bsBtn_DfOk, 1, 4);

    Edit_color_Df1->setAccessibleName(tr("新单元底色"));
    Edit_color_Df2->setAccessibleName(tr("新单元字色"));
    for (QLineEdit* text : {Edit_color_Df1, Edit_color_Df2})
        text->setAccessibleDescription(tr("只显示颜色；用旁边的色块选择颜色"));
    bsBtn_DfReset->setAccessibleName(tr("重置单元默认选项"));
    bsBtn_DfReset->setAccessibleDescription(tr("用文档的值重新填写单元默认选项"));
    bsBtn_DfOk->setAccessibleName(tr("确认单元默认选项"));
    bsBtn_DfOk->setAccessibleDescription(tr("以后添加的单元使用这两种颜色"));
}

void OptionPanel::buildCurrentUnit() {
    Box_AImg = new QGroupBox(tr("当前单元选项"), this);
    auto* rows = new QVBoxLayout(Box_AImg);
    rows->setContentsMargins(2, 2, 2, 2);
    rows->setSpacing(0);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    TextCaption = new QLabel(tr("文\n本\n内\n容"), Box_AImg);
    TextCaption->setMinimumWidth(24);
    TextCaption->setAlignment(Qt::AlignCenter);
    MemoText = new MemoEdit(Box_AImg);
    MemoText->setFrameShape(QFrame::NoFrame);
    MemoText->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The font the units are drawn in: 6-pixel Latin and 12-pixel Chinese cells line up as in the grid.
    QFont grid;
    grid.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei Mono")});
    grid.setStyleHint(QFont::Monospace);
    grid.setPixelSize(12);
    grid.setStyleStrategy(QFont::NoAntialias);
    MemoText->setFont(grid);
    TextCaption->setBuddy(MemoText);
    middle->addWidget(TextCaption);
    middle->addWidget(MemoText, 1);
    rows->addLayout(middle, 1);
    rows->addWidget(buildUnitFields(Box_AImg));

    MemoText->setAccessibleName(tr("文本内容"));
    MemoText->setAccessibleDescription(tr("当前单元的文本，每行一行；Tab 键到下一个控件，Ctrl+Tab 输入制表符"));
}

QWidget* OptionPanel::buildUnitFields(QWidget* group) {
    auto* bottom = new QWidget(group);
    QGridLayout* fields = groupGrid(bottom, 6);
    bsSkinStdLabel3 = new QLabel(tr("单元底色:"), bottom);
    Lb_Color_u1 = swatch(3, tr("单元底色"), bottom);
    Edit_color_u1 = edit(QStringLiteral("FFFFFF"), bottom, kColorTextWidth);
    addColorRow(fields, 0, bsSkinStdLabel3, Lb_Color_u1, Edit_color_u1);
    durationLabel = new QLabel(tr("时长:"), bottom);
    durationEdit = edit(QString(), bottom, 44);
    durationEdit->setToolTip(tr("本单元的播放时长（毫秒，10～60000）；留空则按文档速度播放"));
    durationLabel->setBuddy(durationEdit);
    bsSkinStdLabel4 = new QLabel(tr("单元字色:"), bottom);
    Lb_Color_u2 = swatch(4, tr("单元字色"), bottom);
    Edit_color_u2 = edit(QStringLiteral("FFFFFF"), bottom, kColorTextWidth);
    addColorRow(fields, 1, bsSkinStdLabel4, Lb_Color_u2, Edit_color_u2);
    bsBtnPOK = button(tr("修改确认"), bottom);
    fields->setColumnStretch(3, 1);
    auto* duration = new QHBoxLayout;
    duration->setSpacing(4);
    duration->addWidget(durationLabel);
    duration->addWidget(durationEdit);
    fields->addLayout(duration, 0, 4);
    fields->addWidget(bsBtnPOK, 1, 4);

    Edit_color_u1->setAccessibleName(tr("单元底色"));
    Edit_color_u2->setAccessibleName(tr("单元字色"));
    for (QLineEdit* text : {Edit_color_u1, Edit_color_u2})
        text->setAccessibleDescription(tr("六位十六进制颜色，红色在前，例如 FF0000"));
    durationEdit->setAccessibleName(tr("时长"));
    bsBtnPOK->setAccessibleName(tr("确认当前单元选项"));
    bsBtnPOK->setAccessibleDescription(tr("把文本、颜色和时长应用到当前单元"));
    return bottom;
}

QList<ColorSwatch*> OptionPanel::swatches() const {
    return {Lb_Color1, Lb_Color2, Lb_Color_u1, Lb_Color_u2, Lb_Color_Df1, Lb_Color_Df2};
}

} // namespace quillet

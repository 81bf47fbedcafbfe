#include "optionpanel.h"

#include "ansiimage.h"
#include "colorhex.h"
#include "colorswatch.h"
#include "memoedit.h"
#include "unappliededits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace quillet {

namespace {

template <typename W> W* place(W* widget, int left, int top, int width = -1, int height = -1) {
    if (width < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}

QLabel* label(const QString& text, QWidget* parent, int left, int top) {
    return place(new QLabel(text, parent), left, top);
}

QLineEdit* edit(const QString& text, QWidget* parent, int left, int top, int width) {
    return place(new QLineEdit(text, parent), left, top, width, 18);
}

QPushButton* button(const QString& text, QWidget* parent, int left, int top, int width) {
    return place(new QPushButton(text, parent), left, top, width, 17);
}

ColorSwatch* swatch(int tag, QWidget* parent, int left, int top) {
    return place(new ColorSwatch(tag, parent), left, top, 33, 17);
}

} // namespace

OptionPanel::OptionPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pop_window"));
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildPageOptions();
    buildUnitDefaults();
    buildCurrentUnit();
    column->addWidget(Box_FP);
    column->addWidget(Box_UnitDefault);
    column->addWidget(Box_AImg, 1);

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
    Box_FP = new QGroupBox(QStringLiteral("全局选项"), this);
    Box_FP->setFixedHeight(136);
    bsSkinStdLabel_title = label(QStringLiteral("作品标题:"), Box_FP, 8, 32);
    Edit_Title = edit(QStringLiteral("Input Title"), Box_FP, 72, 32, 198);
    bsSkinStdLabel_colorset = label(QStringLiteral("网页底色:"), Box_FP, 8, 56);
    Lb_Color1 = swatch(1, Box_FP, 72, 56);
    Edit_color1 = edit(QStringLiteral("FFFFFF"), Box_FP, 117, 56, 52);
    bsSkinStdLabel2 = label(QStringLiteral("网页字色:"), Box_FP, 8, 80);
    Lb_Color2 = swatch(2, Box_FP, 72, 80);
    Edit_color2 = edit(QStringLiteral("FFFFFF"), Box_FP, 117, 80, 52);
    CR_Button = place(new QCheckBox(QStringLiteral("网页按钮"), Box_FP), 184, 60, 78, 25);
    CR_Button->setToolTip(QStringLiteral("在生成的网页上显示动画的控制按钮"));
    bsSkinStdLabel5 = label(QStringLiteral("字节模式:"), Box_FP, 8, 104);
    CB_ByteMode = place(new QComboBox(Box_FP), 72, 104, 97, 17);
    CB_ByteMode->addItems({QStringLiteral("自动"), QStringLiteral("单字节"), QStringLiteral("双字节")});
    CB_ByteMode->setCurrentIndex(-1);
    bsBtnHReset = button(QStringLiteral("Reset"), Box_FP, 192, 90, 70);
    bsBtnHOK = button(QStringLiteral("修改确认"), Box_FP, 192, 112, 70);
}

void OptionPanel::buildUnitDefaults() {
    Box_UnitDefault = new QGroupBox(QStringLiteral("单元默认选项"), this);
    Box_UnitDefault->setFixedHeight(88);
    bsSkinStdLabel6 = label(QStringLiteral("单元底色:"), Box_UnitDefault, 8, 32);
    Lb_Color_Df1 = swatch(5, Box_UnitDefault, 72, 32);
    Edit_color_Df1 = edit(QStringLiteral("FFFFFF"), Box_UnitDefault, 117, 32, 52);
    bsSkinStdLabel7 = label(QStringLiteral("单元字色:"), Box_UnitDefault, 8, 56);
    Lb_Color_Df2 = swatch(6, Box_UnitDefault, 72, 55);
    Edit_color_Df2 = edit(QStringLiteral("FFFFFF"), Box_UnitDefault, 117, 54, 52);
    // Only the swatches reach the defaults; the texts show their colours and take no typing.
    Edit_color_Df1->setReadOnly(true);
    Edit_color_Df2->setReadOnly(true);
    bsBtn_DfReset = button(QStringLiteral("Reset"), Box_UnitDefault, 192, 31, 70);
    bsBtn_DfOk = button(QStringLiteral("修改确认"), Box_UnitDefault, 192, 55, 70);
}

void OptionPanel::buildCurrentUnit() {
    Box_AImg = new QGroupBox(QStringLiteral("当前单元选项"), this);
    auto* rows = new QVBoxLayout(Box_AImg);
    rows->setContentsMargins(2, 2, 2, 2);
    rows->setSpacing(0);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    TextCaption = new QLabel(QStringLiteral("文\n本\n内\n容"), Box_AImg);
    TextCaption->setFixedWidth(24);
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
    middle->addWidget(TextCaption);
    middle->addWidget(MemoText, 1);
    rows->addLayout(middle, 1);

    auto* bottom = new QWidget(Box_AImg);
    bottom->setFixedHeight(64);
    bsSkinStdLabel3 = label(QStringLiteral("单元底色:"), bottom, 8, 10);
    Lb_Color_u1 = swatch(3, bottom, 72, 10);
    Edit_color_u1 = edit(QStringLiteral("FFFFFF"), bottom, 117, 10, 52);
    bsSkinStdLabel4 = label(QStringLiteral("单元字色:"), bottom, 8, 39);
    Lb_Color_u2 = swatch(4, bottom, 72, 38);
    Edit_color_u2 = edit(QStringLiteral("FFFFFF"), bottom, 117, 38, 52);
    durationLabel = label(QStringLiteral("时长:"), bottom, 184, 10);
    durationEdit = edit(QString(), bottom, 213, 10, 44);
    durationEdit->setToolTip(QStringLiteral("本单元的播放时长（毫秒，10～60000）；留空则按文档速度播放"));
    bsBtnPOK = button(QStringLiteral("修改确认"), bottom, 184, 38, 73);
    rows->addWidget(bottom);
}

QList<ColorSwatch*> OptionPanel::swatches() const {
    return {Lb_Color1, Lb_Color2, Lb_Color_u1, Lb_Color_u2, Lb_Color_Df1, Lb_Color_Df2};
}

} // namespace quillet

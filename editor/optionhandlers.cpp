// The option panel's handlers: colour picking, the three groups' confirm and reset buttons and the
// button that hides and shows the panel.
#include "mainwindow.h"

#include "colorconvert.h"
#include "colorhex.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "pictures.h"
#include "previewpanel.h"
#include "prompts.h"
#include "unappliededits.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quillet {

namespace {

const QString kChangedText = QStringLiteral("数据修改成功.");
const QString kApplyQuestion = QStringLiteral("当前单元的文本或颜色已修改但尚未确认，是否应用这些修改？");
constexpr int kOptionsShownPicture = 9;
constexpr int kOptionsHiddenPicture = 10;

// The memo's lines as a list: a line break after the last line ends that line and opens none.
QString memoLines(const QPlainTextEdit& memo) {
    QString text = memo.toPlainText();
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

} // namespace

void TForm_movie::connectOptionPanel() {
    OptionPanel& panel = *pop_window;
    for (ColorSwatch* swatch : panel.swatches())
        connect(swatch, &ColorSwatch::clicked, this, &TForm_movie::Panl_forecolorClick);
    connect(panel.bsBtnHOK, &QPushButton::clicked, this, &TForm_movie::bsBtnHOKClick);
    connect(panel.bsBtnHReset, &QPushButton::clicked, this, &TForm_movie::bsBtnHResetClick);
    connect(panel.bsBtn_DfOk, &QPushButton::clicked, this, &TForm_movie::bsBtn_DfOkClick);
    connect(panel.bsBtn_DfReset, &QPushButton::clicked, this, &TForm_movie::bsBtn_DfResetClick);
    connect(panel.bsBtnPOK, &QPushButton::clicked, this, &TForm_movie::bsBtnPOKClick);
    TB_ifo->setProperty("Picture", kOptionsShownPicture);
    connect(TB_ifo, &QAction::triggered, this, &TForm_movie::TB_ifoClick);
}

bool TForm_movie::acceptEncodable(const QStringList& unencodable) {
    if (unencodable.isEmpty()) return true;
    m_prompts.message(QStringLiteral("以下字符无法保存为GBK编码，请删除或替换后再确认：\n") +
                      unencodable.join(QLatin1Char(' ')));
    return false;
}

void TForm_movie::Panl_forecolorClick(ColorSwatch* sender) {
    OptionPanel& panel = *pop_window;
    struct Pair {
        ColorSwatch* swatch;
        QLineEdit* edit;
    };
    const Pair byTag[] = {{panel.Lb_Color1, panel.Edit_color1},       {panel.Lb_Color2, panel.Edit_color2},
                          {panel.Lb_Color_u1, panel.Edit_color_u1},   {panel.Lb_Color_u2, panel.Edit_color_u2},
                          {panel.Lb_Color_Df1, panel.Edit_color_Df1}, {panel.Lb_Color_Df2, panel.Edit_color_Df2}};
    if (!sender || sender->Tag < 1 || sender->Tag > 6) return;
    const std::optional<TColor> chosen = m_prompts.color(sender->color());
    if (!chosen) return;
    const Pair& pair = byTag[sender->Tag - 1];
    pair.swatch->setColor(*chosen);
    pair.edit->setText(ColorToHex(pair.swatch->color()));
}

void TForm_movie::bsBtnHOKClick() {
    OptionPanel& panel = *pop_window;
    QStringList unencodable;
    const QByteArray title = EncodeGbkText(panel.Edit_Title->text(), &unencodable);
    const QByteArray backHex = EncodeGbkText(panel.Edit_color1->text(), &unencodable);
    const QByteArray fontHex = EncodeGbkText(panel.Edit_color2->text(), &unencodable);
    if (!acceptEncodable(unencodable)) return;

    panel.Lb_Color1->setColor(HexToColor(panel.Edit_color1->text()));
    panel.Lb_Color2->setColor(HexToColor(panel.Edit_color2->text()));
    pageOptions.title = title;
    pageOptions.showButtons = panel.CR_Button->isChecked();
    pageOptions.backColorHex = backHex;
    pageOptions.fontColorHex = fontHex;
    FilmStrip->SetPageColor(panel.Lb_Color1->color());
    FilmStrip->SetByteMode(panel.CB_ByteMode->currentIndex());
    PreViewPanel->PreViewImage->Picture.fill(QColorOf(panel.Lb_Color1->color()));
    PreViewPanel->PreViewImage->update();
    Modified = true;
    m_prompts.message(kChangedText);
}

void TForm_movie::bsBtnHResetClick() {
    OptionPanel& panel = *pop_window;
    panel.Edit_Title->setText(DecodeGbkText(pageOptions.title));
    panel.CR_Button->setChecked(pageOptions.showButtons);
    panel.Edit_color1->setText(DecodeGbkText(pageOptions.backColorHex));
    panel.Lb_Color1->setColor(HexToColor(panel.Edit_color1->text()));
    panel.Edit_color2->setText(DecodeGbkText(pageOptions.fontColorHex));
    panel.Lb_Color2->setColor(HexToColor(panel.Edit_color2->text()));
    panel.CB_ByteMode->setCurrentIndex(FilmStrip->GetByteMode());
}

void TForm_movie::bsBtn_DfResetClick() {
    OptionPanel& panel = *pop_window;
    panel.Lb_Color_Df1->setColor(FilmStrip->defaultBackColor());
    panel.Lb_Color_Df2->setColor(FilmStrip->defaultFontColor());
    panel.Edit_color_Df1->setText(ColorToHex(panel.Lb_Color_Df1->color()));
    panel.Edit_color_Df2->setText(ColorToHex(panel.Lb_Color_Df2->color()));
}

void TForm_movie::bsBtn_DfOkClick() {
    OptionPanel& panel = *pop_window;
    FilmStrip->SetDefaultColors(panel.Lb_Color_Df1->color(), panel.Lb_Color_Df2->color());
    Modified = true;
    m_prompts.message(kChangedText);
}

void TForm_movie::bsBtnPOKClick() {
    if (FilmStrip->currentIndex() >= 0) applyCurrentUnit();
}

bool TForm_movie::applyCurrentUnit() {
    OptionPanel& panel = *pop_window;
    QStringList unencodable;
    const QList<QByteArray> lines = EncodeGbkLines(memoLines(*panel.MemoText), &unencodable);
    if (!acceptEncodable(unencodable)) return false;

    panel.Lb_Color_u1->setColor(HexToColor(panel.Edit_color_u1->text()));
    panel.Lb_Color_u2->setColor(HexToColor(panel.Edit_color_u2->text()));
    FilmStrip->SetUnitContent(FilmStrip->currentIndex(), lines, panel.Lb_Color_u1->color(), panel.Lb_Color_u2->color());
    m_unitEdits->settle();
    Modified = true;
    m_prompts.message(kChangedText);
    return true;
}

bool TForm_movie::UnappliedEditsQuestion() {
    if (FilmStrip->currentIndex() < 0 || !m_unitEdits->pending()) return true;
    switch (m_prompts.question(kApplyQuestion)) {
    case Prompts::Answer::Yes:
        // Text that cannot be applied keeps the user where the text is.
        return applyCurrentUnit();
    case Prompts::Answer::No:
        showCurrentUnitFields();
        return true;
    case Prompts::Answer::Cancel:
        break;
    }
    return false;
}

void TForm_movie::TB_ifoClick() {
    if (TB_ifo->property("Picture").toInt() == kOptionsHiddenPicture) {
        TB_ifo->setIcon(ToolPicture(kOptionsShownPicture));
        TB_ifo->setProperty("Picture", kOptionsShownPicture);
        pop_window->show();
        bsBtnHResetClick();
    } else {
        TB_ifo->setIcon(ToolPicture(kOptionsHiddenPicture));
        TB_ifo->setProperty("Picture", kOptionsHiddenPicture);
        pop_window->hide();
    }
}

} // namespace quillet

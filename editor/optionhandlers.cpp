// The option panel's handlers: colour picking, the three groups' confirm and reset buttons and the
// button that hides and shows the panel.
#include "mainwindow.h"

#include "colorconvert.h"
#include "editoractions.h"
#include "filmpanel.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "prompts.h"
#include "undohistory.h"

namespace quillet {

namespace {

const char* const kChangedText = QT_TRANSLATE_NOOP("quillet::TForm_movie", "数据修改成功.");
const char* const kApplyQuestion =
    QT_TRANSLATE_NOOP("quillet::TForm_movie", "当前单元的文本或颜色已修改但尚未确认，是否应用这些修改？");
const char* const kApplyDurationQuestion =
    QT_TRANSLATE_NOOP("quillet::TForm_movie", "当前单元的时长已修改但尚未确认，是否应用这一修改？");
const char* const kDurationRangeText = QT_TRANSLATE_NOOP(
    "quillet::TForm_movie", "时长应为10到60000之间的整数毫秒数，留空则按文档速度播放。当前单元没有修改。");

} // namespace

void TForm_movie::connectOptionPanel() {
    OptionPanel& panel = *pop_window;
    connect(&panel, &OptionPanel::colorPickRequested, this, &TForm_movie::Panl_forecolorClick);
    connect(&panel, &OptionPanel::applyPageOptionsRequested, this, &TForm_movie::bsBtnHOKClick);
    connect(&panel, &OptionPanel::resetPageOptionsRequested, this, &TForm_movie::bsBtnHResetClick);
    connect(&panel, &OptionPanel::applyUnitDefaultsRequested, this, &TForm_movie::bsBtn_DfOkClick);
    connect(&panel, &OptionPanel::resetUnitDefaultsRequested, this, &TForm_movie::bsBtn_DfResetClick);
    connect(&panel, &OptionPanel::applyUnitRequested, this, &TForm_movie::bsBtnPOKClick);
}

bool TForm_movie::acceptEncodable(const QStringList& unencodable) {
    if (unencodable.isEmpty()) return true;
    m_prompts.message(tr("以下字符无法保存为GBK编码，请删除或替换后再确认：\n") + unencodable.join(QLatin1Char(' ')));
    return false;
}

void TForm_movie::Panl_forecolorClick(int tag, TColor current) {
    const std::optional<TColor> chosen = m_prompts.color(current);
    if (chosen) pop_window->showPickedColor(tag, *chosen);
}

void TForm_movie::bsBtnHOKClick() {
    OptionPanel& panel = *pop_window;
    const PageFields fields = panel.pageFields();
    QStringList unencodable;
    const QByteArray title = EncodeGbkText(fields.title, &unencodable);
    const QByteArray backHex = EncodeGbkText(fields.backColor, &unencodable);
    const QByteArray fontHex = EncodeGbkText(fields.fontColor, &unencodable);
    if (!acceptEncodable(unencodable)) return;

    const TColor pageColor = panel.takeTypedPageColors();
    pageOptions.title = title;
    pageOptions.showButtons = fields.showButtons;
    pageOptions.backColorHex = backHex;
    pageOptions.fontColorHex = fontHex;
    // The page colour is the document's, an undo step of its own; the rest are settings.
    if (pageColor != FilmStrip->pageColor()) m_history->setPageColor(pageColor);
    FilmStrip->SetByteMode(fields.byteMode);
    PreViewPanel->fillPicture(QColorOf(pageColor));
    markChangedOutsideHistory();
    m_prompts.message(tr(kChangedText));
}

void TForm_movie::bsBtnHResetClick() {
    pop_window->showPageFields({DecodeGbkText(pageOptions.title), DecodeGbkText(pageOptions.backColorHex),
                                DecodeGbkText(pageOptions.fontColorHex), pageOptions.showButtons,
                                FilmStrip->GetByteMode()});
}

void TForm_movie::bsBtn_DfResetClick() {
    pop_window->showUnitDefaults({FilmStrip->defaultBackColor(), FilmStrip->defaultFontColor()});
}

void TForm_movie::bsBtn_DfOkClick() {
    const ColorPair defaults = pop_window->unitDefaults();
    FilmStrip->SetDefaultColors(defaults.back, defaults.font);
    markChangedOutsideHistory();
    m_prompts.message(tr(kChangedText));
}

void TForm_movie::bsBtnPOKClick() {
    if (FilmStrip->currentIndex() >= 0) applyCurrentUnit();
}

bool TForm_movie::applyCurrentUnit() {
    OptionPanel& panel = *pop_window;
    const std::optional<std::int32_t> duration = panel.typedDuration();
    if (!duration) {
        m_prompts.message(tr(kDurationRangeText));
        return false;
    }
    QStringList unencodable;
    const QList<QByteArray> lines = EncodeGbkLines(panel.unitText(), &unencodable);
    if (!acceptEncodable(unencodable)) return false;

    const ColorPair colors = panel.takeTypedUnitColors();
    m_history->setUnitContent(FilmStrip->currentIndex(), lines, colors.back, colors.font, *duration);
    panel.settleUnitFields();
    m_prompts.message(tr(kChangedText));
    return true;
}

bool TForm_movie::UnappliedEditsQuestion() {
    if (FilmStrip->currentIndex() < 0 || !pop_window->unitFieldsPending()) return true;
    switch (
        m_prompts.question(pop_window->unitDurationOnlyPending() ? tr(kApplyDurationQuestion) : tr(kApplyQuestion))) {
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
    if (!m_actions->optionsShown()) {
        m_actions->setOptionsShown(true);
        pop_window->show();
        bsBtnHResetClick();
    } else {
        m_actions->setOptionsShown(false);
        pop_window->hide();
    }
}

} // namespace quillet

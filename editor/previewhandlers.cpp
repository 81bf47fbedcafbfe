// The preview: the pane in place of the film area, the frame step and the speed bar.
#include "mainwindow.h"

#include "colorconvert.h"
#include "colorhex.h"
#include "editoractions.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "previewspeed.h"

#include <QTimer>

namespace quillet {

void TForm_movie::connectPreview() {
    // At 10 ms a coarse timer's slack would be a noticeable share of every frame.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TForm_movie::TimerTimer);
    connect(PreViewPanel, &PreviewPanel::speedBarMoved, this, &TForm_movie::PreView_SpeedBarChange);
    connect(PreViewPanel, &PreviewPanel::takeSpeedRequested, this, &TForm_movie::bsBtnPvOKClick);
}

void TForm_movie::TB_PreplayClick() {
    if (m_actions->previewOpen()) {
        closePreview();
        return;
    }
    // The preview plays the units as they are.
    if (!UnappliedEditsQuestion()) return;
    // Every picture is drawn before the first frame, so a frame step only copies.
    for (int k = 0; k < FilmStrip->count(); ++k)
        ScrollBox->pictures().picture(FilmStrip->GetUnit(k));
    MainPanel->hide();
    PreViewPanel->show();
    PreViewPanel->fillPicture(QColorOf(HexToColor(DecodeGbkText(pageOptions.backColorHex))));
    Timer->setInterval(1);
    Timer->start();
    UpdateToolButtons();
    m_actions->setPreviewOpen(true);
}

void TForm_movie::closePreview() {
    PreViewPanel->hide();
    Timer->stop();
    MainPanel->show();
    UpdateToolButtons();
    m_actions->setPreviewOpen(false);
}

void TForm_movie::TimerTimer() {
    const TFilmPanel& strip = *FilmStrip;
    PreviewPanel& pane = *PreViewPanel;
    if (strip.count() < 1) return;
    if (pane.playIndex() > strip.count() - 1) pane.SetPlayIndex(0, strip.count());
    if (Timer->interval() != PreviewInterval) Timer->setInterval(PreviewInterval);

    const QSize cleared = strip.GetUnit(pane.playIndex()).TextArea().size();
    pane.SetPlayIndex(pane.playIndex() + 1, strip.count());
    const TAnsiImage& next = strip.GetUnit(pane.playIndex());
    pane.showFrame(cleared, QColorOf(pop_window->pageColor()), ScrollBox->pictures().picture(next), next.TextArea());
}

void TForm_movie::PreView_SpeedBarChange() {
    PreviewInterval = PreviewIntervalFromPosition(PreViewPanel->speedBarPosition());
    Timer->setInterval(PreviewInterval);
    PreViewPanel->showInterval(PreviewInterval);
}

void TForm_movie::bsBtnPvOKClick() {
    pageOptions.speed = PreviewInterval;
    closePreview();
    markChangedOutsideHistory();
}

} // namespace quillet

// The preview: the pane in place of the film area, the frame step and the speed bar.
#include "mainwindow.h"

#include "colorconvert.h"
#include "colorhex.h"
#include "editoractions.h"
#include "filmpanel.h"
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
    TFilmPanel& strip = *FilmStrip;
    if (strip.FCount < 1) return;
    if (strip.FPlayIndex > strip.FCount - 1) strip.FPlayIndex = 0;
    if (Timer->interval() != PreviewInterval) Timer->setInterval(PreviewInterval);

    const QSize cleared = strip.GetUnit(strip.FPlayIndex).TextArea().size();
    strip.SetPlayIndex(strip.FPlayIndex + 1);
    const TAnsiImage& next = strip.GetUnit(strip.FPlayIndex);
    PreViewPanel->showFrame(cleared, QColorOf(pop_window->pageColor()), next.Picture, next.TextArea());
}

void TForm_movie::PreView_SpeedBarChange() {
    PreviewInterval = PreviewIntervalFromPosition(PreViewPanel->speedBarPosition());
    Timer->setInterval(PreviewInterval);
    PreViewPanel->showInterval(PreviewInterval);
}

void TForm_movie::bsBtnPvOKClick() {
    pageOptions.speed = PreviewInterval;
    closePreview();
    setModified(true);
}

} // namespace quillet

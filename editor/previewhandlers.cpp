// The preview: the pane in place of the film area, the frame step, the speed bar, pausing and
// stepping.
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

#include <QApplication>
#include <QTimer>

namespace quillet {

namespace {

// How many units after the one shown have their pictures drawn beforehand.
constexpr int kDrawnAhead = 2;

// Draws the pictures of the next units the play shows after the present one, so that the frame
// steps that show them only copy. The pane's play order is asked on a copy: nothing moves there.
void drawAhead(UnitPictures& pictures, const TFilmPanel& strip, PreviewPanel& pane) {
    const int count = strip.count();
    if (count < 1) return;
    PlayOrder order = pane.order();
    int index = pane.playIndex() > count - 1 ? 0 : pane.playIndex();
    for (int k = 0; k < qMin(kDrawnAhead, count); ++k) {
        index = order.next(index, count);
        pictures.picture(strip.GetUnit(index));
    }
}

} // namespace

void TForm_movie::connectPreview() {
    // At 10 ms a coarse timer's slack would be a noticeable share of every frame.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TForm_movie::TimerTimer);
    connect(PreViewPanel, &PreviewPanel::speedBarMoved, this, &TForm_movie::PreView_SpeedBarChange);
    connect(PreViewPanel, &PreviewPanel::takeSpeedRequested, this, &TForm_movie::bsBtnPvOKClick);
    connect(PreViewPanel, &PreviewPanel::pauseRequested, this, &TForm_movie::togglePreviewPause);
    connect(PreViewPanel, &PreviewPanel::stepRequested, this, &TForm_movie::stepPreview);
}

void TForm_movie::TB_PreplayClick() {
    if (m_actions->previewOpen()) {
        closePreview();
        return;
    }
    // The preview plays the units as they are.
    if (!UnappliedEditsQuestion()) return;
    // The keys of the pane work at once when the focus was in the film area, which goes.
    const QWidget* focus = QApplication::focusWidget();
    const bool takeFocus = !focus || MainPanel->isAncestorOf(focus);
    MainPanel->hide();
    PreViewPanel->show();
    PreViewPanel->fillPicture(QColorOf(HexToColor(DecodeGbkText(pageOptions.backColorHex))));
    // Playing once plays from the first unit.
    PreViewPanel->setPaused(false);
    if (PreViewPanel->order().mode() == PlayOrder::Once) PreViewPanel->order().restart();
    // The first frames' pictures are drawn before the first tick, so a frame step only copies.
    drawAhead(ScrollBox->pictures(), *FilmStrip, *PreViewPanel);
    if (takeFocus) PreViewPanel->setFocus();
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
    showPreviewFrame(pane.order().next(pane.playIndex(), strip.count()));
    // Played once: the last unit stays, paused.
    if (pane.order().stopsAt(pane.playIndex(), strip.count())) {
        Timer->stop();
        pane.setPaused(true);
    }
}

void TForm_movie::showPreviewFrame(int index) {
    const TFilmPanel& strip = *FilmStrip;
    PreviewPanel& pane = *PreViewPanel;
    const int interval = previewIntervalAt(index);
    if (Timer->interval() != interval) Timer->setInterval(interval);

    const QSize cleared = strip.GetUnit(pane.playIndex()).TextArea().size();
    pane.SetPlayIndex(index, strip.count());
    const TAnsiImage& next = strip.GetUnit(pane.playIndex());
    pane.showFrame(cleared, QColorOf(pop_window->pageColor()), ScrollBox->pictures().picture(next), next.TextArea());
    // The next pictures are drawn between the ticks, once the frame is on its way to the screen.
    QTimer::singleShot(0, this, [this] {
        if (m_actions->previewOpen()) drawAhead(ScrollBox->pictures(), *FilmStrip, *PreViewPanel);
    });
}

int TForm_movie::previewIntervalAt(int index) const {
    if (index < 0 || index >= FilmStrip->count()) return PreviewInterval;
    const std::int32_t own = FilmStrip->GetUnit(index).duration();
    return own > 0 ? own : PreviewInterval;
}

void TForm_movie::togglePreviewPause() {
    PreviewPanel& pane = *PreViewPanel;
    if (!m_actions->previewOpen()) return;
    if (!pane.paused()) {
        Timer->stop();
        pane.setPaused(true);
        return;
    }
    if (pane.order().stopsAt(pane.playIndex(), FilmStrip->count())) pane.order().restart();
    pane.setPaused(false);
    Timer->start();
}

void TForm_movie::stepPreview(int delta) {
    const int count = FilmStrip->count();
    PreviewPanel& pane = *PreViewPanel;
    if (!m_actions->previewOpen() || !pane.paused() || count < 1) return;
    if (pane.playIndex() > count - 1) pane.SetPlayIndex(0, count);
    showPreviewFrame(((pane.playIndex() + delta) % count + count) % count);
}

void TForm_movie::PreView_SpeedBarChange() {
    PreviewInterval = PreviewIntervalFromPosition(PreViewPanel->speedBarPosition());
    Timer->setInterval(previewIntervalAt(PreViewPanel->playIndex()));
    PreViewPanel->showInterval(PreviewInterval);
}

void TForm_movie::bsBtnPvOKClick() {
    pageOptions.speed = PreviewInterval;
    closePreview();
    markChangedOutsideHistory();
}

} // namespace quillet

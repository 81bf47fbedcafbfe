// The preview: the pane in place of the film area, the frame step and the speed bar.
#include "mainwindow.h"

#include "colorconvert.h"
#include "colorhex.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "pictures.h"
#include "previewpanel.h"
#include "previewspeed.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>

namespace quillet {

namespace {

constexpr int kClosedTag = 1;
constexpr int kOpenTag = 2;
constexpr int kClosedPicture = 6;
constexpr int kOpenPicture = 7;

} // namespace

void TForm_movie::connectPreview() {
    PreviewPanel& pane = *PreViewPanel;
    TB_Preplay->setProperty("Picture", kClosedPicture);
    // At 10 ms a coarse timer's slack would be a noticeable share of every frame.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(TB_Preplay, &QAction::triggered, this, &TForm_movie::TB_PreplayClick);
    connect(Timer, &QTimer::timeout, this, &TForm_movie::TimerTimer);
    connect(pane.PreView_SpeedBar, &QSlider::valueChanged, this, &TForm_movie::PreView_SpeedBarChange);
    connect(pane.bsBtnPvOK, &QPushButton::clicked, this, &TForm_movie::bsBtnPvOKClick);
}

void TForm_movie::TB_PreplayClick() {
    if (TB_Preplay->property("Tag").toInt() != kClosedTag) {
        closePreview();
        return;
    }
    // The preview plays the units as they are.
    if (!UnappliedEditsQuestion()) return;
    MainPanel->hide();
    PreViewPanel->show();
    PreviewPicture& picture = *PreViewPanel->PreViewImage;
    QPainter(&picture.Picture)
        .fillRect(0, 0, PreviewPicture::kWidth, PreviewPicture::kHeight,
                  QColorOf(HexToColor(DecodeGbkText(pageOptions.backColorHex))));
    picture.update();
    Timer->setInterval(1);
    Timer->start();
    UpdateToolButtons();
    TB_Preplay->setProperty("Tag", kOpenTag);
    TB_Preplay->setProperty("Picture", kOpenPicture);
    TB_Preplay->setIcon(ToolPicture(kOpenPicture));
}

void TForm_movie::closePreview() {
    PreViewPanel->hide();
    Timer->stop();
    MainPanel->show();
    UpdateToolButtons();
    TB_Preplay->setProperty("Tag", kClosedTag);
    TB_Preplay->setProperty("Picture", kClosedPicture);
    TB_Preplay->setIcon(ToolPicture(kClosedPicture));
}

void TForm_movie::TimerTimer() {
    const TFilmPanel& strip = *FilmStrip;
    PreviewPanel& pane = *PreViewPanel;
    if (strip.count() < 1) return;
    if (pane.playIndex() > strip.count() - 1) pane.SetPlayIndex(0, strip.count());
    if (Timer->interval() != PreviewInterval) Timer->setInterval(PreviewInterval);

    PreviewPicture& picture = *pane.PreViewImage;
    QPainter painter(&picture.Picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect cleared(QPoint(0, 0), strip.GetUnit(pane.playIndex()).TextArea().size());
    painter.fillRect(cleared, QColorOf(pop_window->Lb_Color1->color()));
    pane.SetPlayIndex(pane.playIndex() + 1, strip.count());
    const TAnsiImage& next = strip.GetUnit(pane.playIndex());
    const QRect source = next.TextArea();
    const QRect drawn(QPoint(0, 0), source.size());
    painter.drawImage(drawn, ScrollBox->pictures().picture(next), source);
    painter.end();
    picture.update(cleared.united(drawn));
}

void TForm_movie::PreView_SpeedBarChange() {
    PreviewInterval = PreviewIntervalFromPosition(PreViewPanel->PreView_SpeedBar->value());
    Timer->setInterval(PreviewInterval);
    PreViewPanel->PreViewSpeedCaption->setText(QString::number(PreviewInterval));
}

void TForm_movie::bsBtnPvOKClick() {
    pageOptions.speed = PreviewInterval;
    closePreview();
    Modified = true;
}

} // namespace quillet

#include "previewpanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace quillet {

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent), Picture(kWidth, kHeight, QImage::Format_RGB32) {
    Picture.fill(Qt::white);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), Picture, event->rect());
}

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreViewPanel"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    PreViewBox = new QGroupBox(QStringLiteral("动画预览"), this);
    outer->addWidget(PreViewBox, 1);
    auto* inner = new QVBoxLayout(PreViewBox);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);

    // The picture stands at a fixed place and is cut off where the box ends; nothing scrolls.
    PreViewImage = new PreviewPicture(PreViewBox);
    PreViewImage->move(2, 22);
    inner->addStretch(1);

    auto* row = new QWidget(PreViewBox);
    row->setFixedHeight(26);
    PreViewCaption = new QLabel(QStringLiteral("滚动速度(ms):"), row);
    PreViewCaption->move(8, 5);
    PreViewSpeedCaption = new QLabel(QStringLiteral("1000"), row);
    PreViewSpeedCaption->setGeometry(88, 5, 33, 16);
    PreView_SpeedBar = new QSlider(Qt::Horizontal, row);
    PreView_SpeedBar->setGeometry(135, 5, 100, 16);
    PreView_SpeedBar->setRange(0, 100);
    PreView_SpeedBar->setValue(60);
    bsBtnPvOK = new QPushButton(QStringLiteral("OK"), row);
    bsBtnPvOK->setGeometry(248, 3, 41, 20);
    inner->addWidget(row);

    PreViewImage->setObjectName(QStringLiteral("PreViewImage"));
    PreViewCaption->setObjectName(QStringLiteral("PreViewCaption"));
    PreViewSpeedCaption->setObjectName(QStringLiteral("PreViewSpeedCaption"));
    PreView_SpeedBar->setObjectName(QStringLiteral("PreView_SpeedBar"));
    bsBtnPvOK->setObjectName(QStringLiteral("bsBtnPvOK"));
    connect(PreView_SpeedBar, &QSlider::valueChanged, this, &PreviewPanel::speedBarMoved);
    connect(bsBtnPvOK, &QPushButton::clicked, this, &PreviewPanel::takeSpeedRequested);
}

int PreviewPanel::speedBarPosition() const {
    return PreView_SpeedBar->value();
}

void PreviewPanel::setSpeedBarPosition(int position) {
    PreView_SpeedBar->setValue(position);
}

void PreviewPanel::showInterval(int milliseconds) {
    PreViewSpeedCaption->setText(QString::number(milliseconds));
}

void PreviewPanel::fillPicture(const QColor& color) {
    PreViewImage->Picture.fill(color);
    PreViewImage->update();
}

void PreviewPanel::showFrame(const QSize& cleared, const QColor& fill, const QImage& frame, const QRect& source) {
    const QRect clearedArea(QPoint(0, 0), cleared);
    const QRect drawn(QPoint(0, 0), source.size());
    QPainter painter(&PreViewImage->Picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(clearedArea, fill);
    painter.drawImage(drawn, frame, source);
    painter.end();
    PreViewImage->update(clearedArea.united(drawn));
}

void PreviewPanel::SetPlayIndex(int index, int count) {
    FPlayIndex = (index >= 0 && index <= count - 1) ? index : 0;
}

} // namespace quillet

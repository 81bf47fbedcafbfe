#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace quillet {

// The preview picture: a fixed 1024 x 768 image shown at its own size and clipped by its parent.
class PreviewPicture : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    explicit PreviewPicture(QWidget* parent = nullptr);

    // Drawn into by the preview; call update() after changing it.
    QImage Picture;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The pane that replaces the film area while the animation plays: the picture and the speed row.
// It shows the frames and the interval it is given and tells when the speed bar moves or its OK
// button is pressed.
class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPanel(QWidget* parent = nullptr);

    // The speed bar's position, 0..100; placing it sends speedBarMoved when it moves.
    int speedBarPosition() const;
    void setSpeedBarPosition(int position);
    // The interval in milliseconds, as the caption beside the bar shows it.
    void showInterval(int milliseconds);
    // The whole picture in one colour.
    void fillPicture(const QColor& color);
    // One frame: the picture's top-left area of `cleared` size is filled with `fill`, then
    // `source` of `frame` is copied to the top-left corner.
    void showFrame(const QSize& cleared, const QColor& fill, const QImage& frame, const QRect& source);

signals:
    void speedBarMoved();
    // The OK button: the user asks to make the interval the page speed.
    void takeSpeedRequested();

public:
    // The controls; each has its member's name as object name.

    QGroupBox* PreViewBox;
    PreviewPicture* PreViewImage;
    QLabel* PreViewCaption;
    QLabel* PreViewSpeedCaption;
    QSlider* PreView_SpeedBar;
    QPushButton* bsBtnPvOK;

    // The play position: the index of the unit the preview shows, or showed last.
    std::int32_t playIndex() const { return FPlayIndex; }
    // The play position becomes index when it lies in 0 .. count - 1, otherwise 0.
    void SetPlayIndex(int index, int count);

private:
    std::int32_t FPlayIndex = 0;
};

} // namespace quillet

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
class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPanel(QWidget* parent = nullptr);

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

#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

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

// The order the preview plays the units in.
class PlayOrder {
public:
    // In the order of the pane's list: "循环" (the default), "往返", "播放一次".
    enum Mode { Loop, PingPong, Once };

    Mode mode() const { return m_mode; }
    // Back and forth starts forward; a new mode goes on from the unit shown, without restart().
    void setMode(Mode mode);
    // The unit to show after the unit at `index` of `count` (count > 0): the next one, the first
    // after the last (Loop, Once), or the next in the present direction, turning at either end
    // (PingPong). The first unit when restart() was called since.
    int next(int index, int count);
    // True when the play stops on the unit at `index`: the last one, playing once.
    bool stopsAt(int index, int count) const { return m_mode == Once && index == count - 1; }
    // The next unit shown is the first.
    void restart() { m_restart = true; }

private:
    Mode m_mode = Loop;
    int m_direction = 1;
    bool m_restart = false;
};

// The pane that replaces the film area while the animation plays: the picture, the speed row and
// the play row (loop mode, pause, step back and forward). It shows the frames and the interval it is
// given and tells when the speed bar moves, its OK button is pressed, or the user asks to pause,
// resume or step; it keeps the play position, the play order and whether the play is paused.
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

    PlayOrder& order() { return m_order; }
    bool paused() const { return m_paused; }
    // Shows the play as paused or playing: the pause action reads "播放" or "暂停", and the step
    // actions work only while paused.
    void setPaused(bool paused);

signals:
    void speedBarMoved();
    // The OK button: the user asks to make the interval the page speed.
    void takeSpeedRequested();
    // Space (unless the widget with the focus takes it, as a button does) or the pause button: the
    // user asks to pause, or to go on when paused.
    void pauseRequested();
    // Left or right arrow (or their buttons) while paused: one unit back (-1) or forward (1).
    void stepRequested(int delta);

public:
    // The controls; each has its member's name as object name.

    QGroupBox* PreViewBox;
    PreviewPicture* PreViewImage;
    QLabel* PreViewCaption;
    QLabel* PreViewSpeedCaption;
    QSlider* PreView_SpeedBar;
    QPushButton* bsBtnPvOK;
    QComboBox* loopModeBox;
    QToolButton* pauseButton;
    QToolButton* stepBackButton;
    QToolButton* stepForwardButton;
    // The pause button's action; the arrow keys step while the focus is in the pane.
    QAction* pauseAction;
    QAction* stepBackAction;    // Left
    QAction* stepForwardAction; // Right

    // The play position: the index of the unit the preview shows, or showed last.
    std::int32_t playIndex() const { return FPlayIndex; }
    // The play position becomes index when it lies in 0 .. count - 1, otherwise 0.
    void SetPlayIndex(int index, int count);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Space that the pane's box would take for itself on the way up from its controls.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPlayRow(QWidget* row);
    // Space without modifiers asks to pause or go on; true when the key was that.
    bool takePauseKey(const QKeyEvent& event);

    std::int32_t FPlayIndex = 0;
    PlayOrder m_order;
    bool m_paused = false;
};

} // namespace quillet

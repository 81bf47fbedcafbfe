#pragma once

#include "celleditmodel.h"
#include "cellgestures.h"

#include <QAbstractScrollArea>

#include <array>

namespace quillet {

class TAnsiImage;
class TFilmPanel;
class UnitPictures;

// The cell editor's canvas: the current unit's picture as the film view draws it, magnified by a
// whole factor without smoothing, with a cell grid from three times up, the cursor, the selection
// and, on request, the neighbouring units faintly over it. The canvas holds the whole grid the
// cursor can reach; what lies outside the unit's picture is grey.
//
// Keys, text from input methods and the mouse go to the model (typing, cursor, selection, the
// clipboard) or to the active tool. A change of the unit repaints only its changed cells; a paint
// draws only the part of the picture its region exposes.
class CellEditorView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 8;
    static constexpr int kDefaultZoom = 2;
    // From this zoom on the cells are outlined.
    static constexpr int kGridZoom = 3;

    // The view edits through `model` and shows the pictures `pictures` keeps of the strip's units;
    // all three must outlive it.
    CellEditorView(CellEditModel& model, const TFilmPanel& strip, UnitPictures& pictures, QWidget* parent = nullptr);

    // Magnification, kMinZoom .. kMaxZoom (clamped). A change keeps the cursor's cell where it is
    // on the screen while it is in view, otherwise the viewport's centre; Ctrl+wheel keeps the point
    // under the mouse.
    int zoom() const { return m_zoom; }
    void setZoom(int zoom);

    CellTool tool() const { return m_tool; }
    void setTool(CellTool tool);

    // The onion skin: the previous unit's picture (and the next one's) drawn over the unit at
    // `opacity` percent. Only the view shows it; the document never holds it.
    bool onionPrevious() const { return m_onionPrevious; }
    bool onionNext() const { return m_onionNext; }
    int onionOpacity() const { return m_onionOpacity; }
    void setOnionSkin(bool previous, bool next, int opacity);

    // The text an input method is composing, drawn at the cursor and written nowhere.
    const QString& preedit() const { return m_preedit; }

    // Another unit became current, or the editor opened: the canvas, its scroll range and the
    // whole picture follow it. Ends a mouse gesture in progress.
    void showCurrentUnit();
    // Scrolls so that the cursor's cell is in view.
    void ensureCursorVisible();

signals:
    // The cursor, the selection, the zoom or the typing mode may have changed.
    void stateChanged();
    // The chosen colours changed (picked from a cell or swapped).
    void colorsChanged();
    // A message for the status line, e.g. the characters GBK cannot hold.
    void messageRaised(const QString& text);
    // The O key outside the text tool: the user asks to turn the onion skin on or off.
    void onionToggleRequested();
    // Escape with nothing selected: the user asks to leave the editor.
    void closeRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    // What a key asks for; None leaves it to the window and its commands.
    enum class KeyCommand {
        None,
        Move,
        Backspace,
        Delete,
        NewLine,
        ToggleInsert,
        Copy,
        Cut,
        Paste,
        ZoomIn,
        ZoomOut,
        ZoomReset,
        Escape,
        SwapColors,
        ToggleOnion,
        UseTool,
        Type
    };
    struct KeyAction {
        KeyCommand command = KeyCommand::None;
        CursorMove move = CursorMove::Left;
        bool extend = false;
    };
    KeyAction keyAction(const QKeyEvent* event) const;
    void runKey(const KeyAction& action, const QKeyEvent* event);
    // Ctrl+Enter outside the text tool: the tool acts with both chosen colours as a click on the
    // cursor's cell does; the rectangle fills the selection (the cursor's cell without one).
    void useToolAtCursor();
    void copyToClipboard();
    void pasteFromClipboard();
    void typeText(const QString& text);
    // A change the user made through the model: the overlays are repainted and listeners told.
    void changed();

    // ---- Geometry: canvas pixels are the unit picture's pixels.
    const TAnsiImage* currentUnit() const;
    int pitch() const;
    QSize canvasSize() const;
    QRect canvasRectOfCells(const QRect& cells) const;
    QRect cursorBox() const;
    QPoint scrollOffset() const;
    QRect toViewport(const QRect& canvas) const;
    QRect toCanvas(const QRect& viewport) const;
    // The cell under a viewport point, clamped to the cells the cursor can reach.
    CellCursor cellAt(const QPointF& viewportPoint) const;
    void updateScrollRanges();
    void zoomAround(int zoom, const QPointF& viewportAnchor);

    // ---- Painting
    void drawPicture(QPainter& painter, const QImage& picture, const QRect& canvasPart) const;
    void drawGrid(QPainter& painter, const QRect& canvasPart) const;
    void drawOverlays(QPainter& painter) const;
    void drawPreedit(QPainter& painter) const;
    QRect preeditRect() const;
    // Repaints where the overlays (cursor, selection, drag outline, preedit) were and are now.
    void refreshOverlays();
    std::array<QRect, 4> overlayRects() const;

    // ---- Strip changes
    void unitContentChanged(int index, const QRect& cells);
    void neighboursChanged();

    CellEditModel& m_model;
    const TFilmPanel& m_strip;
    UnitPictures& m_pictures;
    CellGestures m_gestures;
    int m_zoom = kDefaultZoom;
    CellTool m_tool = CellTool::Text;
    bool m_onionPrevious = false;
    bool m_onionNext = false;
    int m_onionOpacity = 30;
    QString m_preedit;
    QSize m_pictureSize;                  // the shown unit's picture size at its last paint
    std::array<QRect, 4> m_shownOverlays; // viewport rectangles of the overlays as last painted
    int m_wheelAngle = 0;                 // Ctrl+wheel turning not yet a whole step
};

} // namespace quillet

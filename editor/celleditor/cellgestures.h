#pragma once

#include "celleditmodel.h"

#include <QList>
#include <QPoint>
#include <QRect>

#include <optional>

namespace quillet {

// The cell editor's tools.
enum class CellTool {
    Text,  // 文字: a click places the cursor, a drag selects, a drag inside the selection moves it
    Brush, // 画笔: a stroke colours every cell it crosses
    Fill,  // 填充: a click fills the region of the cell's colour
    Rect,  // 矩形: a drag colours a rectangle of cells
    Pick,  // 取色: a click takes both colours of the cell
};

// Which colours a drawing tool gives with this button and these modifiers: the left button both,
// Shift+left the text colour only, the right button or Ctrl+left the background only; nothing for
// any other button.
std::optional<CellColors> ColorsForButton(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

// The cells on the straight line from `from` to `to` (x column, y row), `from` left out, in order:
// each is a neighbour of the one before it, sideways or diagonally, so no cell is skipped.
QList<QPoint> CellLine(QPoint from, QPoint to);

// One mouse gesture of a tool from press to release, in cells; what it does goes to the model. Alt
// with the left button picks colours in every tool.
class CellGestures {
public:
    explicit CellGestures(CellEditModel& model) : m_model(model) {}

    void press(CellTool tool, const CellCursor& at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void move(const CellCursor& at);
    // The gesture ends when the button that started it is released.
    void release(Qt::MouseButton button, const CellCursor& at);
    // Ends the gesture where it is, as a release there would; a stroke still ends as one step.
    void finish();
    bool active() const { return m_kind != Kind::None; }
    // While dragging a rectangle or moving the selection: where the rectangle of cells would land
    // (x columns, y rows); empty otherwise.
    QRect dragOutline() const;

private:
    enum class Kind { None, Select, MoveSelection, Stroke, Rect };
    void pressText(const CellCursor& at);

    CellEditModel& m_model;
    Kind m_kind = Kind::None;
    Qt::MouseButton m_button = Qt::NoButton;
    CellColors m_colors = CellColors::Both;
    CellCursor m_pressed; // where the gesture started, with the half of a double-byte cell
    QPoint m_start;       // the pressed cell
    QPoint m_last;        // the cell the mouse was last over
};

} // namespace quillet

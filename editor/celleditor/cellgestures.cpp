#include "cellgestures.h"

#include <cstdlib>

namespace quillet {

namespace {

QPoint cellOf(const CellCursor& at) {
    return QPoint(at.col, at.row);
}

// The rectangle with both cells as corners.
QRect spanning(QPoint a, QPoint b) {
    return QRect(a, b).normalized();
}

} // namespace

std::optional<CellColors> ColorsForButton(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (button == Qt::RightButton) return CellColors::Back;
    if (button != Qt::LeftButton) return std::nullopt;
    if (modifiers & Qt::ControlModifier) return CellColors::Back;
    if (modifiers & Qt::ShiftModifier) return CellColors::Text;
    return CellColors::Both;
}

QList<QPoint> CellLine(QPoint from, QPoint to) {
    // Bresenham's line: one step along the longer axis each time, the other when its error says so.
    QList<QPoint> cells;
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = from;
    while (p != to) {
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += sy;
        }
        cells << p;
    }
    return cells;
}

void CellGestures::press(CellTool tool, const CellCursor& at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (active()) return;
    if (button == Qt::LeftButton && (modifiers & Qt::AltModifier)) {
        m_model.pickColors(at.row, at.col);
        return;
    }
    m_button = button;
    m_pressed = at;
    m_start = m_last = cellOf(at);
    if (tool == CellTool::Text) {
        if (button == Qt::LeftButton) pressText(at);
        return;
    }
    if (tool == CellTool::Pick) {
        m_model.pickColors(at.row, at.col);
        return;
    }
    const std::optional<CellColors> colors = ColorsForButton(button, modifiers);
    if (!colors) return;
    m_colors = *colors;
    switch (tool) {
    case CellTool::Brush:
        m_kind = Kind::Stroke;
        m_model.beginStroke();
        m_model.paintCell(at.row, at.col, m_colors);
        break;
    case CellTool::Fill:
        m_model.floodFill(at.row, at.col, m_colors);
        break;
    case CellTool::Rect:
        m_kind = Kind::Rect;
        break;
    case CellTool::Text:
    case CellTool::Pick:
        break;
    }
}

void CellGestures::pressText(const CellCursor& at) {
    if (m_model.selection().contains(cellOf(at))) {
        m_kind = Kind::MoveSelection;
        return;
    }
    m_model.setCursor(at);
    m_model.clearSelection();
    m_kind = Kind::Select;
}

void CellGestures::move(const CellCursor& at) {
    const QPoint cell = cellOf(at);
    if (!active() || cell == m_last) return;
    if (m_kind == Kind::Stroke) {
        for (const QPoint& p : CellLine(m_last, cell))
            m_model.paintCell(p.y(), p.x(), m_colors);
    }
    m_last = cell;
    // Dragging back onto the pressed cell drops the selection: the press was a click after all.
    if (m_kind == Kind::Select) {
        if (cell == m_start)
            m_model.clearSelection();
        else
            m_model.setSelection(spanning(m_start, cell));
    }
}

void CellGestures::release(Qt::MouseButton button, const CellCursor& at) {
    if (!active() || button != m_button) return;
    move(at);
    finish();
}

void CellGestures::finish() {
    const Kind kind = m_kind;
    m_kind = Kind::None;
    switch (kind) {
    case Kind::Stroke:
        m_model.endStroke();
        break;
    case Kind::Rect:
        m_model.fillRect(spanning(m_start, m_last), m_colors);
        break;
    case Kind::MoveSelection:
        if (m_last != m_start) {
            m_model.moveSelection(m_last.x() - m_start.x(), m_last.y() - m_start.y());
        } else {
            // A click inside the selection places the cursor there.
            m_model.setCursor(m_pressed);
            m_model.clearSelection();
        }
        break;
    case Kind::Select:
    case Kind::None:
        break;
    }
}

QRect CellGestures::dragOutline() const {
    if (m_kind == Kind::Rect) return spanning(m_start, m_last);
    if (m_kind == Kind::MoveSelection) return m_model.selection().translated(m_last - m_start);
    return QRect();
}

} // namespace quillet

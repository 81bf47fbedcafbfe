#include "celleditorview.h"

#include "cellclipboard.h"
#include "filmpanel.h"
#include "unitpictures.h"
#include "unitrender.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillet {

namespace {

const QColor kOutside(160, 160, 160);
const QColor kGridLine(128, 128, 128, 110);
const QColor kSelectionTint(0, 120, 215, 70);
const QColor kSelectionEdge(0, 120, 215);
const QColor kCursorEdge(255, 80, 0);

const char* const kUnencodableText = QT_TRANSLATE_NOOP("quillet::CellEditorView", "以下字符无法保存为GBK编码：");

// Keys that move the cursor, with Shift extending the selection.
constexpr std::pair<int, CursorMove> kMoveKeys[] = {
    {Qt::Key_Left, CursorMove::Left},     {Qt::Key_Right, CursorMove::Right},       {Qt::Key_Up, CursorMove::Up},
    {Qt::Key_Down, CursorMove::Down},     {Qt::Key_Home, CursorMove::Home},         {Qt::Key_End, CursorMove::End},
    {Qt::Key_PageUp, CursorMove::PageUp}, {Qt::Key_PageDown, CursorMove::PageDown},
};

bool printable(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

} // namespace

CellEditorView::CellEditorView(CellEditModel& model, const TFilmPanel& strip, UnitPictures& pictures, QWidget* parent)
    : QAbstractScrollArea(parent), m_model(model), m_strip(strip), m_pictures(pictures), m_gestures(model) {
    setObjectName(QStringLiteral("CellEditorView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    connect(&strip, &TFilmPanel::unitContentChanged, this, &CellEditorView::unitContentChanged);
    connect(&strip, &TFilmPanel::layoutChanged, this, &CellEditorView::neighboursChanged);
    connect(&strip, &TFilmPanel::unitsInserted, this, &CellEditorView::neighboursChanged);
    connect(&strip, &TFilmPanel::unitsRemoved, this, &CellEditorView::neighboursChanged);
    connect(&strip, &TFilmPanel::unitMoved, this, &CellEditorView::neighboursChanged);
}

// ---- Geometry

const TAnsiImage* CellEditorView::currentUnit() const {
    const int index = m_strip.currentIndex();
    return index >= 0 ? &m_strip.GetUnit(index) : nullptr;
}

int CellEditorView::pitch() const {
    return m_model.doubleByte() ? 2 * kHalfCellWidth : kHalfCellWidth;
}

QSize CellEditorView::canvasSize() const {
    const QSize grid(2 * kCellLeft + m_model.maxCols() * pitch(), kCellTop + (m_model.maxRows() + 1) * kCellHeight);
    const TAnsiImage* unit = currentUnit();
    return unit ? grid.expandedTo(unit->geometry().size()) : grid;
}

QRect CellEditorView::canvasRectOfCells(const QRect& cells) const {
    const int p = pitch();
    return QRect(kCellLeft + cells.x() * p, kCellTop + cells.y() * kCellHeight, cells.width() * p,
                 cells.height() * kCellHeight);
}

QRect CellEditorView::cursorBox() const {
    const CellCursor at = m_model.cursor();
    return QRect(kCellLeft + at.col * pitch() + at.half * kHalfCellWidth, kCellTop + at.row * kCellHeight, kHalfCellWidth,
                 kCellHeight);
}

QPoint CellEditorView::scrollOffset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect CellEditorView::toViewport(const QRect& canvas) const {
    if (canvas.isEmpty()) return QRect();
    return QRect(canvas.topLeft() * m_zoom - scrollOffset(), canvas.size() * m_zoom);
}

QRect CellEditorView::toCanvas(const QRect& viewport) const {
    const QPoint offset = scrollOffset();
    const int left = (viewport.left() + offset.x()) / m_zoom;
    const int top = (viewport.top() + offset.y()) / m_zoom;
    const int right = (viewport.right() + offset.x()) / m_zoom;
    const int bottom = (viewport.bottom() + offset.y()) / m_zoom;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

CellCursor CellEditorView::cellAt(const QPointF& viewportPoint) const {
    const QPointF canvas = (viewportPoint + QPointF(scrollOffset())) / m_zoom;
    const int p = pitch();
    const double x = canvas.x() - kCellLeft;
    CellCursor at;
    at.col = std::clamp(static_cast<int>(std::floor(x / p)), 0, m_model.maxCols() - 1);
    at.row = std::clamp(static_cast<int>(std::floor((canvas.y() - kCellTop) / kCellHeight)), 0, m_model.maxRows() - 1);
    at.half = m_model.doubleByte() && x - at.col * p >= kHalfCellWidth ? 1 : 0;
    return at;
}

void CellEditorView::updateScrollRanges() {
    const QSize content = canvasSize() * m_zoom;
    const QSize page = viewport()->size();
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setSingleStep(kCellHeight * m_zoom);
    verticalScrollBar()->setSingleStep(kCellHeight * m_zoom);
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - page.width()));
    verticalScrollBar()->setRange(0, qMax(0, content.height() - page.height()));
}

void CellEditorView::setZoom(int zoom) {
    // The cursor stays where it is on the screen while it is in view.
    const QRect box = toViewport(cursorBox());
    zoomAround(zoom, viewport()->rect().contains(box.center()) ? QPointF(box.center()) : viewport()->rect().center());
}

void CellEditorView::zoomAround(int zoom, const QPointF& viewportAnchor) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == m_zoom) return;
    const QPointF canvas = (viewportAnchor + QPointF(scrollOffset())) / m_zoom;
    m_zoom = zoom;
    updateScrollRanges();
    horizontalScrollBar()->setValue(qRound(canvas.x() * zoom - viewportAnchor.x()));
    verticalScrollBar()->setValue(qRound(canvas.y() * zoom - viewportAnchor.y()));
    viewport()->update();
    m_shownOverlays = overlayRects();
    emit stateChanged();
}

void CellEditorView::ensureCursorVisible() {
    const QRect box = toViewport(canvasRectOfCells(QRect(m_model.cursor().col, m_model.cursor().row, 1, 1)));
    const QRect page = viewport()->rect();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (box.left() < page.left())
        h->setValue(h->value() + box.left() - page.left());
    else if (box.right() > page.right())
        h->setValue(h->value() + qMin(box.right() - page.right(), box.left() - page.left()));
    if (box.top() < page.top())
        v->setValue(v->value() + box.top() - page.top());
    else if (box.bottom() > page.bottom())
        v->setValue(v->value() + qMin(box.bottom() - page.bottom(), box.top() - page.top()));
}

// ---- Settings and the unit shown

void CellEditorView::setTool(CellTool tool) {
    if (m_gestures.active()) m_gestures.finish();
    m_tool = tool;
    viewport()->setCursor(tool == CellTool::Text ? Qt::IBeamCursor : Qt::CrossCursor);
    changed();
}

void CellEditorView::setOnionSkin(bool previous, bool next, int opacity) {
    m_onionPrevious = previous;
    m_onionNext = next;
    m_onionOpacity = std::clamp(opacity, 0, 100);
    viewport()->update();
}

void CellEditorView::showCurrentUnit() {
    if (m_gestures.active()) m_gestures.finish();
    const TAnsiImage* unit = currentUnit();
    m_pictureSize = unit ? unit->geometry().size() : QSize();
    updateScrollRanges();
    viewport()->update();
    m_shownOverlays = overlayRects();
    emit stateChanged();
}

void CellEditorView::unitContentChanged(int index, const QRect& cells) {
    if (!isVisible()) return;
    const int current = m_strip.currentIndex();
    if (index == current) {
        const TAnsiImage& unit = m_strip.GetUnit(index);
        const QSize size = unit.geometry().size();
        // A new size moves the picture's frame as well as the cells.
        if (cells.isEmpty() || size != m_pictureSize) {
            m_pictureSize = size;
            updateScrollRanges();
            viewport()->update();
        } else {
            viewport()->update(toViewport(CellArea(unit, cells)));
        }
    } else if ((m_onionPrevious && index == current - 1) || (m_onionNext && index == current + 1)) {
        viewport()->update();
    }
}

void CellEditorView::neighboursChanged() {
    if (isVisible() && (m_onionPrevious || m_onionNext)) viewport()->update();
}

// ---- Painting

void CellEditorView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, kOutside);
    const TAnsiImage* unit = currentUnit();
    if (!unit) return;
    const QRect part = toCanvas(exposed);
    // Each picture is a shared copy: the pictures' owner may draw another one meanwhile.
    const QImage picture = m_pictures.picture(*unit);
    drawPicture(painter, picture, part);
    const int index = m_strip.currentIndex();
    painter.setOpacity(m_onionOpacity / 100.0);
    if (m_onionPrevious && index > 0) drawPicture(painter, m_pictures.picture(m_strip.GetUnit(index - 1)), part);
    if (m_onionNext && index + 1 < m_strip.count())
        drawPicture(painter, m_pictures.picture(m_strip.GetUnit(index + 1)), part);
    painter.setOpacity(1.0);
    if (m_zoom >= kGridZoom) drawGrid(painter, part);
    drawOverlays(painter);
}

void CellEditorView::drawPicture(QPainter& painter, const QImage& picture, const QRect& canvasPart) const {
    // Only the exposed part is scaled: a whole picture at eight times is far too much per frame.
    const QRect source = canvasPart.intersected(picture.rect());
    if (!source.isEmpty()) painter.drawImage(toViewport(source), picture, source);
}

void CellEditorView::drawGrid(QPainter& painter, const QRect& canvasPart) const {
    const int p = pitch();
    const QRect grid(kCellLeft, kCellTop, m_model.maxCols() * p, m_model.maxRows() * kCellHeight);
    const QRect area = grid.adjusted(0, 0, 1, 1).intersected(canvasPart);
    if (area.isEmpty()) return;
    const QRect shown = toViewport(grid.adjusted(0, 0, 1, 1).intersected(canvasPart.adjusted(0, 0, 1, 1)));
    const QPoint offset = scrollOffset();
    painter.setPen(QPen(kGridLine, 0));
    for (int c = (area.left() - kCellLeft + p - 1) / p; kCellLeft + c * p <= area.right(); ++c) {
        const int x = (kCellLeft + c * p) * m_zoom - offset.x();
        painter.drawLine(x, shown.top(), x, shown.bottom());
    }
    for (int r = (area.top() - kCellTop + kCellHeight - 1) / kCellHeight; kCellTop + r * kCellHeight <= area.bottom();
         ++r) {
        const int y = (kCellTop + r * kCellHeight) * m_zoom - offset.y();
        painter.drawLine(shown.left(), y, shown.right(), y);
    }
}

std::array<QRect, 4> CellEditorView::overlayRects() const {
    const CellCursor at = m_model.cursor();
    const QRect cursor = toViewport(canvasRectOfCells(QRect(at.col, at.row, 1, 1)));
    auto grown = [](const QRect& r) { return r.isEmpty() ? r : r.adjusted(-1, -1, 1, 1); };
    return {grown(cursor), grown(toViewport(canvasRectOfCells(m_model.selection()))),
            grown(toViewport(canvasRectOfCells(m_gestures.dragOutline()))), grown(preeditRect())};
}

void CellEditorView::refreshOverlays() {
    const std::array<QRect, 4> now = overlayRects();
    for (std::size_t k = 0; k < now.size(); ++k) {
        if (now[k] == m_shownOverlays[k]) continue;
        viewport()->update(m_shownOverlays[k]);
        viewport()->update(now[k]);
    }
    m_shownOverlays = now;
}

void CellEditorView::drawOverlays(QPainter& painter) const {
    const QRect selection = toViewport(canvasRectOfCells(m_model.selection()));
    if (!selection.isEmpty()) {
        painter.fillRect(selection, kSelectionTint);
        painter.setPen(QPen(kSelectionEdge, 0));
        painter.drawRect(selection.adjusted(0, 0, -1, -1));
    }
    const QRect drag = toViewport(canvasRectOfCells(m_gestures.dragOutline()));
    if (!drag.isEmpty()) {
        painter.setPen(QPen(kSelectionEdge, 0, Qt::DashLine));
        painter.drawRect(drag.adjusted(0, 0, -1, -1));
    }
    // The cursor's half cell inverted (a bar at its left in insert mode), its cell outlined.
    QRect box = toViewport(cursorBox());
    if (m_model.insertMode()) box.setWidth(qMax(2, m_zoom));
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(box, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const CellCursor at = m_model.cursor();
    painter.setPen(QPen(kCursorEdge, 0));
    painter.drawRect(toViewport(canvasRectOfCells(QRect(at.col, at.row, 1, 1))).adjusted(0, 0, -1, -1));
    drawPreedit(painter);
}

QRect CellEditorView::preeditRect() const {
    if (m_preedit.isEmpty()) return QRect();
    QFont face = font();
    face.setPixelSize(kCellHeight * m_zoom);
    const int width = QFontMetrics(face).horizontalAdvance(m_preedit) + 2;
    return QRect(toViewport(cursorBox()).topLeft(), QSize(width, kCellHeight * m_zoom + m_zoom));
}

void CellEditorView::drawPreedit(QPainter& painter) const {
    const QRect box = preeditRect();
    if (box.isEmpty()) return;
    QFont face = font();
    face.setPixelSize(kCellHeight * m_zoom);
    face.setUnderline(true);
    painter.fillRect(box, Qt::white);
    painter.setFont(face);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, m_preedit);
}

// ---- Keys and text

bool CellEditorView::event(QEvent* event) {
    // The keys the editor uses are its own while it has the focus, before any window command's.
    if (event->type() == QEvent::ShortcutOverride &&
        keyAction(static_cast<QKeyEvent*>(event)).command != KeyCommand::None) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

CellEditorView::KeyAction CellEditorView::keyAction(const QKeyEvent* event) const {
    if (event->matches(QKeySequence::Copy)) return {KeyCommand::Copy};
    if (event->matches(QKeySequence::Cut)) return {KeyCommand::Cut};
    if (event->matches(QKeySequence::Paste)) return {KeyCommand::Paste};
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers & Qt::ControlModifier) {
        if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return {};
        if (key == Qt::Key_Plus || key == Qt::Key_Equal) return {KeyCommand::ZoomIn};
        if (key == Qt::Key_Minus) return {KeyCommand::ZoomOut};
        if (key == Qt::Key_0) return {KeyCommand::ZoomReset};
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && modifiers == Qt::ControlModifier && m_tool != CellTool::Text) return {KeyCommand::UseTool};
        return {};
    }
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return {};
    for (const auto& [moveKey, move] : kMoveKeys) {
        if (key == moveKey) return {KeyCommand::Move, move, modifiers.testFlag(Qt::ShiftModifier)};
    }
    switch (key) {
    case Qt::Key_Backspace:
        return {KeyCommand::Backspace};
    case Qt::Key_Delete:
        return {KeyCommand::Delete};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {KeyCommand::NewLine};
    case Qt::Key_Insert:
        return {KeyCommand::ToggleInsert};
    case Qt::Key_Escape:
        return {KeyCommand::Escape};
    case Qt::Key_X:
        if (m_tool != CellTool::Text) return {KeyCommand::SwapColors};
        break;
    case Qt::Key_O:
        if (m_tool != CellTool::Text) return {KeyCommand::ToggleOnion};
        break;
    default:
        break;
    }
    return printable(event->text()) ? KeyAction{KeyCommand::Type} : KeyAction{};
}

void CellEditorView::keyPressEvent(QKeyEvent* event) {
    const KeyAction action = keyAction(event);
    if (action.command == KeyCommand::None) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    runKey(action, event);
}

void CellEditorView::runKey(const KeyAction& action, const QKeyEvent* event) {
    const int pageRows = qMax(1, viewport()->height() / (kCellHeight * m_zoom));
    switch (action.command) {
    case KeyCommand::Move:
        m_model.moveCursor(action.move, action.extend, pageRows);
        break;
    case KeyCommand::Backspace:
        m_model.backspace();
        break;
    case KeyCommand::Delete:
        m_model.deleteForward();
        break;
    case KeyCommand::NewLine:
        m_model.newLine();
        break;
    case KeyCommand::ToggleInsert:
        m_model.setInsertMode(!m_model.insertMode());
        break;
    case KeyCommand::Copy:
        copyToClipboard();
        break;
    case KeyCommand::Cut:
        if (m_model.selection().isEmpty()) break;
        copyToClipboard();
        m_model.cutSelection();
        break;
    case KeyCommand::Paste:
        pasteFromClipboard();
        break;
    case KeyCommand::ZoomIn:
    case KeyCommand::ZoomOut:
    case KeyCommand::ZoomReset:
        setZoom(action.command == KeyCommand::ZoomReset ? 1 : m_zoom + (action.command == KeyCommand::ZoomIn ? 1 : -1));
        break;
    case KeyCommand::Escape:
        if (m_model.selection().isEmpty()) {
            emit closeRequested();
            return;
        }
        m_model.clearSelection();
        break;
    case KeyCommand::SwapColors:
        m_model.swapColors();
        emit colorsChanged();
        break;
    case KeyCommand::ToggleOnion:
        emit onionToggleRequested();
        break;
    case KeyCommand::UseTool:
        useToolAtCursor();
        break;
    case KeyCommand::Type:
        typeText(event->text());
        break;
    case KeyCommand::None:
        return;
    }
    changed();
}

void CellEditorView::useToolAtCursor() {
    const CellCursor at = m_model.cursor();
    switch (m_tool) {
    case CellTool::Brush:
        m_model.beginStroke();
        m_model.paintCell(at.row, at.col, CellColors::Both);
        m_model.endStroke();
        break;
    case CellTool::Fill:
        m_model.floodFill(at.row, at.col, CellColors::Both);
        break;
    case CellTool::Rect: {
        const QRect selection = m_model.selection();
        m_model.fillRect(selection.isEmpty() ? QRect(at.col, at.row, 1, 1) : selection, CellColors::Both);
        break;
    }
    case CellTool::Pick:
        m_model.pickColors(at.row, at.col);
        emit colorsChanged();
        break;
    case CellTool::Text:
        break;
    }
}

void CellEditorView::typeText(const QString& text) {
    const QString refused = m_model.typeText(text);
    if (!refused.isEmpty()) emit messageRaised(tr(kUnencodableText) + refused);
}

void CellEditorView::copyToClipboard() {
    if (m_model.selection().isEmpty()) return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kCellsMimeType), m_model.copySelection());
    data->setText(m_model.selectionText());
    QGuiApplication::clipboard()->setMimeData(data);
}

void CellEditorView::pasteFromClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return;
    const QString cells = QString::fromLatin1(kCellsMimeType);
    if (data->hasFormat(cells) && m_model.pasteCells(data->data(cells))) return;
    if (!data->hasText()) return;
    const QString refused = m_model.pasteText(data->text());
    if (!refused.isEmpty()) emit messageRaised(tr(kUnencodableText) + refused);
}

void CellEditorView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) typeText(event->commitString());
    m_preedit = event->preeditString();
    event->accept();
    changed();
}

QVariant CellEditorView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
        // In the view's own coordinates; the viewport sits inside its frame.
        return QRectF(toViewport(cursorBox()).translated(viewport()->pos()));
    case Qt::ImFont: {
        QFont face = font();
        face.setPixelSize(kCellHeight * m_zoom);
        return face;
    }
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
        return QString();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void CellEditorView::changed() {
    refreshOverlays();
    emit stateChanged();
}

// ---- Mouse

void CellEditorView::mousePressEvent(QMouseEvent* event) {
    const CellCursor before = m_model.cursor();
    const TColor text = m_model.textColor();
    const TColor back = m_model.backColor();
    m_gestures.press(m_tool, cellAt(event->position()), event->button(), event->modifiers());
    if (m_model.textColor() != text || m_model.backColor() != back) emit colorsChanged();
    if (m_model.cursor() != before) ensureCursorVisible();
    changed();
}

void CellEditorView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_gestures.active()) return;
    m_gestures.move(cellAt(event->position()));
    changed();
}

void CellEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_gestures.active()) return;
    m_gestures.release(event->button(), cellAt(event->position()));
    changed();
}

void CellEditorView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // One step a notch (120); a fine wheel adds up its small turns.
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / 120;
    m_wheelAngle -= steps * 120;
    if (steps != 0) zoomAround(m_zoom + steps, event->position());
    event->accept();
}

// ---- Frame

void CellEditorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void CellEditorView::hideEvent(QHideEvent* event) {
    // A stroke the mouse was still drawing ends as one step.
    if (m_gestures.active()) m_gestures.finish();
    m_preedit.clear();
    QAbstractScrollArea::hideEvent(event);
}

void CellEditorView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    for (QRect& r : m_shownOverlays)
        r.translate(dx, dy);
}

} // namespace quillet

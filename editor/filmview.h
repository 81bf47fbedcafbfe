#pragma once

#include "unitpictures.h"

#include <QAbstractScrollArea>

#include <utility>

class QTimer;

namespace quillet {

class TFilmPanel;

// Shows the film strip: every unit's picture at its place and own size, scrolled in both
// directions. Paints only the units that intersect the visible area; after a paint, once the event
// loop is idle, it draws the pictures of the unit just above and just below them, so that a unit
// scrolled into view is shown without being drawn then. No other unit is drawn. A click on another
// unit asks for it to become current (unitSelectionRequested); so do the arrow keys, Page Up/Down,
// Home and End while the view has the focus (a click or Tab gives it), which also scroll the whole
// current unit into view. A double click on the current unit, or Enter, asks for it to be edited
// (unitEditRequested). Assistive technology sees it as a list of the units with the current one
// selected (filmaccessible.h). The view keeps the drawn pictures of the units it shows; the
// preview and the cell editor borrow them.
class FilmView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit FilmView(QWidget* parent = nullptr);

    // The strip shown; it must outlive the view or be replaced by nullptr first.
    void setStrip(const TFilmPanel* strip);
    const TFilmPanel* strip() const { return m_strip; }
    // Scrolls so that the current unit's top is in view.
    void ensureCurrentVisible();
    // Index of the unit whose picture holds the viewport point, or -1.
    int unitAt(const QPoint& viewportPoint) const;
    // The pictures of the strip's units, drawn when first shown or about to be and again after each
    // change; only the most recently used are kept (UnitPictures).
    UnitPictures& pictures() { return m_pictures; }

signals:
    // A click or key asks for another unit to become current; the view changes nothing itself.
    void unitSelectionRequested(int index);
    // A double click on the current unit, or Enter: the user asks to edit it cell by cell.
    void unitEditRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Asks for the unit as a click on it does.
    void clickUnit(int index);
    // The unit a navigation key leads to from the current one, or -1 for other keys.
    int unitForKey(int key) const;
    void showWholeCurrent();
    void updateScrollRanges();
    // After unitContentChanged: a change of a few cells draws those cells again in the kept picture
    // where it can (UnitPictures::redrawCells) and repaints only their pixels; any other change
    // repaints the whole unit, drawn again when painted.
    void showUnitChange(int index, const QRect& cells);
    QPoint offset() const;
    // Draws the pictures of the units next to the visible ones, above and below.
    void drawMargin();
    // The first and last units that show in the viewport (-1, -1 when none does).
    std::pair<int, int> unitsInView() const;
    // Keeps the picture budget large enough for the units in view and the one beyond either edge,
    // so that painting and drawing the margin never let go a picture the view still shows.
    void fitBudgetToView();

    const TFilmPanel* m_strip = nullptr;
    UnitPictures m_pictures;
    QTimer* m_marginTimer; // single shot, when the event loop is idle after a paint
};

} // namespace quillet

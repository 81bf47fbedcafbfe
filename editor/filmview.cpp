#include "filmview.h"

#include "filmaccessible.h"
#include "filmpanel.h"
#include "unitrender.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace quillet {

FilmView::FilmView(QWidget* parent) : QAbstractScrollArea(parent), m_marginTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("ScrollBox"));
    static const bool factoryInstalled = (QAccessible::installFactory(FilmAccessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setAccessibleName(tr("胶片"));
    setAccessibleDescription(tr("方向键、Page Up/Down、Home 和 End 选择单元，回车键或 F2 逐格编辑单元"));
    m_marginTimer->setSingleShot(true);
    m_marginTimer->setInterval(0);
    connect(m_marginTimer, &QTimer::timeout, this, &FilmView::drawMargin);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
}

void FilmView::setStrip(const TFilmPanel* strip) {
    if (m_strip) disconnect(m_strip, nullptr, this, nullptr);
    m_strip = strip;
    if (m_strip) {
        connect(m_strip, &TFilmPanel::layoutChanged, this, [this] {
            updateScrollRanges();
            viewport()->update();
        });
        connect(m_strip, &TFilmPanel::unitContentChanged, this, &FilmView::showUnitChange);
        connect(m_strip, &TFilmPanel::unitsRemoved, this, [this] { m_pictures.retainOnly(*m_strip); });
        connect(m_strip, &TFilmPanel::unitChanged, this, [this] { AnnounceCurrentUnit(this); });
        for (auto changed : {&TFilmPanel::unitsInserted, &TFilmPanel::unitsRemoved})
            connect(m_strip, changed, this, [this] { AnnounceUnitsChanged(this); });
        connect(m_strip, &TFilmPanel::unitMoved, this, [this] { AnnounceUnitsChanged(this); });
    }
    if (m_strip)
        m_pictures.retainOnly(*m_strip);
    else
        m_pictures = UnitPictures();
    updateScrollRanges();
    viewport()->update();
}

QPoint FilmView::offset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void FilmView::updateScrollRanges() {
    const QSize content = m_strip ? QSize(m_strip->width(), m_strip->height()) : QSize();
    const QSize page = viewport()->size();
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - page.width()));
    verticalScrollBar()->setRange(0, qMax(0, content.height() - page.height()));
}

void FilmView::showUnitChange(int index, const QRect& cells) {
    if (!m_strip || index < 0 || index >= m_strip->count()) return;
    const TAnsiImage& unit = m_strip->GetUnit(index);
    // A picture not brought up to date here is drawn whole when next painted.
    const bool patched = !cells.isEmpty() && m_pictures.redrawCells(unit, cells);
    const QRect changed = patched ? CellArea(unit, cells).translated(unit.geometry().topLeft()) : unit.geometry();
    viewport()->update(changed.translated(-offset()));
}

void FilmView::ensureCurrentVisible() {
    if (!m_strip || m_strip->currentIndex() < 0) return;
    updateScrollRanges();
    const QRect r = m_strip->GetUnit(m_strip->currentIndex()).geometry();
    QScrollBar* v = verticalScrollBar();
    const int height = viewport()->height();
    const int top = v->value();
    // Half of what fits is enough: a click on a tall unit must not make the view jump.
    const int shown = qMin(r.bottom() + 1, top + height) - qMax(r.top(), top);
    if (shown * 2 >= qMin(r.height(), height)) return;
    if (r.top() < top || r.height() > height)
        v->setValue(r.top());
    else
        v->setValue(r.bottom() - height + 1);
}

int FilmView::unitAt(const QPoint& viewportPoint) const {
    if (!m_strip) return -1;
    const QPoint p = viewportPoint + offset();
    for (int i = 0; i < m_strip->count(); ++i) {
        if (m_strip->GetUnit(i).geometry().contains(p)) return i;
    }
    return -1;
}

std::pair<int, int> FilmView::unitsInView() const {
    const QRect visible = viewport()->rect().translated(offset());
    int first = -1;
    int last = -1;
    for (int i = 0; i < m_strip->count(); ++i) {
        if (!m_strip->GetUnit(i).geometry().intersects(visible)) continue;
        if (first < 0) first = i;
        last = i;
    }
    return {first, last};
}

void FilmView::fitBudgetToView() {
    const auto [first, last] = unitsInView();
    qsizetype needed = 0;
    if (first >= 0) {
        for (int i = std::max(first - 1, 0); i <= std::min(last + 1, m_strip->count() - 1); ++i) {
            const TAnsiImage& unit = m_strip->GetUnit(i);
            needed += qsizetype(unit.width()) * unit.height() * 4; // Format_RGB32
        }
    }
    m_pictures.setBudget(std::max(UnitPictures::kDefaultBudget, needed));
}

void FilmView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Mid));
    if (!m_strip) return;
    fitBudgetToView();
    const QPoint shift = offset();
    const QRect visible = event->rect().translated(shift);
    for (int i = 0; i < m_strip->count(); ++i) {
        const TAnsiImage& unit = m_strip->GetUnit(i);
        const QRect r = unit.geometry();
        if (!r.intersects(visible)) continue;
        const QRect part = r.intersected(visible);
        painter.drawImage(part.translated(-shift), m_pictures.picture(unit), part.translated(-r.topLeft()));
    }
    m_marginTimer->start();
}

void FilmView::drawMargin() {
    if (!m_strip || !isVisible()) return;
    const auto [first, last] = unitsInView();
    if (first < 0) return;
    if (first > 0) m_pictures.picture(m_strip->GetUnit(first - 1));
    if (last + 1 < m_strip->count()) m_pictures.picture(m_strip->GetUnit(last + 1));
}

void FilmView::mousePressEvent(QMouseEvent* event) {
    const int index = event->button() == Qt::LeftButton ? unitAt(event->position().toPoint()) : -1;
    if (index >= 0) clickUnit(index);
    QAbstractScrollArea::mousePressEvent(event);
}

void FilmView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the two made the unit current, unless the user kept the one before.
    if (event->button() == Qt::LeftButton && m_strip) {
        const int index = unitAt(event->position().toPoint());
        if (index >= 0 && index == m_strip->currentIndex()) {
            emit unitEditRequested();
            return;
        }
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void FilmView::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_strip &&
        m_strip->currentIndex() >= 0) {
        emit unitEditRequested();
        event->accept();
        return;
    }
    const int index = plain && m_strip && m_strip->count() > 0 ? unitForKey(event->key()) : -1;
    if (index < 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (index != m_strip->currentIndex()) clickUnit(index);
    showWholeCurrent();
    event->accept();
}

void FilmView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // The list took the focus: its current unit is the item that has it.
    AnnounceCurrentUnit(this);
}

void FilmView::clickUnit(int index) {
    if (index == m_strip->currentIndex()) return;
    emit unitSelectionRequested(index);
}

int FilmView::unitForKey(int key) const {
    const int last = m_strip->count() - 1;
    const int current = m_strip->currentIndex();
    switch (key) {
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return last;
    case Qt::Key_Up:
    case Qt::Key_Left:
        return qMax(current - 1, 0);
    case Qt::Key_Down:
    case Qt::Key_Right:
        return qMin(current + 1, last);
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (current < 0) return 0;
        // The farthest unit, at least the neighbour, whose top lies within one view height of
        // the current one's.
        const int step = key == Qt::Key_PageDown ? 1 : -1;
        const int top = m_strip->GetUnit(current).top();
        const int height = viewport()->height();
        int index = qBound(0, current + step, last);
        while (index + step >= 0 && index + step <= last && qAbs(m_strip->GetUnit(index + step).top() - top) <= height)
            index += step;
        return index;
    }
    default:
        return -1;
    }
}

void FilmView::showWholeCurrent() {
    if (m_strip->currentIndex() < 0) return;
    updateScrollRanges();
    const QRect r = m_strip->GetUnit(m_strip->currentIndex()).geometry();
    QScrollBar* v = verticalScrollBar();
    const int height = viewport()->height();
    if (r.top() < v->value() || r.height() > height)
        v->setValue(r.top());
    else if (r.bottom() >= v->value() + height)
        v->setValue(r.bottom() - height + 1);
}

void FilmView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void FilmView::scrollContentsBy(int, int) {
    viewport()->update();
}

} // namespace quillet

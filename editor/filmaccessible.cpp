#include "filmaccessible.h"

#include "filmpanel.h"
#include "filmview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>

namespace quillet {

namespace {

const TFilmPanel* stripOf(const FilmView* view) {
    return view ? view->strip() : nullptr;
}

// The unit at `index` of the view's strip; it stays valid while the strip holds that many units.
class UnitItemAccessible : public QAccessibleInterface {
public:
    UnitItemAccessible(FilmView* view, int index) : m_view(view), m_index(index) {}

    bool isValid() const override {
        const TFilmPanel* strip = stripOf(m_view);
        return strip && m_index < strip->count();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QString();
        return FilmView::tr("单元 %1").arg(m_index + 1);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QRect rect() const override {
        if (!isValid()) return QRect();
        const QRect unit = m_view->strip()->GetUnit(m_index).geometry();
        const QPoint offset(m_view->horizontalScrollBar()->value(), m_view->verticalScrollBar()->value());
        const QWidget* viewport = m_view->viewport();
        return QRect(viewport->mapToGlobal(unit.topLeft() - offset), unit.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        const bool current = m_view->strip()->currentIndex() == m_index;
        s.selected = current;
        s.focused = current && m_view->hasFocus();
        const QRect unit = m_view->strip()->GetUnit(m_index).geometry();
        const QPoint offset(m_view->horizontalScrollBar()->value(), m_view->verticalScrollBar()->value());
        s.offscreen = !unit.translated(-offset).intersects(m_view->viewport()->rect());
        s.invisible = !m_view->isVisible();
        return s;
    }

private:
    QPointer<FilmView> m_view;
    int m_index;
};

// The film view as a list of its units. Item interfaces are made when first asked for, one per
// place in the strip (at most the unit limit), and live as long as the list.
class FilmListAccessible : public QAccessibleWidget {
public:
    explicit FilmListAccessible(FilmView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~FilmListAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_items))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        const TFilmPanel* strip = stripOf(view());
        return strip ? strip->count() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto found = m_items.constFind(index);
        if (found != m_items.constEnd()) return QAccessible::accessibleInterface(*found);
        auto* item = new UnitItemAccessible(view(), index);
        m_items.insert(index, QAccessible::registerAccessibleInterface(item));
        return item;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = m_items.constBegin(); it != m_items.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child) return it.key() < childCount() ? it.key() : -1;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = view()->unitAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const TFilmPanel* strip = stripOf(view());
        if (!strip || !view()->hasFocus() || strip->currentIndex() < 0) return nullptr;
        return child(strip->currentIndex());
    }

private:
    FilmView* view() const { return static_cast<FilmView*>(widget()); }

    mutable QHash<int, QAccessible::Id> m_items;
};

} // namespace

QAccessibleInterface* FilmAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(FilmView::staticMetaObject.className())) return nullptr;
    auto* view = qobject_cast<FilmView*>(object);
    return view ? new FilmListAccessible(view) : nullptr;
}

void AnnounceCurrentUnit(FilmView* view) {
    const TFilmPanel* strip = stripOf(view);
    if (!strip || strip->currentIndex() < 0) return;
    QAccessibleEvent selection(view, QAccessible::Selection);
    selection.setChild(strip->currentIndex());
    QAccessible::updateAccessibility(&selection);
    if (!view->hasFocus()) return;
    QAccessibleEvent focus(view, QAccessible::Focus);
    focus.setChild(strip->currentIndex());
    QAccessible::updateAccessibility(&focus);
}

void AnnounceUnitsChanged(FilmView* view) {
    QAccessibleEvent reorder(view, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
}

} // namespace quillet

#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace quillet {

class FilmView;

// The film strip as assistive technology sees it: a list (the film view) with one item per unit,
// named "单元 3" and so on, the current unit selected and, while the view has the focus, focused.

// The factory that gives a FilmView its list interface; installed once by the first film view.
QAccessibleInterface* FilmAccessibleFactory(const QString& className, QObject* object);
// Tells assistive technology that the unit now current is the list's selected item, and its
// focused one while the view has the focus.
void AnnounceCurrentUnit(FilmView* view);
// Tells assistive technology that the list's items changed: units were added, removed or moved.
void AnnounceUnitsChanged(FilmView* view);

} // namespace quillet

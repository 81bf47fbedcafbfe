#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <list>
#include <unordered_map>

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// The drawn pictures of units, for the views and exports that show them. A picture is drawn on
// request and kept while it is among the most recently used ones whose pictures fit in the budget
// together; it is drawn again (over the old one) once the unit changed (its revision grew). A unit
// whose picture was let go is simply drawn whole when asked for again. User-interface thread only
// (it prepares glyphs).
class UnitPictures {
public:
    // The default budget, 15 MiB, holds three full pictures (a unit of 80 full rows is 1244 x 983
    // pixels, 4.7 MiB): what the preview needs (the frame shown and the two after it), the cell
    // editor (its unit and both onion-skin neighbours), and the film view on a screen that shows
    // one unit with the one beyond either edge. A view that shows more raises the budget to what it
    // shows (setBudget). Smaller units take less, so more of them are kept. Each picture more would
    // cost 4.7 MiB of memory.
    static constexpr qsizetype kDefaultBudget = qsizetype(15) << 20;

    explicit UnitPictures(qsizetype budgetBytes = kDefaultBudget) : m_budget(budgetBytes) {}
    // Moving keeps the pictures. There is no copy: the index points into the object's own list.
    UnitPictures(UnitPictures&&) = default;
    UnitPictures& operator=(UnitPictures&&) = default;
    UnitPictures(const UnitPictures&) = delete;
    UnitPictures& operator=(const UnitPictures&) = delete;

    // The unit's picture as the unit stands now (Format_RGB32, width() x height()); it becomes the
    // most recently used. Drawing it lets the least recently used pictures go until the kept ones
    // fit in the budget together, the new one always kept. The reference stays valid until the
    // next call on this object.
    const QImage& picture(const TAnsiImage& unit);
    // The unit's picture without keeping it: the kept one when it is up to date, otherwise one drawn
    // for the caller alone; nothing kept changes, not even which was used last.
    QImage drawnPicture(const TAnsiImage& unit) const;
    // True when a picture of the unit as it stands now is kept: picture() will not draw.
    bool holds(const TAnsiImage& unit) const;
    // Brings the kept picture up to date after one change of the unit that touched only the text
    // and colours of `cells` (x columns, y rows), as TFilmPanel::EditCells without a change of
    // extent makes: when a picture is kept for the unit, has the unit's present size and was drawn
    // at the revision just before the present one, only those cells are drawn again, the picture
    // takes the present revision and the answer is true. Otherwise nothing happens (false), and the
    // next picture() call draws the whole unit. The caller vouches for what the change touched:
    // anything else changed in that one step (the frame, other cells) would not show.
    bool redrawCells(const TAnsiImage& unit, const QRect& cells);
    // Drops the pictures of every unit the strip does not hold.
    void retainOnly(const TFilmPanel& strip);
    // Sets the budget. Pictures that no longer fit are let go when the next one is drawn, so that
    // it can be drawn over the memory of one of them (least recently used first; the most recently
    // used one is always kept).
    void setBudget(qsizetype budgetBytes) { m_budget = budgetBytes; }
    qsizetype budget() const { return m_budget; }
    // Number of pictures kept.
    int size() const { return static_cast<int>(m_entries.size()); }
    // Bytes of pixels the kept pictures take; at most the budget once a picture has been drawn
    // since it was last set, or one picture when a single picture is larger.
    qsizetype bytes() const { return m_bytes; }

private:
    struct Entry {
        std::uint64_t id = 0;
        std::uint64_t revision = 0; // revisions start at 1: 0 is never drawn
        QImage picture;
    };
    using Entries = std::list<Entry>; // most recently used first

    // Lets the least recently used pictures go, all but the first, until `extra` more bytes fit in
    // the budget; the last one let go that has `reusable`'s size is returned to be drawn over (a
    // null picture when none; RenderUnit makes a new one where a caller still shares the pixels).
    QImage makeRoom(qsizetype extra, QSize reusable);
    void drop(Entries::iterator entry);

    qsizetype m_budget;
    qsizetype m_bytes = 0;
    Entries m_entries;
    std::unordered_map<std::uint64_t, Entries::iterator> m_byId;
};

} // namespace quillet

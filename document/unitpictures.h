#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <unordered_map>

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// The drawn pictures of units, for the views and exports that show them. A picture is drawn on
// first request and kept until the unit changes (its revision grows), then drawn again over the
// old one. Holds one picture per unit it was asked about, with no bound on their number: forget
// the units that are gone. User-interface thread only (it prepares glyphs).
class UnitPictures {
public:
    // The unit's picture as the unit stands now (Format_RGB32, width() x height()). The reference
    // stays valid until the next call on this object.
    const QImage& picture(const TAnsiImage& unit);
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
    // Number of pictures kept.
    int size() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        std::uint64_t revision = 0; // revisions start at 1: 0 is never drawn
        QImage picture;
    };
    std::unordered_map<std::uint64_t, Entry> m_entries; // by unit id
};

} // namespace quillet

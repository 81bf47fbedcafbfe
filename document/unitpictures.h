#pragma once

#include <QImage>

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

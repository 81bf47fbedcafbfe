#include "unitpictures.h"

#include "filmpanel.h"
#include "glyphcache.h"
#include "unitrender.h"

#include <unordered_set>

namespace quillet {

const QImage& UnitPictures::picture(const TAnsiImage& unit) {
    Entry& entry = m_entries[unit.id()];
    if (entry.revision != unit.revision()) {
        GlyphCache& cache = GlyphCache::instance();
        PrepareGlyphs(unit, cache);
        RenderUnit(unit, cache, entry.picture);
        entry.revision = unit.revision();
    }
    return entry.picture;
}

bool UnitPictures::redrawCells(const TAnsiImage& unit, const QRect& cells) {
    const auto found = m_entries.find(unit.id());
    if (found == m_entries.end()) return false;
    Entry& entry = found->second;
    if (entry.revision + 1 != unit.revision() || entry.picture.size() != QSize(unit.width(), unit.height()))
        return false;
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(unit, cache, cells);
    RenderCells(unit, cache, entry.picture, cells);
    entry.revision = unit.revision();
    return true;
}

void UnitPictures::retainOnly(const TFilmPanel& strip) {
    std::unordered_set<std::uint64_t> held;
    for (int i = 0; i < strip.count(); ++i)
        held.insert(strip.GetUnit(i).id());
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (held.count(it->first))
            ++it;
        else
            it = m_entries.erase(it);
    }
}

} // namespace quillet

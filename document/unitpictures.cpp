#include "unitpictures.h"

#include "filmpanel.h"
#include "glyphcache.h"
#include "unitrender.h"

#include <unordered_set>

namespace quillet {

const QImage& UnitPictures::picture(const TAnsiImage& unit) {
    auto found = m_byId.find(unit.id());
    if (found == m_byId.end()) {
        m_entries.push_front({unit.id(), 0, QImage()});
        m_byId.emplace(unit.id(), m_entries.begin());
    } else {
        m_entries.splice(m_entries.begin(), m_entries, found->second); // iterators stay valid
    }
    Entry& entry = m_entries.front();
    if (entry.revision == unit.revision()) return entry.picture;

    // A picture of Format_RGB32 takes 4 bytes a pixel, its rows without padding.
    const QSize size(unit.width(), unit.height());
    m_bytes -= entry.picture.sizeInBytes();
    QImage spare = makeRoom(qsizetype(size.width()) * size.height() * 4, size);
    // Drawing over a picture of the right size spares allocating and touching fresh memory.
    if (entry.picture.size() != size && !spare.isNull()) entry.picture = std::move(spare);
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(unit, cache);
    RenderUnit(unit, cache, entry.picture);
    entry.revision = unit.revision();
    m_bytes += entry.picture.sizeInBytes();
    return entry.picture;
}

QImage UnitPictures::drawnPicture(const TAnsiImage& unit) const {
    const auto found = m_byId.find(unit.id());
    if (found != m_byId.end() && found->second->revision == unit.revision()) return found->second->picture;
    return RenderUnitPicture(unit);
}

bool UnitPictures::holds(const TAnsiImage& unit) const {
    const auto found = m_byId.find(unit.id());
    return found != m_byId.end() && found->second->revision == unit.revision();
}

bool UnitPictures::redrawCells(const TAnsiImage& unit, const QRect& cells) {
    const auto found = m_byId.find(unit.id());
    if (found == m_byId.end()) return false;
    Entry& entry = *found->second;
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
        const auto next = std::next(it);
        if (!held.count(it->id)) drop(it);
        it = next;
    }
}

QImage UnitPictures::makeRoom(qsizetype extra, QSize reusable) {
    QImage spare;
    while (m_entries.size() > 1 && m_bytes + extra > m_budget) {
        const auto last = std::prev(m_entries.end());
        if (last->picture.size() == reusable) {
            m_bytes -= last->picture.sizeInBytes();
            spare = std::move(last->picture);
        }
        drop(last);
    }
    return spare;
}

void UnitPictures::drop(Entries::iterator entry) {
    m_bytes -= entry->picture.sizeInBytes();
    m_byId.erase(entry->id);
    m_entries.erase(entry);
}

} // namespace quillet

#include "colourindex.h"

namespace quillet {

ColourIndex::ColourIndex() {
    m_colours.reserve(kMaxColours);
}

std::size_t ColourIndex::find(std::uint32_t key) const {
    std::size_t slot = (key * 2654435761u) >> 22 & (kSlots - 1);
    while (m_slots[slot].key != key && m_slots[slot].key != kEmpty)
        slot = (slot + 1) & (kSlots - 1);
    return slot;
}

bool ColourIndex::add(const QImage& picture, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::uint32_t last = kEmpty;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const std::uint32_t key = row[x] & 0xFFFFFFu;
            if (key == last) continue;
            last = key;
            Slot& slot = m_slots[find(key)];
            if (slot.key == key) continue;
            if (m_colours.size() == kMaxColours) return false;
            slot.key = key;
            slot.index = static_cast<std::uint8_t>(m_colours.size());
            m_colours.push_back(key);
        }
    }
    return true;
}

} // namespace quillet

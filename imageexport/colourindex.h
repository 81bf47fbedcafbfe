#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

namespace quillet {

// The distinct colours of pictures, up to 256 of them, each with its index in the order first
// seen: a palette that holds them exactly. Alpha is ignored.
class ColourIndex {
public:
    static constexpr int kMaxColours = 256;

    ColourIndex();

    // Adds the colours of rect of picture (Format_RGB32). False, with colours() then incomplete,
    // once there are more than kMaxColours.
    bool add(const QImage& picture, const QRect& rect);
    // The palette, in the order the colours were first seen (0xRRGGBB each).
    const std::vector<QRgb>& colours() const { return m_colours; }
    // The index of a colour added before.
    std::uint8_t indexOf(QRgb colour) const { return m_slots[find(colour & 0xFFFFFFu)].index; }

private:
    struct Slot {
        std::uint32_t key = kEmpty;
        std::uint8_t index = 0;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu; // no 24-bit colour has this key
    static constexpr std::size_t kSlots = 1024;          // a power of two, four times the colours

    std::size_t find(std::uint32_t key) const;

    std::array<Slot, kSlots> m_slots;
    std::vector<QRgb> m_colours;
};

} // namespace quillet

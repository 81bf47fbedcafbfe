#pragma once

#include "ansicell.h"

#include <QColor>
#include <QRgb>

namespace quillet {

// The opaque pixel a TColor (0x00BBGGRR) shows. A system colour (negative) has no palette here
// and is taken by its low 24 bits; resolve it first where a palette is at hand.
inline QRgb RgbOf(TColor color) {
    const auto c = static_cast<std::uint32_t>(color);
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

inline QColor QColorOf(TColor color) { return QColor::fromRgb(RgbOf(color)); }

// The TColor of a pixel's red, green and blue.
inline TColor TColorOf(QRgb rgb) { return static_cast<TColor>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16)); }

} // namespace quillet

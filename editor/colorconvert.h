#pragma once

#include "ansicell.h"

#include <QColor>

namespace quillet {

// The colour a TColor (0x00BBGGRR) shows; the system-colour bit and the top byte are ignored.
inline QColor QColorOf(TColor color) {
    const auto v = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

} // namespace quillet

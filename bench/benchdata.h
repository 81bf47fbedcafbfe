#pragma once

#include "ansiimage.h"

#include <QFile>

#include <cstdlib>
#include <memory>

namespace quillet::bench {

// A full double-byte unit (100 x 80): every cell a GB2312 character, colours varied by cell.
// `seed` shifts the characters and colours so different units differ.
inline std::unique_ptr<TAnsiImage> fullDoubleUnit(int seed = 0) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(bmDoubleByte);
    unit->SetBackColor(0x000000);
    unit->SetFontColor(0xC0C0C0);
    unit->Clear();
    for (int r = 0; r < 80; ++r)
        for (int j = 0; j < 100; ++j) {
            const int i = r * 100 + j + seed * 131;
            TAnsiCell& c = unit->editCell(r, j);
            c.Chars[0] = static_cast<std::uint8_t>(0xB0 + (i / 94) % 40); // first-level characters
            c.Chars[1] = static_cast<std::uint8_t>(0xA1 + i % 94);
            c.FontColor = static_cast<TColor>((i * 2654435761u) & 0xFFFFFF);
            c.BackColor = static_cast<TColor>((i * 40503u + 0x123456) & 0xFFFFFF);
        }
    unit->setExtent(100, 80);
    unit->FitSize();
    return unit;
}

// A full single-byte unit (200 x 80): printable ASCII, colours varied by cell.
inline std::unique_ptr<TAnsiImage> fullSingleUnit() {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(bmSingleByte);
    unit->SetBackColor(0x000000);
    unit->SetFontColor(0xC0C0C0);
    unit->Clear();
    for (int r = 0; r < 80; ++r)
        for (int j = 0; j < 200; ++j) {
            const int i = r * 200 + j;
            TAnsiCell& c = unit->editCell(r, j);
            c.Chars[1] = static_cast<std::uint8_t>(0x21 + i % 94);
            c.FontColor = static_cast<TColor>((i * 2654435761u) & 0xFFFFFF);
            c.BackColor = static_cast<TColor>((i * 40503u + 0x123456) & 0xFFFFFF);
        }
    unit->setExtent(200, 80);
    unit->FitSize();
    return unit;
}

// A page template at path of `lines` comment lines and no script: what the page writer puts
// around the units costs the same whatever the template says.
inline void writeStubTemplate(const QString& path, int lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    for (int n = 1; n <= lines; ++n)
        file.write("// template line " + QByteArray::number(n) + "\r\n");
}

} // namespace quillet::bench

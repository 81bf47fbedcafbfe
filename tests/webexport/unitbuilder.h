#pragma once

#include "ansiimage.h"
#include "filmpanel.h"

#include <memory>
#include <vector>

namespace quillet::testunits {

// A cleared unit with the given extent, byte mode and default colours (no picture is drawn).
inline std::unique_ptr<TAnsiImage> MakeUnit(int cols, int rows, std::uint8_t byteMode, TColor fontColor,
                                            TColor backColor) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(byteMode);
    unit->SetFontColor(fontColor);
    unit->SetBackColor(backColor);
    unit->Clear();
    unit->setExtent(cols, rows);
    unit->FitSize();
    return unit;
}

// Appends MakeUnit's unit to the strip. The unit is handed back for the test to write cells into
// (PutText): cell text changes neither the unit's size nor the strip's layout.
inline TAnsiImage& AppendUnit(TFilmPanel& film, int cols, int rows, std::uint8_t byteMode, TColor fontColor,
                              TColor backColor) {
    auto unit = MakeUnit(cols, rows, byteMode, fontColor, backColor);
    TAnsiImage& added = *unit;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(std::move(unit));
    film.AppendUnits(std::move(units));
    return added;
}

// Writes text into row `row` from cell 0, one byte per cell (single-byte) or two (double-byte).
inline void PutText(TAnsiImage& unit, int row, const QByteArray& text) {
    const int step = unit.IsDoubleByte() ? 2 : 1;
    for (int i = 0, c = 0; i < text.size(); i += step, ++c) {
        TAnsiCell& cell = unit.editCell(row, c);
        if (step == 2) {
            cell.Chars[0] = static_cast<std::uint8_t>(text.at(i));
            cell.Chars[1] = i + 1 < text.size() ? static_cast<std::uint8_t>(text.at(i + 1)) : 0;
        } else {
            cell.Chars[1] = static_cast<std::uint8_t>(text.at(i));
        }
    }
}

} // namespace quillet::testunits

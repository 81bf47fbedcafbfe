#pragma once

#include "ansiimage.h"

#include <QByteArray>

#include <map>
#include <vector>

namespace quillet {

// A byte that opens a two-byte GBK character.
inline bool IsLeadByte(std::uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}

// One character of a row as the cell editor moves it: one or two GBK bytes and the colours of the
// cell it stands in.
struct RowChar {
    std::uint8_t bytes[2] = {' ', 0};
    bool wide = false;
    TColor font = 0;
    TColor back = 0;
};

// Cell writes gathered over one unit before they become one undo step. Reads see the writes made
// so far; writing past the extent grows it. Knows the grid's rules for GBK text in both byte
// modes: in a double-byte unit a cell holds one Chinese character (lead byte first) or up to two
// single-byte ones, and a row has 200 half-cell slots; in a single-byte unit a cell holds one
// byte, a Chinese character takes two adjacent cells, and a row has 200 slots, one per cell.
class PendingCells {
public:
    explicit PendingCells(const TAnsiImage& unit);

    bool doubleByte() const { return m_double; }
    // Cells a row may use: 100 in a double-byte unit, 200 otherwise.
    int maxCols() const { return m_double ? kGridCols / 2 : kGridCols; }
    int slotsPerCell() const { return m_double ? 2 : 1; }
    int maxSlots() const { return maxCols() * slotsPerCell(); }
    std::int32_t cols() const { return m_cols; }
    std::int32_t rows() const { return m_rows; }

    const TAnsiCell& cell(int row, int col) const;
    // Writes a cell; the extent grows to hold it.
    void set(int row, int col, const TAnsiCell& cell);
    // Writes a cell only when it lies in the extent.
    void setInExtent(int row, int col, const TAnsiCell& cell);

    // The slot where the character covering `slot` starts (a slot inside a double-byte character
    // belongs to it), and that character's width in slots.
    int charStart(int row, int slot) const;
    int charWidth(int row, int slot) const;
    // The character starting at the slot; a lone byte reads as itself.
    RowChar charAt(int row, int slot) const;
    // The characters of slots [from, to), which must start at a character; a double-byte character
    // crossing `to` reads as a space.
    std::vector<RowChar> chars(int row, int from, int to) const;
    // Places the characters from `slot` on, each after the one before, up to slot `end`: a Chinese
    // character in a double-byte unit starts at a cell's first half (the half skipped gets a space);
    // one that does not fit before `end` is dropped. The slots left up to `end` get spaces in the
    // colours `fill`. Returns the slot after the last character placed.
    int place(int row, int slot, const std::vector<RowChar>& text, int end, const RowChar& fill);
    // A double-byte character partly inside slots [from, to) of the row loses its outer half to a
    // space; call before overwriting slots, so no half character is left.
    void breakCharsAcross(int row, int from, int to);

    // The writes that change the unit, in grid order.
    std::vector<CellWrite> writes() const;

private:
    const TAnsiImage& m_unit;
    bool m_double;
    std::int32_t m_cols;
    std::int32_t m_rows;
    std::map<int, TAnsiCell> m_cells;
};

} // namespace quillet

#pragma once

#include "ansicell.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace quillet {

// The MIME type of Quillet's own clipboard payload of cells.
inline constexpr char kCellsMimeType[] = "application/x-quillet-cells";

// A rectangle of cells lifted out of a unit: characters and both colours of each, row after row.
struct CellBlock {
    int cols = 0;
    int rows = 0;
    bool doubleByte = false; // the byte mode of the unit the cells came from
    std::vector<TAnsiCell> cells; // cols * rows cells

    const TAnsiCell& at(int row, int col) const { return cells[static_cast<std::size_t>(row * cols + col)]; }
};

// The cells as clipboard bytes, little-endian: the magic "QLTCELLS", the version (1), the byte
// mode (1 double-byte, 2 single-byte) and three zero bytes, the width and height in cells, the
// cells (12 bytes each, as a record holds them), and last the CRC-32 of everything before it.
QByteArray EncodeCells(const CellBlock& block);
// The block in such bytes; nullopt for anything else: wrong magic, another version, a size out of
// the grid's range, truncated or longer bytes, a bad checksum. Reads nothing outside `bytes` and
// allocates only after the size has been checked.
std::optional<CellBlock> DecodeCells(const QByteArray& bytes);

} // namespace quillet

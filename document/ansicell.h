#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

namespace quillet {

// A colour as 0x00BBGGRR (red in the lowest byte); negative values are system-colour identifiers.
// Stored little-endian in every file.
using TColor = std::int32_t;

constexpr int kGridRows = 80;
constexpr int kGridCols = 200;
constexpr int kGridCells = kGridRows * kGridCols;

// One cell: two character bytes, two reserved bytes, text colour, background colour.
struct TAnsiCell {
    std::uint8_t Chars[2];
    std::uint8_t Reserved[2];
    TColor FontColor;
    TColor BackColor;
};
static_assert(sizeof(TAnsiCell) == 12, "a cell is 12 bytes on disk");

// The 80 x 200 grid, row after row; byte for byte the unit record of an animation file.
using TAnsiGrid = std::array<TAnsiCell, kGridCells>;

// A unit record is exactly the grid: 192000 bytes, no header.
constexpr int kRecordSize = 192000;
static_assert(sizeof(TAnsiGrid) == kRecordSize, "the grid is the record");
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "records are copied as they lie in memory");

// How a cell's two character bytes are used.
enum TByteMode : std::uint8_t {
    bmAuto = 0,       // not decided yet: decided on import or load
    bmDoubleByte = 1, // the cell shows Chars[0] Chars[1] (cut at a zero byte), 12 px wide
    bmSingleByte = 2, // the cell shows Chars[1] only, 6 px wide
};

// What GetCell returns: the first four bytes of the cell as one word, and its colours.
struct TCellInfo {
    std::uint32_t CharWord; // Chars[0] in the low byte, Chars[1] next, the reserved bytes above
    TColor FontColor;
    TColor BackColor;
};

} // namespace quillet

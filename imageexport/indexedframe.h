#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace quillet {

class ColourIndex;

// A rectangle of a frame as palette indices, row after row, with the palette they index.
struct IndexedRect {
    std::vector<std::uint8_t> indices;
    std::vector<QRgb> palette; // at most 256 colours; empty when the indices are a shared palette's
    bool reduced = false;      // the rectangle showed more colours than the palette holds
};

// The rectangle of picture (Format_RGB32) in indices of the shared palette, which must hold every
// colour the rectangle shows.
IndexedRect IndexInPalette(const QImage& picture, const QRect& rect, const ColourIndex& shared);

// The rectangle of picture with a palette of its own: its colours exactly when there are at most
// 256 (in increasing order), otherwise 256 colours that libimagequant chooses from the counts of
// the colours shown, each pixel taking the nearest of them (no dithering: a cell's colours stay
// flat). The same picture gives the same indices on any thread.
IndexedRect IndexWithOwnPalette(const QImage& picture, const QRect& rect);

} // namespace quillet

#pragma once

#include <QImage>
#include <QRect>

namespace quillet {

class GlyphCache;
class TAnsiImage;

// Drawing a unit's picture happens in two steps so that pictures may be drawn on several threads:
//
// 1. PrepareGlyphs, on the user-interface thread (the fonts live there): makes every glyph mask
//    the unit's cells show. It is the only step that changes the glyph cache.
// 2. RenderUnit, on any thread: draws the picture, reading the cache only. While no thread
//    prepares glyphs, several threads may render at once, each into its own picture; the units
//    they read must not change meanwhile.
//
// After a change to a few cells, RenderCells draws just those cells again over the picture, once
// PrepareGlyphs has made their glyphs.

// Where a picture puts its cells: cell (r, c) at x = kCellLeft + c * pitch, y = kCellTop +
// r * kCellHeight, the pitch two half cells in double-byte units and one otherwise.
constexpr int kCellLeft = 21;
constexpr int kCellTop = 11;
constexpr int kCellHeight = 12;
constexpr int kHalfCellWidth = 6;

// Makes the masks of every glyph the unit's drawn cells show. User-interface thread only.
void PrepareGlyphs(const TAnsiImage& unit, GlyphCache& cache);
// The same for the drawn cells among `cells` (x columns, y rows) only.
void PrepareGlyphs(const TAnsiImage& unit, GlyphCache& cache, const QRect& cells);

// Draws the unit's picture: the film frame (DrawFrame), then every cell of the extent that lies
// inside the background rectangle. The picture becomes Format_RGB32, width() x height(); one of
// that size and format that nobody shares is drawn over, otherwise a new one is made. Every glyph
// drawn must have been made by PrepareGlyphs on this cache.
void RenderUnit(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture);

// Draws again, over a picture RenderUnit drew at the unit's present size, the cells of `cells`
// (x columns, y rows) that RenderUnit draws; the rest of the picture stays as it is. Those cells
// then have the pixels a whole RenderUnit of the unit as it now stands gives them, so when only
// they changed since the picture was drawn, the picture is as RenderUnit would draw it now. A
// picture of another size or format is left as it is. Every glyph drawn must have been made by
// PrepareGlyphs (of these cells or the whole unit) on this cache.
void RenderCells(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture, const QRect& cells);

// The pixels of the unit's picture that RenderCells redraws for `cells`: the boxes of the drawn
// cells among them; empty when none is drawn.
QRect CellArea(const TAnsiImage& unit, const QRect& cells);

// Prepares the glyphs in the process's cache and draws a new picture. User-interface thread only.
QImage RenderUnitPicture(const TAnsiImage& unit);

} // namespace quillet

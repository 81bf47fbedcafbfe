#pragma once

#include <QImage>

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

// Makes the masks of every glyph the unit's drawn cells show. User-interface thread only.
void PrepareGlyphs(const TAnsiImage& unit, GlyphCache& cache);

// Draws the unit's picture: the film frame (DrawFrame), then every cell of the extent that lies
// inside the background rectangle. The picture becomes Format_RGB32, width() x height(); one of
// that size and format that nobody shares is drawn over, otherwise a new one is made. Every glyph
// drawn must have been made by PrepareGlyphs on this cache.
void RenderUnit(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture);

// Prepares the glyphs in the process's cache and draws a new picture. User-interface thread only.
QImage RenderUnitPicture(const TAnsiImage& unit);

} // namespace quillet

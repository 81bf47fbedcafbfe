#include "unitrender.h"

#include "ansiimage.h"

#include "colorconvert.h"
#include "glyphcache.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace quillet {

namespace {

constexpr int kHoleSize = 14;
constexpr std::size_t kHoleArea = std::size_t{kHoleSize} * kHoleSize;
constexpr int kHolePitch = 28;
constexpr QRgb kBlack = 0xFF000000;

// A new picture. A full unit's pixels are 5 MB and a strip holds 50 of them: on Linux a large
// picture is mapped with all its pages at once instead of taking a page fault every 4 KB.
QImage newPicture(int width, int height) {
#if defined(__linux__) && defined(MAP_POPULATE)
    constexpr std::size_t kHeader = 64; // keeps the mapping's length; pixels stay 64-byte aligned
    const std::size_t bytesPerLine = static_cast<std::size_t>(width) * sizeof(QRgb);
    const std::size_t length = kHeader + bytesPerLine * static_cast<std::size_t>(height);
    if (length >= (1u << 20)) {
        void* map = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (map != MAP_FAILED) {
            std::memcpy(map, &length, sizeof length);
            auto release = [](void* m) {
                std::size_t mapped = 0;
                std::memcpy(&mapped, m, sizeof mapped);
                munmap(m, mapped);
            };
            return QImage(static_cast<uchar*>(map) + kHeader, width, height, static_cast<qsizetype>(bytesPerLine),
                          QImage::Format_RGB32, release, map);
        }
    }
#endif
    return QImage(width, height, QImage::Format_RGB32);
}

// A sprocket hole as the painter draws an ellipse in a 14 x 14 box with a 1-pixel black outline
// inside the box: 0 outside, 1 outline, 2 fill.
const std::array<std::uint8_t, kHoleArea>& holeShape() {
    static const auto shape = [] {
        const QRgb outside = qRgb(0, 0, 255);
        QImage img(kHoleSize, kHoleSize, QImage::Format_RGB32);
        img.fill(outside);
        {
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 0));
            p.setBrush(Qt::white);
            p.drawEllipse(0, 0, kHoleSize - 1, kHoleSize - 1);
        }
        std::array<std::uint8_t, kHoleArea> s{};
        std::size_t i = 0;
        for (int y = 0; y < kHoleSize; ++y)
            for (int x = 0; x < kHoleSize; ++x) {
                const QRgb px = img.pixel(x, y);
                s[i++] = px == outside ? 0 : px == kBlack ? 1 : 2;
            }
        return s;
    }();
    return shape;
}

QRgb* line(QImage& img, int y) {
    return reinterpret_cast<QRgb*>(img.scanLine(y));
}

// Fills columns [x1, x2) of a scan line.
void span(QRgb* row, int x1, int x2, QRgb color) {
    if (x2 > x1) std::fill(row + x1, row + x2, color);
}

// The colours of the frame: page bands, background, holes.
struct FrameColours {
    QRgb page;
    QRgb back;
    QRgb hole;
};

// One whole scan line of the frame without its holes: black strips and outlines, then the page
// band or the background between them.
void frameRow(QRgb* row, int y, int w, int h, const FrameColours& colours) {
    span(row, 0, kCellLeft, kBlack);
    span(row, w - kCellLeft, w, kBlack);
    const bool outline = y == 0 || y == h - 1 || y == 10 || y == h - 11;
    const bool inBack = y > 10 && y < h - 11;
    span(row, kCellLeft, w - kCellLeft, outline ? kBlack : inBack ? colours.back : colours.page);
}

void drawHole(QImage& img, int left, int top, QRgb fill) {
    const auto& shape = holeShape();
    const int bottom = std::min(top + kHoleSize, img.height());
    for (int y = top; y < bottom; ++y) {
        QRgb* row = line(img, y) + left;
        const std::uint8_t* s = &shape[static_cast<std::size_t>(y - top) * kHoleSize];
        for (int x = 0; x < kHoleSize; ++x)
            if (s[x]) row[x] = s[x] == 1 ? kBlack : fill;
    }
}

void drawHoles(QImage& img, QRgb fill) {
    const int w = img.width();
    for (int k = 0; k <= img.height() / kHolePitch; ++k) {
        drawHole(img, 3, kHolePitch * k + 7, fill);
        drawHole(img, w - 3 - kHoleSize, kHolePitch * k + 7, fill);
    }
}

// Four pixels at a time: the text colour where the mask bit is set, the background elsewhere.
using Pixels4 = std::uint32_t __attribute__((vector_size(16)));

inline void select4(QRgb* out, std::uint32_t bits, Pixels4 lanes, Pixels4 bg, Pixels4 diff) {
    const Pixels4 b = Pixels4{} + bits;
    const auto set = reinterpret_cast<Pixels4>((b & lanes) == lanes);
    const Pixels4 px = bg ^ (diff & set);
    std::memcpy(out, &px, sizeof px);
}

// One cell's text box, `Wide` (12 pixels) or not (6): row by row, each pixel the text colour where
// the glyph is inked and the cell's background elsewhere. Branch-free.
template <bool Wide> void drawBox(QRgb* origin, qsizetype stride, const GlyphMask& mask, QRgb fg, QRgb bg) {
    const Pixels4 bgv = Pixels4{} + bg;
    const Pixels4 diff = Pixels4{} + (fg ^ bg);
    const Pixels4 lanes0{1, 2, 4, 8};
    const Pixels4 lanes1{16, 32, 64, 128};
    const Pixels4 lanes2{256, 512, 1024, 2048};
    for (int y = 0; y < GlyphMask::kSize; ++y) {
        QRgb* out = origin + y * stride;
        const std::uint32_t bits = mask.rows[y];
        select4(out, bits, lanes0, bgv, diff);
        if (Wide) {
            select4(out + 4, bits, lanes1, bgv, diff);
            select4(out + 8, bits, lanes2, bgv, diff);
        } else {
            out[4] = bg ^ ((fg ^ bg) & (0u - (bits >> 4 & 1u)));
            out[5] = bg ^ ((fg ^ bg) & (0u - (bits >> 5 & 1u)));
        }
    }
}

// Two single-byte cells side by side, each 6 pixels wide with its own colours, as 12 pixels a row.
void drawTwoBoxes(QRgb* origin, qsizetype stride, const GlyphMask& left, const GlyphMask& right, QRgb fgLeft,
                  QRgb bgLeft, QRgb fgRight, QRgb bgRight) {
    const QRgb diffLeft = fgLeft ^ bgLeft;
    const QRgb diffRight = fgRight ^ bgRight;
    const Pixels4 bg0 = Pixels4{} + bgLeft;
    const Pixels4 diff0 = Pixels4{} + diffLeft;
    const Pixels4 bg1{bgLeft, bgLeft, bgRight, bgRight};
    const Pixels4 diff1{diffLeft, diffLeft, diffRight, diffRight};
    const Pixels4 bg2 = Pixels4{} + bgRight;
    const Pixels4 diff2 = Pixels4{} + diffRight;
    for (int y = 0; y < GlyphMask::kSize; ++y) {
        QRgb* out = origin + y * stride;
        const std::uint32_t bits = (left.rows[y] & 0x3Fu) | (right.rows[y] & 0x3Fu) << 6;
        select4(out, bits, Pixels4{1, 2, 4, 8}, bg0, diff0);
        select4(out + 4, bits, Pixels4{16, 32, 64, 128}, bg1, diff1);
        select4(out + 8, bits, Pixels4{256, 512, 1024, 2048}, bg2, diff2);
    }
}

void fillBox(QRgb* origin, qsizetype stride, int width, QRgb colour) {
    for (int y = 0; y < GlyphMask::kSize; ++y)
        std::fill_n(origin + y * stride, width, colour);
}

constexpr GlyphCache::Key kNoText = GlyphCache::kKeyCount;

// What a cell shows, as a glyph key; kNoText when it draws nothing (a double-byte cell starting with 0).
GlyphCache::Key cellKey(const TAnsiCell& c, bool doubleByte) {
    if (!doubleByte) return GlyphCache::singleKey(c.Chars[1]);
    if (c.Chars[0] == 0) return kNoText;
    if (c.Chars[1] == 0) return GlyphCache::singleKey(c.Chars[0]);
    return GlyphCache::pairKey(c.Chars[0], c.Chars[1]);
}

void drawDoubleByteRow(const GlyphCache& cache, QRgb* origin, qsizetype stride, const GlyphCache::Key* keys,
                       const TAnsiCell* cells, int cols, QRgb back) {
    for (int j = 0; j < cols; ++j, origin += 12) {
        const GlyphCache::Key key = keys[j];
        if (key == kNoText) {
            fillBox(origin, stride, 12, back);
            continue;
        }
        const QRgb fg = RgbOf(cells[j].FontColor);
        const QRgb bg = RgbOf(cells[j].BackColor);
        if (key >= GlyphCache::kPairBase) {
            drawBox<true>(origin, stride, *cache.find(key), fg, bg);
        } else { // one byte shown: the rest of the cell is background
            drawBox<false>(origin, stride, *cache.find(key), fg, bg);
            fillBox(origin + 6, stride, 6, back);
        }
    }
}

void drawSingleByteRow(const GlyphCache& cache, QRgb* origin, qsizetype stride, const GlyphCache::Key* keys,
                       const TAnsiCell* cells, int cols) {
    int j = 0;
    for (; j + 1 < cols; j += 2, origin += 12)
        drawTwoBoxes(origin, stride, *cache.find(keys[j]), *cache.find(keys[j + 1]), RgbOf(cells[j].FontColor),
                     RgbOf(cells[j].BackColor), RgbOf(cells[j + 1].FontColor), RgbOf(cells[j + 1].BackColor));
    if (j < cols)
        drawBox<false>(origin, stride, *cache.find(keys[j]), RgbOf(cells[j].FontColor), RgbOf(cells[j].BackColor));
}

FrameColours frameColours(const TAnsiImage& unit) {
    return {RgbOf(unit.pageColor()), RgbOf(unit.backColor()), unit.selected() ? qRgb(255, 0, 0) : qRgb(255, 255, 255)};
}

// The frame alone, over the whole picture.
void DrawFrame(const TAnsiImage& unit, QImage& picture) {
    const int w = picture.width();
    const int h = picture.height();
    if (w < 44 || h < 23) { // no room for a frame; FitSize never makes a unit this small
        picture.fill(kBlack);
        return;
    }
    const FrameColours colours = frameColours(unit);
    for (int y = 0; y < h; ++y)
        frameRow(line(picture, y), y, w, h, colours);
    drawHoles(picture, colours.hole);
}

// The cells drawn: those of the extent that lie inside the background rectangle.
struct DrawnCells {
    int rows;
    int cols;
    int pitch; // pixels per cell
};

DrawnCells drawnCells(const TAnsiImage& unit, int w, int h) {
    const int pitch = unit.IsDoubleByte() ? 2 * kHalfCellWidth : kHalfCellWidth;
    if (w < 44 || h < 23) return {0, 0, pitch};
    return {std::clamp(std::min(unit.rows(), (h - 23) / kCellHeight), 0, kGridRows),
            std::clamp(std::min(unit.cols(), (w - 44) / pitch), 0, kGridCols), pitch};
}

// The part of `cells` (x columns, y rows) that a picture of w x h pixels draws.
QRect drawnPart(const TAnsiImage& unit, int w, int h, const QRect& cells) {
    const DrawnCells drawn = drawnCells(unit, w, h);
    return cells.intersected(QRect(0, 0, drawn.cols, drawn.rows));
}

// Draws each cell of `cells`, a part of the drawn extent, over its own box. Single-byte cells go
// in pairs from the rectangle's left column: a pair's 12 pixels are those of its two cells drawn
// one by one, so a part gives the pixels the whole does.
void drawCells(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture, const QRect& cells, QRgb back) {
    const bool doubleByte = unit.IsDoubleByte();
    const int pitch = doubleByte ? 2 * kHalfCellWidth : kHalfCellWidth;
    const int cols = cells.width();
    std::array<GlyphCache::Key, kGridCols> keys;
    for (int r = cells.top(); r < cells.top() + cells.height(); ++r) {
        const TAnsiCell* rowCells = &unit.cell(r, cells.left());
        for (int j = 0; j < cols; ++j)
            keys[static_cast<std::size_t>(j)] = cellKey(rowCells[j], doubleByte);
        QRgb* origin = line(picture, kCellTop + kCellHeight * r) + kCellLeft + pitch * cells.left();
        const qsizetype stride = picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)); // after any detach
        if (doubleByte)
            drawDoubleByteRow(cache, origin, stride, keys.data(), rowCells, cols, back);
        else
            drawSingleByteRow(cache, origin, stride, keys.data(), rowCells, cols);
    }
}

} // namespace

void PrepareGlyphs(const TAnsiImage& unit, GlyphCache& cache) {
    PrepareGlyphs(unit, cache, QRect(0, 0, kGridCols, kGridRows));
}

void PrepareGlyphs(const TAnsiImage& unit, GlyphCache& cache, const QRect& cells) {
    const QRect drawn = drawnPart(unit, std::max(unit.width(), 0), std::max(unit.height(), 0), cells);
    const bool doubleByte = unit.IsDoubleByte();
    std::vector<GlyphCache::Key> missing;
    for (int r = drawn.top(); r < drawn.top() + drawn.height(); ++r)
        for (int j = drawn.left(); j < drawn.left() + drawn.width(); ++j) {
            const GlyphCache::Key key = cellKey(unit.cell(r, j), doubleByte);
            if (key != kNoText && !cache.find(key)) missing.push_back(key);
        }
    cache.make(missing);
}

void RenderUnit(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture) {
    // Every pixel is drawn again, so a picture of the right size that nobody shares is reused.
    const QSize size(unit.width(), unit.height());
    if (picture.size() != size || picture.format() != QImage::Format_RGB32 || !picture.isDetached())
        picture = newPicture(std::max(size.width(), 0), std::max(size.height(), 0));
    const int w = picture.width();
    const int h = picture.height();
    if (w < 44 || h < 23) {
        DrawFrame(unit, picture);
        return;
    }

    const DrawnCells drawn = drawnCells(unit, w, h);
    const int rows = drawn.rows;
    const int cols = drawn.cols;
    const FrameColours colours = frameColours(unit);

    // The frame, except where cells are about to be drawn: each pixel is written once.
    const int textRight = kCellLeft + cols * drawn.pitch;
    const int textBottom = kCellTop + rows * kCellHeight;
    for (int y = 0; y < h; ++y) {
        QRgb* row = line(picture, y);
        if (y >= kCellTop && y < textBottom) {
            span(row, 0, kCellLeft, kBlack);
            span(row, textRight, w - kCellLeft, colours.back);
            span(row, w - kCellLeft, w, kBlack);
        } else {
            frameRow(row, y, w, h, colours);
        }
    }
    drawHoles(picture, colours.hole);
    drawCells(unit, cache, picture, QRect(0, 0, cols, rows), colours.back);
}

void RenderCells(const TAnsiImage& unit, const GlyphCache& cache, QImage& picture, const QRect& cells) {
    if (picture.size() != QSize(unit.width(), unit.height()) || picture.format() != QImage::Format_RGB32) return;
    const QRect drawn = drawnPart(unit, picture.width(), picture.height(), cells);
    if (!drawn.isEmpty()) drawCells(unit, cache, picture, drawn, RgbOf(unit.backColor()));
}

QRect CellArea(const TAnsiImage& unit, const QRect& cells) {
    const QRect drawn = drawnPart(unit, std::max(unit.width(), 0), std::max(unit.height(), 0), cells);
    if (drawn.isEmpty()) return QRect();
    const int pitch = unit.IsDoubleByte() ? 2 * kHalfCellWidth : kHalfCellWidth;
    return QRect(kCellLeft + pitch * drawn.left(), kCellTop + kCellHeight * drawn.top(), pitch * drawn.width(),
                 kCellHeight * drawn.height());
}

QImage RenderUnitPicture(const TAnsiImage& unit) {
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(unit, cache);
    QImage picture;
    RenderUnit(unit, cache, picture);
    return picture;
}

} // namespace quillet

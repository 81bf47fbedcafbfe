#include "ansiimage.h"
#include "glyphcache.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <vector>

namespace quillet {

namespace {

constexpr int kTextLeft = 21;
constexpr int kTextTop = 11;
constexpr int kRowPitch = 12;
constexpr int kHoleSize = 14;
constexpr int kHolePitch = 28;

// The document layer has no palette: a system colour (negative) is drawn with its low 24 bits.
QRgb toRgb(TColor color) {
    const auto c = static_cast<std::uint32_t>(color);
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// A sprocket hole as the painter draws an ellipse in a 14 x 14 box with a 1-pixel black outline
// inside the box: 0 outside, 1 outline, 2 fill.
const std::array<std::uint8_t, kHoleSize * kHoleSize>& holeShape() {
    static const auto shape = [] {
        QImage img(kHoleSize, kHoleSize, QImage::Format_RGB32);
        img.fill(qRgb(0, 0, 255));
        {
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 0));
            p.setBrush(Qt::white);
            p.drawEllipse(0, 0, kHoleSize - 1, kHoleSize - 1);
        }
        std::array<std::uint8_t, kHoleSize * kHoleSize> s{};
        for (int y = 0; y < kHoleSize; ++y)
            for (int x = 0; x < kHoleSize; ++x) {
                const QRgb px = img.pixel(x, y);
                s[static_cast<std::size_t>(y * kHoleSize + x)] = px == qRgb(0, 0, 255) ? 0
                                                                 : px == qRgb(0, 0, 0) ? 1
                                                                                       : 2;
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

void drawHole(QImage& img, int left, int top, QRgb fill) {
    const auto& shape = holeShape();
    const int bottom = std::min(top + kHoleSize, img.height());
    for (int y = top; y < bottom; ++y) {
        QRgb* row = line(img, y) + left;
        const std::uint8_t* s = &shape[static_cast<std::size_t>((y - top) * kHoleSize)];
        for (int x = 0; x < kHoleSize; ++x)
            if (s[x]) row[x] = s[x] == 1 ? qRgb(0, 0, 0) : fill;
    }
}

// One cell's text box: the background colour where the mask is 0, the text colour where it is set.
template <int BoxWidth> void drawBox(QRgb* origin, qsizetype stride, const GlyphMask& mask, QRgb fg, QRgb bg) {
    const QRgb diff = fg ^ bg;
    for (int y = 0; y < GlyphMask::kSize; ++y) {
        QRgb* out = origin + y * stride;
        const std::uint32_t* bits = mask.rows[y];
        for (int x = 0; x < BoxWidth; ++x)
            out[x] = bg ^ (diff & bits[x]);
    }
}

constexpr GlyphCache::Key kNoText = GlyphCache::kKeyCount;

// What a cell shows, as a glyph key; kNoText when it draws nothing (a double-byte cell starting with 0).
GlyphCache::Key cellKey(const TAnsiCell& c, bool doubleByte) {
    if (!doubleByte) return GlyphCache::singleKey(c.Chars[1]);
    if (c.Chars[0] == 0) return kNoText;
    if (c.Chars[1] == 0) return GlyphCache::singleKey(c.Chars[0]);
    return GlyphCache::pairKey(c.Chars[0], c.Chars[1]);
}

} // namespace

void TAnsiImage::DrawFrame() {
    const int w = Picture.width();
    const int h = Picture.height();
    if (w < 44 || h < 23) return; // no room for a frame; FitSize never makes a unit this small
    const QRgb black = qRgb(0, 0, 0);
    const QRgb page = toRgb(FPageColor);
    const QRgb back = toRgb(FBackColor);
    for (int y = 0; y < h; ++y) {
        QRgb* row = line(Picture, y);
        span(row, 0, 21, black);
        span(row, w - 21, w, black);
        const bool bandEdge = y == 0 || y == h - 1;
        const bool backEdge = y == 10 || y == h - 11;
        const bool inBack = y > 10 && y < h - 11;
        span(row, 21, w - 21, bandEdge || backEdge ? black : inBack ? back : page);
    }
    const QRgb hole = FSelected ? qRgb(255, 0, 0) : qRgb(255, 255, 255);
    for (int k = 0; k <= h / kHolePitch; ++k) {
        drawHole(Picture, 3, kHolePitch * k + 7, hole);
        drawHole(Picture, w - 3 - kHoleSize, kHolePitch * k + 7, hole);
    }
}

void TAnsiImage::Render() {
    // Every pixel is drawn again, so a picture of the right size that nobody shares is reused.
    if (Picture.size() != QSize(Width, Height) || Picture.format() != QImage::Format_RGB32 || !Picture.isDetached())
        Picture = QImage(std::max(Width, 0), std::max(Height, 0), QImage::Format_RGB32);
    if (Picture.isNull()) return;
    DrawFrame();

    const bool doubleByte = IsDoubleByte();
    const int pitch = doubleByte ? FCellSize : FCellSize / 2;
    // Only cells whose boxes lie inside the picture are drawn, whatever the extent says.
    const int rows = std::clamp(std::min(FRows, (Picture.height() - kTextTop) / kRowPitch), 0, kGridRows);
    const int cols =
        std::clamp(std::min(FCols, (Picture.width() - kTextLeft - (doubleByte ? 12 : 6)) / pitch + 1), 0, kGridCols);
    if (rows == 0 || cols == 0) return;

    GlyphCache& cache = GlyphCache::instance();
    static std::vector<GlyphCache::Key> keys;
    std::vector<GlyphCache::Key> missing;
    keys.resize(static_cast<std::size_t>(rows * cols));
    for (int r = 0; r < rows; ++r)
        for (int j = 0; j < cols; ++j) {
            const GlyphCache::Key key = cellKey(cell(r, j), doubleByte);
            keys[static_cast<std::size_t>(r * cols + j)] = key;
            if (key != kNoText && !cache.find(key)) missing.push_back(key);
        }
    cache.make(missing);

    const qsizetype stride = Picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (int r = 0; r < rows; ++r) {
        QRgb* rowOrigin = line(Picture, kTextTop + kRowPitch * r) + kTextLeft;
        for (int j = 0; j < cols; ++j) {
            const GlyphCache::Key key = keys[static_cast<std::size_t>(r * cols + j)];
            if (key == kNoText) continue;
            const TAnsiCell& c = cell(r, j);
            QRgb* origin = rowOrigin + pitch * j;
            if (key < GlyphCache::kPairBase)
                drawBox<6>(origin, stride, *cache.find(key), toRgb(c.FontColor), toRgb(c.BackColor));
            else
                drawBox<12>(origin, stride, *cache.find(key), toRgb(c.FontColor), toRgb(c.BackColor));
        }
    }
}

} // namespace quillet

#include "animationframes.h"

#include "ansiimage.h"
#include "filmpanel.h"
#include "glyphcache.h"
#include "inorder.h"
#include "pictureexport.h"
#include "unitrender.h"

#include <QIODevice>

#include <algorithm>
#include <climits>
#include <cstring>

namespace quillet {

std::vector<int> FrameOrder(int count, LoopMode loop) {
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        order.push_back(i);
    if (loop == LoopMode::PingPong) {
        for (int i = count - 2; i >= 1; --i)
            order.push_back(i);
    }
    return order;
}

std::vector<QImage> DrawTextAreas(const TFilmPanel& strip, const ExportControl& control) {
    GlyphCache& cache = GlyphCache::instance();
    for (int i = 0; i < strip.count(); ++i)
        PrepareGlyphs(strip.GetUnit(i), cache);
    const GlyphCache& glyphs = cache;
    std::vector<QImage> areas(static_cast<std::size_t>(strip.count()));
    RunInOrder<QImage>(
        strip.count(),
        [&](int i) { return DrawTextArea(strip.GetUnit(i), glyphs); },
        [&](int i, QImage& area) { areas[static_cast<std::size_t>(i)] = std::move(area); }, control);
    return areas;
}

std::vector<AnimationFrame> ComposeFrames(const std::vector<QImage>& textAreas, const std::vector<int>& durationsMs,
                                          QRgb background, LoopMode loop) {
    QSize canvas(0, 0);
    for (const QImage& area : textAreas)
        canvas = canvas.expandedTo(area.size());
    if (canvas.isEmpty()) return {};

    std::vector<QImage> pictures;
    pictures.reserve(textAreas.size());
    for (const QImage& area : textAreas) {
        if (area.size() == canvas && area.format() == QImage::Format_RGB32) {
            pictures.push_back(area);
            continue;
        }
        QImage picture(canvas, QImage::Format_RGB32);
        picture.fill(background);
        const QImage source = area.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y)
            std::memcpy(picture.scanLine(y), source.constScanLine(y), static_cast<std::size_t>(source.width()) * 4);
        pictures.push_back(std::move(picture));
    }

    std::vector<AnimationFrame> frames;
    for (const int i : FrameOrder(static_cast<int>(textAreas.size()), loop)) {
        const QImage& picture = pictures[static_cast<std::size_t>(i)];
        const int duration = durationsMs[static_cast<std::size_t>(i)];
        if (!frames.empty() && frames.back().image == picture) {
            frames.back().durationMs = static_cast<int>(
                std::min<long long>(INT_MAX, static_cast<long long>(frames.back().durationMs) + duration));
        } else {
            frames.push_back({picture, duration});
        }
    }
    return frames;
}

QRect ChangedRect(const QImage& before, const QImage& after) {
    const int width = after.width();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    auto rowDiffers = [&](int y) {
        return std::memcmp(before.constScanLine(y), after.constScanLine(y), rowBytes) != 0;
    };
    int top = 0;
    while (top < after.height() && !rowDiffers(top))
        ++top;
    if (top == after.height()) return {};
    int bottom = after.height() - 1;
    while (!rowDiffers(bottom))
        --bottom;
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        int x = 0;
        while (x < left && a[x] == b[x])
            ++x;
        left = std::min(left, x);
        int r = width - 1;
        while (r > right && a[r] == b[r])
            --r;
        right = std::max(right, r);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

std::vector<QRect> StoredRects(const std::vector<AnimationFrame>& frames) {
    std::vector<QRect> rects;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QRect changed = i == 0 ? frames[i].image.rect() : ChangedRect(frames[i - 1].image, frames[i].image);
        rects.push_back(changed.isEmpty() ? QRect(0, 0, 1, 1) : changed);
    }
    return rects;
}

QImage ScaledRegion(const QImage& picture, const QRect& rect, int scale) {
    QImage scaled(rect.width() * scale, rect.height() * scale, QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(picture.constScanLine(rect.top() + y)) + rect.left();
        auto* first = reinterpret_cast<QRgb*>(scaled.scanLine(y * scale));
        for (int x = 0; x < rect.width(); ++x)
            std::fill_n(first + x * scale, scale, source[x]);
        for (int copy = 1; copy < scale; ++copy)
            std::memcpy(scaled.scanLine(y * scale + copy), first, static_cast<std::size_t>(scaled.bytesPerLine()));
    }
    return scaled;
}

void WriteAll(QIODevice& out, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = out.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) throw AnimationError(out.errorString().toStdString());
        done += written;
    }
}

void CheckFrames(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, int maxSide) {
    if (frames.empty()) throw AnimationError("an animation needs at least one frame");
    if (options.scale < 1 || options.scale > 4) throw AnimationError("the scale is 1 to 4");
    const QSize size = frames.front().image.size();
    for (const AnimationFrame& frame : frames) {
        if (frame.image.size() != size || frame.image.format() != QImage::Format_RGB32)
            throw AnimationError("the frames of an animation are pictures of one size");
    }
    if (size.isEmpty() || size.width() > maxSide / options.scale || size.height() > maxSide / options.scale)
        throw AnimationError("the frames are larger than the format can hold");
}

} // namespace quillet

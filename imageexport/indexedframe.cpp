#include "indexedframe.h"

#include "animationwriter.h"
#include "colourindex.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace quillet {

namespace {

constexpr int kMaxColours = 256;

// How many pixels show each colour (0xRRGGBB), counted run by run along the rows.
std::unordered_map<QRgb, std::uint32_t> countColours(const QImage& picture, const QRect& rect) {
    std::unordered_map<QRgb, std::uint32_t> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = rect.left(); x <= rect.right();) {
            const QRgb colour = row[x];
            int end = x + 1;
            while (end <= rect.right() && row[end] == colour)
                ++end;
            counts[colour & 0xFFFFFFu] += static_cast<std::uint32_t>(end - x);
            x = end;
        }
    }
    return counts;
}

template <typename T, void (*Destroy)(T*)> struct LiqDeleter {
    void operator()(T* object) const { Destroy(object); }
};
using LiqAttr = std::unique_ptr<liq_attr, LiqDeleter<liq_attr, liq_attr_destroy>>;
using LiqHistogram = std::unique_ptr<liq_histogram, LiqDeleter<liq_histogram, liq_histogram_destroy>>;
using LiqImage = std::unique_ptr<liq_image, LiqDeleter<liq_image, liq_image_destroy>>;
using LiqResult = std::unique_ptr<liq_result, LiqDeleter<liq_result, liq_result_destroy>>;

liq_color liqColour(QRgb colour) {
    return {static_cast<unsigned char>(qRed(colour)), static_cast<unsigned char>(qGreen(colour)),
            static_cast<unsigned char>(qBlue(colour)), 255};
}

// 256 colours for the counted ones and, for each colour in order, the index of its nearest.
std::vector<std::uint8_t> reduce(const std::vector<QRgb>& colours,
                                 const std::unordered_map<QRgb, std::uint32_t>& counts, std::vector<QRgb>& palette) {
    const LiqAttr attr(liq_attr_create());
    if (!attr) throw AnimationError("GIF: out of memory");
    liq_set_max_colors(attr.get(), kMaxColours);
    liq_set_speed(attr.get(), 10);
    std::vector<liq_histogram_entry> entries;
    std::vector<liq_color> pixels;
    for (const QRgb colour : colours) {
        entries.push_back({liqColour(colour), counts.at(colour)});
        pixels.push_back(liqColour(colour));
    }
    const LiqHistogram histogram(liq_histogram_create(attr.get()));
    liq_result* raw = nullptr;
    if (!histogram ||
        liq_histogram_add_colors(histogram.get(), attr.get(), entries.data(), static_cast<int>(entries.size()), 0) !=
            LIQ_OK ||
        liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK)
        throw AnimationError("GIF: the colours could not be reduced");
    const LiqResult result(raw);
    liq_set_dithering_level(result.get(), 0);
    // The colours themselves, as a picture one pixel high, mapped to their nearest.
    const LiqImage image(liq_image_create_rgba(attr.get(), pixels.data(), static_cast<int>(pixels.size()), 1, 0));
    std::vector<std::uint8_t> nearest(pixels.size());
    if (!image || liq_write_remapped_image(result.get(), image.get(), nearest.data(), nearest.size()) != LIQ_OK)
        throw AnimationError("GIF: the colours could not be reduced");
    const liq_palette* chosen = liq_get_palette(result.get());
    for (unsigned i = 0; i < chosen->count; ++i)
        palette.push_back(qRgb(chosen->entries[i].r, chosen->entries[i].g, chosen->entries[i].b));
    return nearest;
}

} // namespace

IndexedRect IndexInPalette(const QImage& picture, const QRect& rect, const ColourIndex& shared) {
    IndexedRect result;
    result.indices.reserve(static_cast<std::size_t>(rect.width()) * static_cast<std::size_t>(rect.height()));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x)
            result.indices.push_back(shared.indexOf(row[x]));
    }
    return result;
}

IndexedRect IndexWithOwnPalette(const QImage& picture, const QRect& rect) {
    std::unordered_map<QRgb, std::uint32_t> counts = countColours(picture, rect);
    std::vector<QRgb> colours;
    colours.reserve(counts.size());
    for (const auto& entry : counts)
        colours.push_back(entry.first);
    std::sort(colours.begin(), colours.end());

    IndexedRect result;
    result.reduced = colours.size() > kMaxColours;
    std::vector<std::uint8_t> index(colours.size());
    if (result.reduced) {
        index = reduce(colours, counts, result.palette);
    } else {
        result.palette = colours;
        for (std::size_t i = 0; i < colours.size(); ++i)
            index[i] = static_cast<std::uint8_t>(i);
    }
    // From here on a colour's count is its index.
    for (std::size_t i = 0; i < colours.size(); ++i)
        counts[colours[i]] = index[i];

    result.indices.reserve(static_cast<std::size_t>(rect.width()) * static_cast<std::size_t>(rect.height()));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb last = 0;
        std::uint8_t lastIndex = 0;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (x == rect.left() || row[x] != last) {
                last = row[x];
                lastIndex = static_cast<std::uint8_t>(counts.find(last & 0xFFFFFFu)->second);
            }
            result.indices.push_back(lastIndex);
        }
    }
    return result;
}

} // namespace quillet

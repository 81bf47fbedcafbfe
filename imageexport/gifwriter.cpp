#include "gifwriter.h"

#include "animationframes.h"
#include "colourindex.h"
#include "indexedframe.h"
#include "inorder.h"
#include "rounding.h"

#include <QIODevice>

#include <gif_lib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace quillet {

namespace {

constexpr int kMaxSide = 65535;
constexpr int kMaxDelay = 65535; // hundredths of a second
constexpr int kShortestFullSpeedMs = 20;

// Where a giflib stream writes: a device, or bytes in memory.
struct GifSink {
    QIODevice* device = nullptr;
    QByteArray* bytes = nullptr;
    QString error;
};

int writeToSink(GifFileType* gif, const GifByteType* data, int length) {
    auto* sink = static_cast<GifSink*>(gif->UserData);
    if (sink->bytes) {
        sink->bytes->append(reinterpret_cast<const char*>(data), length);
        return length;
    }
    const qint64 written = sink->device->write(reinterpret_cast<const char*>(data), length);
    if (written != length && sink->error.isEmpty()) sink->error = sink->device->errorString();
    return static_cast<int>(std::max<qint64>(written, 0));
}

struct GifCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifStream = std::unique_ptr<GifFileType, GifCloser>;

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, MapDeleter>;

[[noreturn]] void fail(const GifSink& sink, int code) {
    if (!sink.error.isEmpty()) throw AnimationError(sink.error.toStdString());
    const char* text = GifErrorString(code);
    throw AnimationError(std::string("GIF: ") + (text ? text : "the encoder failed"));
}

void check(const GifSink& sink, GifFileType* gif, int result) {
    if (result == GIF_ERROR) fail(sink, gif->Error);
}

GifStream open(GifSink& sink) {
    int error = 0;
    GifStream gif(EGifOpen(&sink, writeToSink, &error));
    if (!gif) fail(sink, error);
    EGifSetGifVersion(gif.get(), true);
    return gif;
}

// A palette of 2, 4, ... 256 entries (giflib's sizes) holding the colours, the rest black.
ColourMap makeMap(const std::vector<QRgb>& colours) {
    int size = 2;
    while (size < static_cast<int>(colours.size()))
        size *= 2;
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = {static_cast<GifByteType>(qRed(colours[i])), static_cast<GifByteType>(qGreen(colours[i])),
                      static_cast<GifByteType>(qBlue(colours[i]))};
    ColourMap map(GifMakeMapObject(size, entries.data()));
    if (!map) throw AnimationError("GIF: out of memory");
    return map;
}

struct Layout {
    QSize screen;                     // the canvas at scale
    const ColorMapObject* globalMap;  // null when every frame has its own palette
    const ColourIndex* globalColours; // the same palette's colours
    int scale;
};

// One frame's blocks as they follow the screen descriptor: the graphic control extension, the
// image descriptor with the frame's own palette and the compressed indices. A stream of its own
// makes them, so that frames can be compressed at once on several threads.
QByteArray encodeFrame(const AnimationFrame& frame, const QRect& rect, const Layout& layout, bool& quantised) {
    const IndexedRect indexed = layout.globalColours ? IndexInPalette(frame.image, rect, *layout.globalColours)
                                                     : IndexWithOwnPalette(frame.image, rect);
    quantised = indexed.reduced;
    const ColourMap localMap = layout.globalMap ? ColourMap() : makeMap(indexed.palette);

    QByteArray bytes;
    GifSink sink;
    sink.bytes = &bytes;
    GifStream gif = open(sink);
    check(sink, gif.get(),
          EGifPutScreenDesc(gif.get(), layout.screen.width(), layout.screen.height(), 8, 0, layout.globalMap));
    const qsizetype start = bytes.size();

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime =
        static_cast<int>(std::clamp<std::int64_t>(divRoundHalfEven(frame.durationMs, 10), 0, kMaxDelay));
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    check(sink, gif.get(), EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension));

    const int scale = layout.scale;
    const int width = rect.width() * scale;
    check(sink, gif.get(),
          EGifPutImageDesc(gif.get(), rect.left() * scale, rect.top() * scale, width, rect.height() * scale, false,
                           localMap.get()));
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; y < rect.height(); ++y) {
        const std::uint8_t* row = indexed.indices.data() + static_cast<std::size_t>(y) * rect.width();
        for (int x = 0; x < rect.width(); ++x)
            std::fill_n(line.begin() + x * scale, scale, row[x]);
        for (int copy = 0; copy < scale; ++copy)
            check(sink, gif.get(), EGifPutLine(gif.get(), line.data(), width));
    }
    gif.reset(); // the trailer, which the animation's own stream writes once
    return bytes.mid(start, bytes.size() - start - 1);
}

void putLoopForever(const GifSink& sink, GifFileType* gif) {
    static const GifByteType kApplication[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kForever[] = {1, 0, 0}; // sub-block 1: the loop count, 16 bits, 0 = forever
    check(sink, gif, EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
    check(sink, gif, EGifPutExtensionBlock(gif, sizeof kApplication, kApplication));
    check(sink, gif, EGifPutExtensionBlock(gif, sizeof kForever, kForever));
    check(sink, gif, EGifPutExtensionTrailer(gif));
}

} // namespace

QStringList GifWriter::write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, QIODevice& out,
                             const ExportControl& control) const {
    CheckFrames(frames, options, kMaxSide);
    const int count = static_cast<int>(frames.size());
    const std::vector<QRect> rects = StoredRects(frames);
    ColourIndex global;
    bool shared = true;
    for (int i = 0; i < count && shared; ++i)
        shared = global.add(frames[i].image, rects[i]);
    const ColourMap globalMap = shared ? makeMap(global.colours()) : ColourMap();

    GifSink sink;
    sink.device = &out;
    GifStream gif = open(sink);
    const Layout layout{frames.front().image.size() * options.scale, globalMap.get(), shared ? &global : nullptr,
                        options.scale};
    check(sink, gif.get(),
          EGifPutScreenDesc(gif.get(), layout.screen.width(), layout.screen.height(), 8, 0, globalMap.get()));
    if (options.loop != LoopMode::Once) putLoopForever(sink, gif.get());

    bool quantised = false;
    RunInOrder<std::pair<QByteArray, bool>>(
        count,
        [&](int i) {
            std::pair<QByteArray, bool> encoded;
            encoded.first = encodeFrame(frames[i], rects[i], layout, encoded.second);
            return encoded;
        },
        [&](int i, std::pair<QByteArray, bool>& encoded) {
            WriteAll(out, encoded.first);
            quantised = quantised || encoded.second;
            control.report(i + 1, count);
        },
        control);
    int error = 0;
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) fail(sink, error);

    QStringList notices;
    if (quantised)
        notices << QStringLiteral("GIF: the frames show more than 256 colours; those with more were reduced to 256");
    const bool hasShortFrames = std::any_of(
        frames.begin(), frames.end(), [](const AnimationFrame& f) { return f.durationMs < kShortestFullSpeedMs; });
    if (hasShortFrames)
        notices << QStringLiteral("GIF: some frames last less than 20 ms; browsers show such frames more slowly");
    return notices;
}

} // namespace quillet

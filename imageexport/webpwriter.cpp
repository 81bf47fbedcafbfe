#include "webpwriter.h"

#include "animationframes.h"
#include "colourindex.h"
#include "inorder.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace quillet {

namespace {

constexpr int kMaxSide = 16383;
constexpr int kMaxDuration = 0xFFFFFF; // milliseconds: 24 bits in a frame's header

struct EncoderDeleter {
    void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};

[[noreturn]] void fail(WebPAnimEncoder* encoder) {
    const char* text = encoder ? WebPAnimEncoderGetError(encoder) : nullptr;
    throw AnimationError(std::string("WebP: ") + (text && *text ? text : "the encoder failed"));
}

// Lossless at the given effort (WebPConfigLosslessPreset's level).
WebPConfig losslessConfig(int level) {
    WebPConfig config;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, level)) fail(nullptr);
    config.exact = 1;
    return config;
}

// A frame of at most 256 colours is encoded at effort 1, where its palette makes it small at little
// cost (a sixth of the size at effort 0 for a page of text); one of more at effort 0, which takes a
// third of the time of effort 1 for 3% more bytes.
bool showsFewColours(const QImage& frame) {
    ColourIndex colours;
    return colours.add(frame, frame.rect());
}

} // namespace

QStringList WebpWriter::write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options,
                              QIODevice& out, const ExportControl& control) const {
    CheckFrames(frames, options, kMaxSide);
    const QSize size = frames.front().image.size() * options.scale;
    WebPAnimEncoderOptions encoderOptions;
    if (!WebPAnimEncoderOptionsInit(&encoderOptions)) fail(nullptr);
    encoderOptions.anim_params.loop_count = options.loop == LoopMode::Once ? 1 : 0;
    encoderOptions.allow_mixed = 0;
    encoderOptions.minimize_size = 0;
    const std::unique_ptr<WebPAnimEncoder, EncoderDeleter> encoder(
        WebPAnimEncoderNew(size.width(), size.height(), &encoderOptions));
    if (!encoder) fail(nullptr);
    WebPConfig paletteConfig = losslessConfig(1);
    WebPConfig plainConfig = losslessConfig(0);

    const int count = static_cast<int>(frames.size());
    long long timestamp = 0;
    struct Prepared {
        QImage image; // at scale
        bool fewColours = false;
    };
    RunInOrder<Prepared>(
        count,
        [&](int i) {
            const QImage& image = frames[i].image;
            return Prepared{options.scale == 1 ? image : ScaledRegion(image, image.rect(), options.scale),
                            showsFewColours(image)};
        },
        [&](int i, Prepared& prepared) {
            const QImage& image = prepared.image;
            WebPPicture picture;
            if (!WebPPictureInit(&picture)) fail(nullptr);
            picture.use_argb = 1;
            picture.width = image.width();
            picture.height = image.height();
            const std::unique_ptr<WebPPicture, void (*)(WebPPicture*)> owned(&picture, WebPPictureFree);
            if (!WebPPictureImportBGRA(&picture, image.constBits(), static_cast<int>(image.bytesPerLine())))
                throw AnimationError("WebP: out of memory");
            WebPConfig& config = prepared.fewColours ? paletteConfig : plainConfig;
            if (!WebPAnimEncoderAdd(encoder.get(), &picture, static_cast<int>(timestamp), &config)) fail(encoder.get());
            timestamp += std::clamp(frames[i].durationMs, 0, kMaxDuration);
            if (timestamp > INT_MAX) throw AnimationError("WebP: the animation is too long");
            control.report(i + 1, count);
        },
        control);
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(timestamp), nullptr)) fail(encoder.get());
    WebPData data;
    WebPDataInit(&data);
    const std::unique_ptr<WebPData, void (*)(WebPData*)> assembled(&data, WebPDataClear);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data)) fail(encoder.get());
    WriteAll(out,
             QByteArray::fromRawData(reinterpret_cast<const char*>(data.bytes), static_cast<qsizetype>(data.size)));
    return {};
}

} // namespace quillet

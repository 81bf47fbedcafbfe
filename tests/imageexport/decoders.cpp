#include "decoders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gif_lib.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace quillet::testdecoders {

namespace {

struct Reader {
    const QByteArray* bytes;
    qsizetype offset = 0;
};

int readGif(GifFileType* gif, GifByteType* data, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const auto n = static_cast<int>(std::min<qsizetype>(length, reader->bytes->size() - reader->offset));
    std::memcpy(data, reader->bytes->constData() + reader->offset, static_cast<std::size_t>(n));
    reader->offset += n;
    return n;
}

// -1 without a NETSCAPE2.0 block, otherwise its loop count.
int netscapeLoopCount(const SavedImage& image) {
    for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
        const ExtensionBlock& block = image.ExtensionBlocks[b];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
            const ExtensionBlock& data = image.ExtensionBlocks[b + 1];
            if (data.ByteCount == 3 && data.Bytes[0] == 1) return data.Bytes[1] | data.Bytes[2] << 8;
        }
    }
    return -1;
}

} // namespace

Decoded DecodeGif(const QByteArray& bytes) {
    Decoded decoded;
    Reader reader{&bytes};
    int error = 0;
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif(DGifOpen(&reader, readGif, &error),
                                                             [](GifFileType* g) { DGifCloseFile(g, nullptr); });
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) {
        decoded.error = QStringLiteral("DGifSlurp failed");
        return decoded;
    }
    QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& desc = image.ImageDesc;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        for (int y = 0; y < desc.Height; ++y)
            for (int x = 0; x < desc.Width; ++x) {
                const GifColorType c = map->Colors[image.RasterBits[y * desc.Width + x]];
                canvas.setPixel(desc.Left + x, desc.Top + y, qRgb(c.Red, c.Green, c.Blue));
            }
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif.get(), i, &control);
        decoded.keepsPrevious = decoded.keepsPrevious && control.DisposalMode == DISPOSE_DO_NOT;
        decoded.frames.push_back(canvas.copy());
        decoded.durationsMs.push_back(control.DelayTime * 10);
        decoded.storedRects.emplace_back(desc.Left, desc.Top, desc.Width, desc.Height);
    }
    const int loops = gif->ImageCount > 0 ? netscapeLoopCount(gif->SavedImages[0]) : -1;
    decoded.plays = loops < 0 ? 1 : loops == 0 ? 0 : loops + 1;
    return decoded;
}

Decoded DecodeWebp(const QByteArray& bytes) {
    Decoded decoded;
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
    std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(WebPAnimDecoderNew(&data, &options),
                                                                         WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) {
        decoded.error = QStringLiteral("WebPAnimDecoderNew failed");
        return decoded;
    }
    int previous = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp)) {
            decoded.error = QStringLiteral("WebPAnimDecoderGetNext failed");
            return decoded;
        }
        const QImage frame(pixels, static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height),
                           QImage::Format_ARGB32);
        decoded.frames.push_back(frame.convertToFormat(QImage::Format_RGB32));
        decoded.durationsMs.push_back(timestamp - previous);
        previous = timestamp;
    }
    decoded.plays = static_cast<int>(info.loop_count);
    return decoded;
}

Decoded DecodeApng(const QByteArray& bytes, const QString& folder) {
    Decoded decoded;
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("animation.png"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        decoded.error = QStringLiteral("cannot write ") + path;
        return decoded;
    }
    file.close();
    QProcess apngdis;
    apngdis.setWorkingDirectory(folder);
    apngdis.start(QStringLiteral("apngdis"), {path, QStringLiteral("frame")});
    if (!apngdis.waitForFinished(30000) || apngdis.exitStatus() != QProcess::NormalExit || apngdis.exitCode() != 0) {
        decoded.error =
            QStringLiteral("apngdis failed: ") + QString::fromUtf8(apngdis.readAll()) + apngdis.errorString();
        return decoded;
    }
    // apngdis names the frames frame1.png, frame2.png ... (padded to the count's digits), each
    // with a text file holding "delay=num/den".
    const QStringList names = QDir(folder).entryList({QStringLiteral("frame*.png")}, QDir::Files, QDir::Name);
    static const QRegularExpression delay(QStringLiteral("delay=(\\d+)/(\\d+)"));
    for (const QString& name : names) {
        decoded.frames.push_back(QImage(QDir(folder).filePath(name)).convertToFormat(QImage::Format_RGB32));
        QFile text(QDir(folder).filePath(name.chopped(4) + QStringLiteral(".txt")));
        const QRegularExpressionMatch match = text.open(QIODevice::ReadOnly)
                                                  ? delay.match(QString::fromLatin1(text.readAll()))
                                                  : QRegularExpressionMatch();
        if (!match.hasMatch()) {
            decoded.error = QStringLiteral("no delay for ") + name;
            return decoded;
        }
        const int den = match.captured(2).toInt() == 0 ? 100 : match.captured(2).toInt();
        decoded.durationsMs.push_back(match.captured(1).toInt() * 1000 / den);
    }
    const qsizetype actl = bytes.indexOf("acTL");
    if (actl < 0 || actl + 12 > bytes.size()) {
        decoded.error = QStringLiteral("no acTL chunk");
        return decoded;
    }
    const auto* plays = reinterpret_cast<const uchar*>(bytes.constData() + actl + 8);
    decoded.plays = plays[0] << 24 | plays[1] << 16 | plays[2] << 8 | plays[3];
    return decoded;
}

} // namespace quillet::testdecoders

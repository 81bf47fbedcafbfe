#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace quillet::testdecoders {

// An animation as a viewer shows it, read back by a decoder this project did not write: every
// frame composed on the whole canvas (Format_RGB32), how long each shows, and the loop count as
// the format's viewers read it (0 forever, otherwise the number of plays).
struct Decoded {
    std::vector<QImage> frames;
    std::vector<int> durationsMs;
    int plays = -1;
    QString error; // empty when decoding succeeded
    // GIF only: the rectangle each frame stored, and whether every frame kept the one before (disposal
    // "do not dispose").
    std::vector<QRect> storedRects;
    bool keepsPrevious = true;
};

// giflib's DGifSlurp; a GIF without the NETSCAPE2.0 extension plays once, with it count + 1 times.
Decoded DecodeGif(const QByteArray& bytes);
// libwebp's WebPAnimDecoder.
Decoded DecodeWebp(const QByteArray& bytes);
// The apngdis program on a copy of the bytes in folder; its frames and delays. The play count is
// the acTL chunk's num_plays, which apngdis does not report.
Decoded DecodeApng(const QByteArray& bytes, const QString& folder);

} // namespace quillet::testdecoders

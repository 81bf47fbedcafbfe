#include "apngwriter.h"

#include "animationframes.h"
#include "inorder.h"
#include "rounding.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace quillet {

namespace {

constexpr int kMaxSide = 1 << 24; // far beyond what a frame's pixels may take in memory
constexpr int kMaxPlainDelay = 65535;

void appendNumber(QByteArray& bytes, std::uint32_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        bytes.append(static_cast<char>(value >> shift & 0xFF));
}

// A chunk: length, type, data, and the CRC-32 of type and data.
QByteArray chunk(const char type[5], const QByteArray& data) {
    QByteArray bytes;
    bytes.reserve(data.size() + 12);
    appendNumber(bytes, static_cast<std::uint32_t>(data.size()), 4);
    bytes.append(type, 4);
    bytes.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(bytes.constData() + 4);
    appendNumber(bytes, static_cast<std::uint32_t>(crc32_z(0, checked, static_cast<z_size_t>(data.size() + 4))), 4);
    return bytes;
}

std::uint8_t paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// The row filtered the way whose bytes, read as signed, add up to the least (None, Sub, Up,
// Paeth): the filter byte, then the row.
void filterRow(const std::uint8_t* row, const std::uint8_t* above, int length, std::vector<std::uint8_t>& best,
               std::vector<std::uint8_t>& trial) {
    constexpr int kPixel = 3;
    long bestCost = -1;
    for (const std::uint8_t type : {0, 1, 2, 4}) {
        trial[0] = type;
        long cost = 0;
        for (int i = 0; i < length; ++i) {
            const int left = i >= kPixel ? row[i - kPixel] : 0;
            const int up = above[i];
            const int upLeft = i >= kPixel ? above[i - kPixel] : 0;
            const int predicted = type == 0 ? 0 : type == 1 ? left : type == 2 ? up : paeth(left, up, upLeft);
            const auto value = static_cast<std::uint8_t>(row[i] - predicted);
            trial[static_cast<std::size_t>(i) + 1] = value;
            cost += value < 128 ? value : 256 - value;
        }
        if (bestCost < 0 || cost < bestCost) {
            bestCost = cost;
            best.swap(trial);
        }
    }
}

// The frame's rectangle at scale as RGB rows, filtered and compressed into one zlib stream.
QByteArray compressRect(const QImage& frame, const QRect& rect, int scale) {
    const QImage scaled = ScaledRegion(frame, rect, scale);
    const int length = scaled.width() * 3;
    std::vector<std::uint8_t> above(static_cast<std::size_t>(length), 0);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(length));
    std::vector<std::uint8_t> best(static_cast<std::size_t>(length) + 1);
    std::vector<std::uint8_t> trial(best.size());

    z_stream stream{};
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) throw AnimationError("APNG: out of memory");
    QByteArray compressed;
    std::vector<Bytef> buffer(1 << 16);
    auto pump = [&](int flush) {
        int result = Z_OK;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&stream, flush);
            compressed.append(reinterpret_cast<const char*>(buffer.data()),
                              static_cast<qsizetype>(buffer.size() - stream.avail_out));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    };
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int x = 0; x < scaled.width(); ++x) {
            row[3 * static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(qRed(pixels[x]));
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<std::uint8_t>(qGreen(pixels[x]));
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<std::uint8_t>(qBlue(pixels[x]));
        }
        filterRow(row.data(), above.data(), length, best, trial);
        stream.next_in = best.data();
        stream.avail_in = static_cast<uInt>(best.size());
        pump(Z_NO_FLUSH);
        above.swap(row);
    }
    pump(Z_FINISH);
    deflateEnd(&stream);
    return compressed;
}

QByteArray header(const QSize& size, int frameCount, bool once) {
    QByteArray ihdr;
    appendNumber(ihdr, static_cast<std::uint32_t>(size.width()), 4);
    appendNumber(ihdr, static_cast<std::uint32_t>(size.height()), 4);
    ihdr.append("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, adaptive filters, no interlace
    QByteArray actl;
    appendNumber(actl, static_cast<std::uint32_t>(frameCount), 4);
    appendNumber(actl, once ? 1 : 0, 4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("acTL", actl);
}

// The frame control chunk and the data chunk of frame index; sequence numbers run over both.
QByteArray frameChunks(int index, const QRect& rect, int scale, int durationMs, const QByteArray& compressed) {
    const auto sequence = static_cast<std::uint32_t>(index == 0 ? 0 : 2 * index - 1);
    QByteArray control;
    appendNumber(control, sequence, 4);
    appendNumber(control, static_cast<std::uint32_t>(rect.width() * scale), 4);
    appendNumber(control, static_cast<std::uint32_t>(rect.height() * scale), 4);
    appendNumber(control, static_cast<std::uint32_t>(rect.left() * scale), 4);
    appendNumber(control, static_cast<std::uint32_t>(rect.top() * scale), 4);
    const auto [num, den] = ApngDelay(durationMs);
    appendNumber(control, num, 2);
    appendNumber(control, den, 2);
    control.append("\x00\x00", 2); // APNG_DISPOSE_OP_NONE, APNG_BLEND_OP_SOURCE
    if (index == 0) return chunk("fcTL", control) + chunk("IDAT", compressed);
    QByteArray data;
    appendNumber(data, sequence + 1, 4);
    data.append(compressed);
    return chunk("fcTL", control) + chunk("fdAT", data);
}

} // namespace

std::pair<std::uint16_t, std::uint16_t> ApngDelay(int durationMs) {
    const int ms = std::max(durationMs, 0);
    const int common = std::gcd(ms, 1000);
    if (ms / common <= kMaxPlainDelay)
        return {static_cast<std::uint16_t>(ms / common), static_cast<std::uint16_t>(1000 / common)};
    return {static_cast<std::uint16_t>(std::min<std::int64_t>(divRoundHalfEven(ms, 1000), kMaxPlainDelay)), 1};
}

QStringList ApngWriter::write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options,
                              QIODevice& out, const ExportControl& control) const {
    CheckFrames(frames, options, kMaxSide);
    const int count = static_cast<int>(frames.size());
    const std::vector<QRect> rects = StoredRects(frames);
    WriteAll(out, header(frames.front().image.size() * options.scale, count, options.loop == LoopMode::Once));
    RunInOrder<QByteArray>(
        count, [&](int i) { return compressRect(frames[i].image, rects[i], options.scale); },
        [&](int i, QByteArray& compressed) {
            WriteAll(out, frameChunks(i, rects[i], options.scale, frames[i].durationMs, compressed));
            control.report(i + 1, count);
        },
        control);
    WriteAll(out, chunk("IEND", QByteArray()));
    return {};
}

} // namespace quillet

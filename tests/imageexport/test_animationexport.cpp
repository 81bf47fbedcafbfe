// Animations written by each format's writer, read back by decoders this project did not write
// (giflib, libwebp, apngdis), against the picture export's pixels placed on the canvas.
#include "animationexport.h"
#include "animationframes.h"
#include "apngwriter.h"
#include "decoders.h"
#include "fileerror.h"
#include "gifwriter.h"
#include "pictureexport.h"
#include "unitbuilder.h"
#include "unitrender.h"
#include "webpwriter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <memory>

using namespace quillet;
using namespace quillet::testdecoders;
using quillet::testunits::AppendUnit;
using quillet::testunits::PutText;

namespace {

constexpr QRgb kPage = 0xFF336699;

struct Format {
    const char* name;
    std::function<std::unique_ptr<AnimationWriter>()> make;
    std::function<Decoded(const QByteArray&, const QString&)> decode;
    bool roundsToHundredths;
};

const std::vector<Format>& formats() {
    static const std::vector<Format> all = {
        {"GIF", [] { return std::make_unique<GifWriter>(); },
         [](const QByteArray& bytes, const QString&) { return DecodeGif(bytes); }, true},
        {"WebP", [] { return std::make_unique<WebpWriter>(); },
         [](const QByteArray& bytes, const QString&) { return DecodeWebp(bytes); }, false},
        {"APNG", [] { return std::make_unique<ApngWriter>(); }, DecodeApng, false},
    };
    return all;
}

// Three units: a single-byte page, the same page with one word changed, a double-byte page of
// another size and colours; the page colour shows where a unit is smaller than the canvas.
void fillDocument(TFilmPanel& strip) {
    TAnsiImage& first = AppendUnit(strip, 14, 4, bmSingleByte, 0x000000, 0xFFFFFF);
    PutText(first, 0, "Quillet frames");
    PutText(first, 2, "abc  xyz");
    TAnsiImage& second = AppendUnit(strip, 14, 4, bmSingleByte, 0x000000, 0xFFFFFF);
    PutText(second, 0, "Quillet frames");
    PutText(second, 2, "abc  XYZ");
    TAnsiImage& third = AppendUnit(strip, 5, 6, bmDoubleByte, 0x0000FF, 0x00FFFF);
    PutText(third, 1, "\xB6\xAF\xBB\xAD"); // 动画
    PutText(third, 4, "\xCE\xC4\xD7\xD6ok");
}

// A double-byte unit whose every cell has colours of its own: far more than 256 of them.
void fillColourfulDocument(TFilmPanel& strip) {
    TAnsiImage& many = AppendUnit(strip, 16, 10, bmDoubleByte, 0x000000, 0xFFFFFF);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 16; ++c) {
            TAnsiCell& cell = many.editCell(r, c);
            cell.Chars[0] = static_cast<std::uint8_t>(0xB0 + (r + c) % 20);
            cell.Chars[1] = static_cast<std::uint8_t>(0xA1 + (r * 16 + c) % 90);
            const auto i = static_cast<std::uint32_t>(r * 16 + c);
            cell.FontColor = static_cast<TColor>((i * 2654435761u) & 0xFFFFFF);
            cell.BackColor = static_cast<TColor>((i * 40503u + 0x123456) & 0xFFFFFF);
        }
    TAnsiImage& plain = AppendUnit(strip, 20, 3, bmSingleByte, 0xFFFFFF, 0x000080);
    PutText(plain, 1, "few colours");
}

// What the picture export writes for each unit: its text area of the unit's picture.
std::vector<QImage> pictureExport(const TFilmPanel& strip) {
    std::vector<QImage> pictures;
    for (int i = 0; i < strip.count(); ++i)
        pictures.push_back(RenderUnitPicture(strip.GetUnit(i)).copy(strip.GetUnit(i).TextArea()));
    return pictures;
}

// The picture on a canvas of the given size filled with the page colour, at its top left.
QImage onCanvas(const QImage& picture, const QSize& canvas) {
    QImage frame(canvas, QImage::Format_RGB32);
    frame.fill(kPage);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            frame.setPixel(x, y, picture.pixel(x, y));
    return frame;
}

std::vector<QImage> expectedFrames(const TFilmPanel& strip) {
    const std::vector<QImage> pictures = pictureExport(strip);
    QSize canvas(0, 0);
    for (const QImage& p : pictures)
        canvas = canvas.expandedTo(p.size());
    std::vector<QImage> frames;
    for (const QImage& p : pictures)
        frames.push_back(onCanvas(p, canvas));
    return frames;
}

// How many pixels of the decoded frame differ from the expected canvas at scale 1 by more than
// tolerance in some channel; sums every channel's difference into totalDifference.
long long differingPixels(const QImage& decoded, const QImage& expected, int scale, int tolerance,
                          double* totalDifference = nullptr) {
    if (decoded.size() != expected.size() * scale) return -1;
    long long differing = 0;
    for (int y = 0; y < decoded.height(); ++y) {
        const auto* got = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
        const auto* want = reinterpret_cast<const QRgb*>(expected.constScanLine(y / scale));
        for (int x = 0; x < decoded.width(); ++x) {
            const QRgb a = got[x];
            const QRgb b = want[x / scale];
            const int dr = std::abs(qRed(a) - qRed(b));
            const int dg = std::abs(qGreen(a) - qGreen(b));
            const int db = std::abs(qBlue(a) - qBlue(b));
            if (totalDifference) *totalDifference += dr + dg + db;
            if (std::max({dr, dg, db}) > tolerance) ++differing;
        }
    }
    return differing;
}

QByteArray writeToMemory(const AnimationWriter& writer, const std::vector<AnimationFrame>& frames,
                         const AnimationOptions& options, const ExportControl& control = {},
                         QStringList* notices = nullptr) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QStringList said = writer.write(frames, options, buffer, control);
    if (notices) *notices = said;
    return bytes;
}

class AnimationExportTest : public ::testing::Test {
protected:
    QTemporaryDir work;
};

TEST_F(AnimationExportTest, FrameOrderFollowsTheLoop) {
    struct Case {
        int count;
        LoopMode loop;
        std::vector<int> order;
    };
    const Case cases[] = {
        {0, LoopMode::Forever, {}},
        {3, LoopMode::Forever, {0, 1, 2}},
        {3, LoopMode::Once, {0, 1, 2}},
        {0, LoopMode::PingPong, {}},
        {1, LoopMode::PingPong, {0}},
        {2, LoopMode::PingPong, {0, 1}},
        {3, LoopMode::PingPong, {0, 1, 2, 1}},
        {5, LoopMode::PingPong, {0, 1, 2, 3, 4, 3, 2, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameOrder(c.count, c.loop), c.order) << c.count << " units, loop " << static_cast<int>(c.loop);
}

TEST_F(AnimationExportTest, FramesAreTextAreasOnTheCanvasAndRepeatsAreJoined) {
    TFilmPanel strip;
    fillDocument(strip);
    AppendUnit(strip, 0, 0, bmSingleByte, 0, 0xFFFFFF); // nothing to show: the page colour alone
    const std::vector<QImage> areas = DrawTextAreas(strip, {});
    ASSERT_EQ(areas.size(), 4u);
    std::vector<QImage> expected = expectedFrames(strip);
    expected.back() = QImage(expected.front().size(), QImage::Format_RGB32);
    expected.back().fill(kPage);

    // The first unit three times in a row, then the others: one frame for the three, for all their time.
    const std::vector<QImage> repeated = {areas[0], areas[0], areas[0], areas[1], areas[2], areas[3]};
    const std::vector<AnimationFrame> frames = ComposeFrames(repeated, {10, 20, 30, 40, 50, 60}, kPage, LoopMode::Once);
    ASSERT_EQ(frames.size(), 4u);
    const int units[] = {0, 1, 2, 3};
    const int durations[] = {60, 40, 50, 60};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].image.format(), QImage::Format_RGB32);
        EXPECT_EQ(differingPixels(frames[i].image, expected[units[i]], 1, 0), 0) << "frame " << i;
        EXPECT_EQ(frames[i].durationMs, durations[i]) << "frame " << i;
    }
    EXPECT_TRUE(ComposeFrames({areas[3]}, {100}, kPage, LoopMode::Forever).empty());
}

TEST_F(AnimationExportTest, ApngDelaysAreExactWhileTheyFit) {
    const std::pair<int, std::pair<int, int>> cases[] = {
        {0, {0, 1}},           {100, {1, 10}},   {125, {1, 8}},      {1005, {201, 200}},
        {65535, {13107, 200}}, {65537, {66, 1}}, {100000, {100, 1}}, {90000500, {65535, 1}},
    };
    for (const auto& [ms, delay] : cases) {
        const auto [num, den] = ApngDelay(ms);
        EXPECT_EQ(num, delay.first) << ms;
        EXPECT_EQ(den, delay.second) << ms;
    }
}

// Every format, loop and a scale above 1: the frames pixel for pixel, their order, durations and
// the loop count as the format's own decoder reads them.
TEST_F(AnimationExportTest, EveryFormatShowsThePictureExportsPixelsInLoopOrder) {
    TFilmPanel strip;
    fillDocument(strip);
    const std::vector<QImage> expected = expectedFrames(strip);
    const std::vector<int> unitDurations = {40, 125, 1005};
    const std::vector<AnimationFrame> forward =
        ComposeFrames(DrawTextAreas(strip, {}), unitDurations, kPage, LoopMode::Forever);
    const std::vector<AnimationFrame> pingPong =
        ComposeFrames(DrawTextAreas(strip, {}), unitDurations, kPage, LoopMode::PingPong);

    struct Loop {
        LoopMode mode;
        std::vector<int> units;
        int plays;
    };
    const Loop loops[] = {
        {LoopMode::Forever, {0, 1, 2}, 0}, {LoopMode::Once, {0, 1, 2}, 1}, {LoopMode::PingPong, {0, 1, 2, 1}, 0}};
    int run = 0;
    for (const Format& format : formats())
        for (const Loop& loop : loops)
            for (const int scale : {1, 3}) {
                SCOPED_TRACE(::testing::Message()
                             << format.name << " loop " << static_cast<int>(loop.mode) << " scale " << scale);
                const std::unique_ptr<AnimationWriter> writer = format.make();
                QStringList notices;
                const QByteArray bytes = writeToMemory(*writer, loop.mode == LoopMode::PingPong ? pingPong : forward,
                                                       {scale, loop.mode}, {}, &notices);
                EXPECT_TRUE(notices.isEmpty()) << notices.join('\n').toStdString();
                const Decoded decoded = format.decode(bytes, work.filePath(QString::number(run++)));
                ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
                EXPECT_EQ(decoded.plays, loop.plays);
                ASSERT_EQ(decoded.frames.size(), loop.units.size());
                for (std::size_t k = 0; k < loop.units.size(); ++k) {
                    const int unit = loop.units[k];
                    EXPECT_EQ(differingPixels(decoded.frames[k], expected[unit], scale, 0), 0) << "frame " << k;
                    const int ms = unitDurations[unit];
                    const int stored =
                        format.roundsToHundredths ? static_cast<int>(std::nearbyint(ms / 10.0)) * 10 : ms;
                    EXPECT_EQ(decoded.durationsMs[k], stored) << "frame " << k;
                }
                if (std::string(format.name) == "GIF") {
                    EXPECT_TRUE(decoded.keepsPrevious);
                    // The second unit differs from the first in one word: only that part is stored.
                    EXPECT_LT(decoded.storedRects[1].width() * decoded.storedRects[1].height(),
                              decoded.frames[1].width() * decoded.frames[1].height() / 4);
                }
            }
}

TEST_F(AnimationExportTest, ManyColoursAndShortFramesAreKeptExactlyOrTold) {
    TFilmPanel strip;
    fillColourfulDocument(strip);
    const std::vector<QImage> expected = expectedFrames(strip);
    const std::vector<QImage> areas = DrawTextAreas(strip, {});
    const GifWriter gif;

    // More than 256 colours: reduced, so the frames come close to the pictures but not exactly.
    // The other formats keep them exactly.
    QStringList notices;
    const std::vector<AnimationFrame> frames = ComposeFrames(areas, {100, 200}, kPage, LoopMode::Forever);
    for (const Format& format : formats()) {
        if (format.roundsToHundredths) continue;
        const std::unique_ptr<AnimationWriter> writer = format.make();
        const Decoded exact = format.decode(writeToMemory(*writer, frames, {2, LoopMode::Forever}),
                                            work.filePath(QStringLiteral("colourful-") + format.name));
        ASSERT_EQ(exact.frames.size(), 2u) << format.name;
        for (std::size_t k = 0; k < 2; ++k)
            EXPECT_EQ(differingPixels(exact.frames[k], expected[k], 2, 0), 0) << format.name << " frame " << k;
    }
    const QByteArray colourful = writeToMemory(gif, frames, {2, LoopMode::Forever}, {}, &notices);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("256"))) << notices[0].toStdString();
    const Decoded decoded = DecodeGif(colourful);
    ASSERT_EQ(decoded.frames.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        double total = 0;
        const long long far = differingPixels(decoded.frames[k], expected[k], 2, 48, &total);
        const double pixels = decoded.frames[k].width() * decoded.frames[k].height();
        EXPECT_LT(total / (3 * pixels), 6.0) << "frame " << k;
        EXPECT_LT(far, pixels / 100) << "frame " << k;
    }
    EXPECT_EQ(decoded.durationsMs, (std::vector<int>{100, 200}));

    // A frame shorter than 20 ms: kept as near as hundredths allow, and told. The other formats
    // keep it exactly and say nothing.
    const std::vector<AnimationFrame> quick =
        ComposeFrames({areas[1], areas[1].mirrored()}, {10, 15}, kPage, LoopMode::Forever);
    writeToMemory(gif, quick, {}, {}, &notices);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("20 ms"))) << notices[0].toStdString();
    for (const Format& format : formats()) {
        const std::unique_ptr<AnimationWriter> writer = format.make();
        const QByteArray bytes = writeToMemory(*writer, quick, {}, {}, &notices);
        EXPECT_EQ(notices.size(), format.roundsToHundredths ? 1 : 0) << format.name;
        const Decoded back = format.decode(bytes, work.filePath(QStringLiteral("quick-") + format.name));
        const std::vector<int> stored = format.roundsToHundredths ? std::vector<int>{10, 20} : std::vector<int>{10, 15};
        EXPECT_EQ(back.durationsMs, stored) << format.name;
    }
}

TEST_F(AnimationExportTest, BytesDoNotDependOnTheNumberOfThreads) {
    TFilmPanel strip;
    fillDocument(strip);
    fillColourfulDocument(strip);
    const std::vector<AnimationFrame> frames =
        ComposeFrames(DrawTextAreas(strip, {}), {30, 40, 50, 60, 70}, kPage, LoopMode::PingPong);
    for (const Format& format : formats()) {
        const std::unique_ptr<AnimationWriter> writer = format.make();
        ExportControl alone;
        alone.threads = 1;
        ExportControl many;
        many.threads = 3;
        EXPECT_EQ(writeToMemory(*writer, frames, {2, LoopMode::PingPong}, alone),
                  writeToMemory(*writer, frames, {2, LoopMode::PingPong}, many))
            << format.name;
    }
}

// The picture export's files, encoded on one thread and on three: the same bytes, in the strip's
// order, an empty unit without a file, each file the unit's text area.
TEST_F(AnimationExportTest, PicturesAreTheSameOnAnyNumberOfThreads) {
    TFilmPanel strip;
    fillDocument(strip);
    AppendUnit(strip, 0, 0, bmDoubleByte, 0x000000, 0xFFFFFF); // no extent: no picture
    fillColourfulDocument(strip);
    auto encode = [&](int threads) {
        ExportControl control;
        control.threads = threads;
        std::vector<QByteArray> files;
        EncodePictures(
            strip, [](int i) { return QString::number(i); },
            [&](int i, const QByteArray& png) {
                EXPECT_EQ(i, static_cast<int>(files.size()));
                files.push_back(png);
            },
            control);
        return files;
    };
    const std::vector<QByteArray> alone = encode(1);
    EXPECT_EQ(alone, encode(3));
    const std::vector<QImage> expected = pictureExport(strip);
    ASSERT_EQ(alone.size(), expected.size());
    for (std::size_t i = 0; i < alone.size(); ++i) {
        EXPECT_EQ(alone[i].isEmpty(), expected[i].isNull()) << i;
        if (!expected[i].isNull()) {
            EXPECT_EQ(QImage::fromData(alone[i], "png").convertToFormat(QImage::Format_RGB32), expected[i]) << i;
        }
    }
}

// A cancelled or failed export leaves no file and keeps the one that was there.
TEST_F(AnimationExportTest, CancelledOrFailedExportLeavesNoFile) {
    TFilmPanel strip;
    fillDocument(strip);
    const std::vector<AnimationFrame> frames =
        ComposeFrames(DrawTextAreas(strip, {}), {30, 40, 50}, kPage, LoopMode::PingPong);
    for (const Format& format : formats()) {
        SCOPED_TRACE(format.name);
        const std::unique_ptr<AnimationWriter> writer = format.make();
        const QString folder = work.filePath(QString::fromLatin1(format.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString existing = folder + QStringLiteral("/old.") + writer->fileExtension();
        {
            QFile file(existing);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("old animation");
        }
        std::atomic<bool> cancel{false};
        int reported = 0;
        ExportControl control;
        control.cancel = &cancel;
        control.progress = [&](int done, int total) {
            reported = done;
            EXPECT_EQ(total, 4);
            if (done == 2) cancel = true;
        };
        for (const QString& path : {existing, folder + QStringLiteral("/new.") + writer->fileExtension()})
            EXPECT_THROW(SaveAnimation(*writer, frames, {1, LoopMode::PingPong}, path, control), ExportCancelled);
        EXPECT_EQ(reported, 2);
        EXPECT_THROW(SaveAnimation(*writer, {}, {}, existing, {}), FileError);

        const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_EQ(left, QStringList{QStringLiteral("old.") + writer->fileExtension()});
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("old animation"));

        // Not cancelled, the same call replaces the file with the animation.
        cancel = false;
        control.progress = {};
        SaveAnimation(*writer, frames, {1, LoopMode::PingPong}, existing, control);
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(format.decode(file.readAll(), folder + QStringLiteral("/decoded")).frames.size(), 4u);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

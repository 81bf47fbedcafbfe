// Rendering a unit: the glyph-mask renderer against a reference that makes one QPainter::drawText
// call per cell with the same font; drawing one cell or a run of 8 again over a full unit's
// picture, as a keystroke or brush step does, against the whole render; and appending 50 full
// units to a film strip and drawing their pictures with a cold cache.
#include "animationfile.h"
#include "ansiimage.h"
#include "benchdata.h"
#include "benchmain.h"
#include "filmpanel.h"
#include "glyphcache.h"
#include "unitpictures.h"
#include "unitrender.h"

#include <QGuiApplication>
#include <QPainter>
#include <QStringDecoder>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace quillet;
using quillet::bench::fullDoubleUnit;
using quillet::bench::fullSingleUnit;

namespace {

QColor colour(TColor c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// The straightforward renderer: the frame with QPainter, then per cell a filled box and one drawText
// of the cell's decoded bytes, clipped to the box.
void renderReference(const TAnsiImage& unit, QImage& picture, QStringDecoder& gbk) {
    picture = QImage(unit.width(), unit.height(), QImage::Format_RGB32);
    QPainter p(&picture);
    p.setPen(QPen(Qt::black, 0));
    const int w = unit.width();
    const int h = unit.height();
    p.setBrush(Qt::black);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setBrush(colour(unit.pageColor()));
    p.drawRect(20, 0, w - 41, h - 1);
    p.setBrush(colour(unit.backColor()));
    p.drawRect(20, 10, w - 41, h - 21);
    p.setBrush(unit.selected() ? QColor(255, 0, 0) : QColor(255, 255, 255));
    for (int k = 0; k <= h / 28; ++k) {
        p.drawEllipse(3, 28 * k + 7, 13, 13);
        p.drawEllipse(w - 17, 28 * k + 7, 13, 13);
    }
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei Sharp")});
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    const int pitch = unit.IsDoubleByte() ? 12 : 6;
    for (int r = 0; r < unit.rows(); ++r)
        for (int j = 0; j < unit.cols(); ++j) {
            const QByteArray text = unit.CellText(r, j);
            if (text.isEmpty()) continue;
            const TAnsiCell& c = unit.cell(r, j);
            const QRect box(21 + pitch * j, 11 + 12 * r, 6 * static_cast<int>(text.size()), 12);
            p.setClipRect(box);
            p.fillRect(box, colour(c.BackColor));
            p.setPen(colour(c.FontColor));
            p.drawText(box.x(), box.y() + ascent, gbk.decode(text));
        }
}

// Appends the records and draws every unit's picture once through the picture cache, as opening a
// file and scrolling through it does (the cache keeps the latest few and draws over those it lets go).
void openAndDraw(TFilmPanel& strip, UnitPictures& pictures, const AnimationRecords& records) {
    AppendRecords(strip, records);
    for (int i = 0; i < strip.count(); ++i)
        benchmark::DoNotOptimize(pictures.picture(strip.GetUnit(i)).constBits());
}

AnimationRecords fiftyRecords() {
    AnimationRecords records;
    for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
        records.records.append(fullDoubleUnit(u)->SaveToRecord());
    records.wholeRecords = records.records.size();
    return records;
}

// The first append in the process: the glyph cache and Qt's own font caches are empty. Registered
// first so it runs first; one iteration, since only the first is fresh.
void BM_AppendFiftyUnitsFreshProcess(benchmark::State& state) {
    const AnimationRecords records = fiftyRecords();
    for (auto _ : state) {
        auto strip = std::make_unique<TFilmPanel>();
        auto pictures = std::make_unique<UnitPictures>();
        openAndDraw(*strip, *pictures, records);
        state.PauseTiming(); // releasing the strip is not part of opening
        pictures.reset();
        strip.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AppendFiftyUnitsFreshProcess)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RenderDouble(benchmark::State& state) {
    auto unit = fullDoubleUnit();
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(*unit, cache);
    QImage picture;
    for (auto _ : state) {
        RenderUnit(*unit, cache, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_RenderDouble)->Unit(benchmark::kMicrosecond);

void BM_RenderDoubleReference(benchmark::State& state) {
    auto unit = fullDoubleUnit();
    QImage picture;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    for (auto _ : state) {
        renderReference(*unit, picture, gbk);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_RenderDoubleReference)->Unit(benchmark::kMicrosecond);

void BM_RenderSingle(benchmark::State& state) {
    auto unit = fullSingleUnit();
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(*unit, cache);
    QImage picture;
    for (auto _ : state) {
        RenderUnit(*unit, cache, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_RenderSingle)->Unit(benchmark::kMicrosecond);

void BM_RenderSingleReference(benchmark::State& state) {
    auto unit = fullSingleUnit();
    QImage picture;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    for (auto _ : state) {
        renderReference(*unit, picture, gbk);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_RenderSingleReference)->Unit(benchmark::kMicrosecond);

// One cell (Arg 1) or a run of 8 cells along a row (Arg 8) drawn again in a full unit's picture, as
// after a keystroke or a brush step; BM_RenderDouble and BM_RenderSingle are the whole unit.
void renderCells(benchmark::State& state, const TAnsiImage& unit) {
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(unit, cache);
    QImage picture;
    RenderUnit(unit, cache, picture);
    const QRect cells(41, 37, static_cast<int>(state.range(0)), 1);
    for (auto _ : state) {
        RenderCells(unit, cache, picture, cells);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_RenderCellsDouble(benchmark::State& state) {
    renderCells(state, *fullDoubleUnit());
}
BENCHMARK(BM_RenderCellsDouble)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_RenderCellsSingle(benchmark::State& state) {
    renderCells(state, *fullSingleUnit());
}
BENCHMARK(BM_RenderCellsSingle)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

// 50 full double-byte units of different characters (3760 glyphs) appended from records and each
// drawn once, as opening a file and scrolling through it does. The glyph cache starts empty every time.
void BM_AppendFiftyUnitsColdCache(benchmark::State& state) {
    const AnimationRecords records = fiftyRecords();
    for (auto _ : state) {
        state.PauseTiming();
        GlyphCache::instance().clear();
        auto strip = std::make_unique<TFilmPanel>();
        auto pictures = std::make_unique<UnitPictures>();
        state.ResumeTiming();
        openAndDraw(*strip, *pictures, records);
        state.PauseTiming();
        pictures.reset();
        strip.reset();
        state.ResumeTiming();
    }
    state.counters["glyphs"] = GlyphCache::instance().size();
}
BENCHMARK(BM_AppendFiftyUnitsColdCache)->Unit(benchmark::kMillisecond);

// Baseline for the append: the memory alone. Fifty fresh pictures of a full unit, each written once,
// with nothing drawn.
void BM_FiftyFreshPicturesBaseline(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<QImage> pictures;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u) {
            pictures.emplace_back(1244, 983, QImage::Format_RGB32);
            pictures.back().fill(0xFF000000u + static_cast<unsigned>(u));
        }
        benchmark::DoNotOptimize(pictures.data());
        state.PauseTiming();
        pictures.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FiftyFreshPicturesBaseline)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    return quillet::bench::runBenchmarks(argc, argv);
}

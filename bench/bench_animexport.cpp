// Exporting 50 full double-byte units (every cell its own colours) as animations at scale 1: GIF,
// lossless WebP and APNG, each written to a file on the wall clock, with the file's size. The
// baseline in the same run is the page of the same document (the page writer), its time and size.
// Drawing the frames is measured on its own: every export starts from the same drawn frames.
#include "animationexport.h"
#include "animationframes.h"
#include "apngwriter.h"
#include "benchdata.h"
#include "filmpanel.h"
#include "gifwriter.h"
#include "pagewriter.h"
#include "webpwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace quillet;

namespace {

constexpr QRgb kPage = 0xFFFFFFFF;
constexpr int kSpeedMs = 100;

struct Document {
    QTemporaryDir dir;
    TFilmPanel strip;
    std::vector<AnimationFrame> frames;

    Document() {
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
            units.push_back(quillet::bench::fullDoubleUnit(u));
        strip.AppendUnits(std::move(units));
        frames = composeFrames();
    }

    std::vector<AnimationFrame> composeFrames() const {
        const std::vector<QImage> areas = DrawTextAreas(strip, {});
        return ComposeFrames(areas, std::vector<int>(areas.size(), kSpeedMs), kPage, LoopMode::Forever);
    }
};

Document& document() {
    static Document d;
    return d;
}

void BM_DrawFrames(benchmark::State& state) {
    Document& d = document();
    for (auto _ : state)
        benchmark::DoNotOptimize(d.composeFrames());
}
BENCHMARK(BM_DrawFrames)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void exportAnimation(benchmark::State& state, const AnimationWriter& writer) {
    Document& d = document();
    const QString path = d.dir.filePath(QStringLiteral("animation.") + writer.fileExtension());
    for (auto _ : state)
        SaveAnimation(writer, d.frames, {1, LoopMode::Forever}, path, {});
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    state.counters["frames"] = static_cast<double>(d.frames.size());
}

void BM_ExportGif(benchmark::State& state) {
    exportAnimation(state, GifWriter());
}
BENCHMARK(BM_ExportGif)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportWebp(benchmark::State& state) {
    exportAnimation(state, WebpWriter());
}
BENCHMARK(BM_ExportWebp)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportApng(benchmark::State& state) {
    exportAnimation(state, ApngWriter());
}
BENCHMARK(BM_ExportApng)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportPage(benchmark::State& state) {
    Document& d = document();
    const QString script = d.dir.filePath(QStringLiteral("Script.txt"));
    QFile templateFile(script);
    if (!templateFile.open(QIODevice::WriteOnly)) std::abort();
    for (int n = 1; n <= THtmFP::kTemplateLines; ++n)
        templateFile.write("// template line " + QByteArray::number(n) + "\r\n");
    templateFile.close();
    THtmFP writer(script);
    PageOptions options;
    options.speed = kSpeedMs;
    options.backColorHex = "FFFFFF";
    options.fontColorHex = "000000";
    const QString path = d.dir.filePath(QStringLiteral("page.htm"));
    for (auto _ : state)
        writer.WritePage(d.strip, options, path);
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ExportPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Exporting 50 full double-byte units (every cell its own colours) as one PNG per unit and as
// animations at scale 1: GIF, lossless WebP and APNG, each written on the wall clock, with the
// files' size; the PNGs, GIF and APNG on one thread and on every processor (WebP encodes on one). The
// baseline in the same run is the page of the same document (the page writer), its time and size.
// Drawing the frames is measured on its own: every export starts from the same drawn frames.
#include "animationexport.h"
#include "animationframes.h"
#include "apngwriter.h"
#include "benchdata.h"
#include "benchmain.h"
#include "filmpanel.h"
#include "gifwriter.h"
#include "pagewriter.h"
#include "pictureexport.h"
#include "savefile.h"
#include "webpwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>


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

// The argument is the number of threads that may encode at once; 0 is one per processor.
ExportControl threads(const benchmark::State& state) {
    ExportControl control;
    control.threads = static_cast<int>(state.range(0));
    return control;
}

void exportAnimation(benchmark::State& state, const AnimationWriter& writer) {
    Document& d = document();
    const QString path = d.dir.filePath(QStringLiteral("animation.") + writer.fileExtension());
    for (auto _ : state)
        SaveAnimation(writer, d.frames, {1, LoopMode::Forever}, path, threads(state));
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    state.counters["frames"] = static_cast<double>(d.frames.size());
}

// The picture export (`--export-png`): every unit drawn, encoded as PNG and saved, one file each.
void BM_ExportPictures(benchmark::State& state) {
    Document& d = document();
    const QDir folder(d.dir.path());
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        EncodePictures(
            d.strip, [&](int i) { return folder.filePath(QString::number(i)); },
            [&](int i, const QByteArray& png) {
                SaveFile file(folder.filePath(QStringLiteral("unit-%1.png").arg(i)));
                file.write(png);
                file.commit();
                bytes += png.size();
            },
            threads(state));
    }
    state.counters["files_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ExportPictures)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(2);

void BM_ExportGif(benchmark::State& state) {
    exportAnimation(state, GifWriter());
}
BENCHMARK(BM_ExportGif)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportWebp(benchmark::State& state) {
    exportAnimation(state, WebpWriter());
}
BENCHMARK(BM_ExportWebp)->ArgName("threads")->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportApng(benchmark::State& state) {
    exportAnimation(state, ApngWriter());
}
BENCHMARK(BM_ExportApng)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_ExportPage(benchmark::State& state) {
    Document& d = document();
    const QString script = d.dir.filePath(QStringLiteral("Script.txt"));
    bench::writeStubTemplate(script, THtmFP::kTemplateLines);
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
    return quillet::bench::runBenchmarks(argc, argv);
}

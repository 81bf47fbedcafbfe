// The preview at its shortest interval (10 ms) on a 50-unit full document: the cost of one frame
// step against a bare copy of the same rectangle, and the real interval between frames when the
// timer drives the window shown on screen (counter "ms_per_frame", over 200 frames). Between two
// timed steps the event loop runs, as it does between two ticks, and draws the pictures ahead (the
// CPU column takes that in; the time column and the counter "median_us" are the steps alone).
#include "benchmain.h"
#include "editorbenchdata.h"
#include "filmpanel.h"
#include "filmview.h"
#include "mainwindow.h"
#include "previewpanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace quillet;
using quillet::bench::fullDocumentFolder;
using quillet::bench::SilentPrompts;

namespace {

// The window shown with the document open and the bar at its shortest interval.
struct PlayingWindow {
    SilentPrompts prompts;
    TForm_movie window{prompts, {fullDocumentFolder().document}, fullDocumentFolder().programDir()};

    PlayingWindow() {
        window.resize(1200, 800);
        window.show();
        panel().PreView_SpeedBar->setValue(0);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        if (window.document().count() != TFilmPanel::kMaxUnits) std::abort();
    }
    PreviewPanel& panel() const { return *window.findChild<PreviewPanel*>(QStringLiteral("PreViewPanel")); }
    QTimer& timer() const { return *window.findChild<QTimer*>(QStringLiteral("Timer")); }
    // One frame, as the timer's tick makes it.
    void step() { QMetaObject::invokeMethod(&timer(), "timeout", Qt::DirectConnection); }
};

void BM_PreviewFrameStep(benchmark::State& state) {
    PlayingWindow w;
    bench::trigger(w.window, "TB_Preplay");
    w.timer().stop();
    QElapsedTimer clock;
    std::vector<double> steps;
    for (auto _ : state) {
        clock.start();
        w.step();
        const qint64 ns = clock.nsecsElapsed();
        state.SetIterationTime(double(ns) / 1e9);
        steps.push_back(double(ns) / 1e3);
        benchmark::DoNotOptimize(w.panel().playIndex());
        QCoreApplication::processEvents();
    }
    bench::trigger(w.window, "TB_Preplay");
    // On a busy machine the mean takes in the steps the system held up; the median does not.
    std::sort(steps.begin(), steps.end());
    state.counters["median_us"] = steps.empty() ? 0.0 : steps[steps.size() / 2];
}
BENCHMARK(BM_PreviewFrameStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Baseline: the same rectangle copied row by row with memcpy from one unit picture into the pane.
void BM_CopyTextAreaBaseline(benchmark::State& state) {
    PlayingWindow w;
    const TAnsiImage& unit = w.window.document().GetUnit(0);
    const QImage& picture = w.window.findChild<FilmView*>(QStringLiteral("ScrollBox"))->pictures().picture(unit);
    QImage& pane = w.panel().PreViewImage->Picture;
    const int width = std::min(unit.width() - 42, pane.width());
    const int height = std::min(unit.height() - 23, pane.height());
    for (auto _ : state) {
        for (int y = 0; y < height; ++y)
            std::memcpy(pane.scanLine(y), picture.constScanLine(y + 11) + 21 * 4, std::size_t(width) * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyTextAreaBaseline)->Unit(benchmark::kMicrosecond);

// 200 frames played by the timer in the event loop; the time per frame is the real tick interval.
void BM_PreviewTickInterval(benchmark::State& state) {
    PlayingWindow w;
    constexpr int kFrames = 200;
    for (auto _ : state) {
        int frames = 0;
        QElapsedTimer clock;
        QMetaObject::Connection counting = QObject::connect(&w.timer(), &QTimer::timeout, [&] { ++frames; });
        bench::trigger(w.window, "TB_Preplay");
        // The first tick follows the opening's 1 ms; the clock starts with it.
        while (frames == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        clock.start();
        while (frames < kFrames + 1)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        bench::trigger(w.window, "TB_Preplay");
        QObject::disconnect(counting);
        state.SetIterationTime(ms / 1000.0);
        state.counters["ms_per_frame"] = ms / kFrames;
    }
}
BENCHMARK(BM_PreviewTickInterval)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return quillet::bench::runBenchmarks(argc, argv);
}

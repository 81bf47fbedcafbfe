// The editor window's two waits a user feels: start-up until the window is shown with the sample
// document, and opening a 50-unit full document until the window has painted and takes input
// again. Baselines in the same run: a bare main window shown, and the same file read into a film
// strip without any window.
#include "animationfile.h"
#include "benchmain.h"
#include "editorbenchdata.h"
#include "filmpanel.h"
#include "mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <benchmark/benchmark.h>

using namespace quillet;
using quillet::bench::fullDocumentFolder;
using quillet::bench::SilentPrompts;

namespace {

// Lets the window system deliver the show and paint events.
void settle(QWidget& window) {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
}

void BM_StartUpWithSampleShown(benchmark::State& state) {
    SilentPrompts prompts;
    for (auto _ : state) {
        TForm_movie window(prompts, {QStringLiteral(QUILLET_SAMPLE_DOCUMENT)}, fullDocumentFolder().programDir());
        window.show();
        settle(window);
        if (window.document().count() == 0) state.SkipWithError("the sample document did not open");
    }
}
BENCHMARK(BM_StartUpWithSampleShown)->Unit(benchmark::kMillisecond);

void BM_BareMainWindowShown(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow window;
        window.setCentralWidget(new QLabel(QStringLiteral("Quillet")));
        window.resize(679, 468);
        window.show();
        settle(window);
    }
}
BENCHMARK(BM_BareMainWindowShown)->Unit(benchmark::kMillisecond);

void BM_OpenFullDocumentInWindow(benchmark::State& state) {
    SilentPrompts prompts;
    prompts.openName = fullDocumentFolder().document;
    TForm_movie window(prompts, {}, fullDocumentFolder().programDir());
    window.resize(1024, 700);
    window.show();
    settle(window);
    for (auto _ : state) {
        state.PauseTiming();
        bench::trigger(window, "TB_New");
        settle(window);
        state.ResumeTiming();
        bench::trigger(window, "TB_open");
        settle(window);
    }
    if (window.document().count() != TFilmPanel::kMaxUnits) state.SkipWithError("the document did not open whole");
}
BENCHMARK(BM_OpenFullDocumentInWindow)->Unit(benchmark::kMillisecond);

void BM_ReadFullDocumentIntoBareStrip(benchmark::State& state) {
    for (auto _ : state) {
        TFilmPanel strip;
        AppendRecords(strip, ReadAnimationFile(fullDocumentFolder().document, TFilmPanel::kMaxUnits));
        benchmark::DoNotOptimize(strip.count());
    }
}
BENCHMARK(BM_ReadFullDocumentIntoBareStrip)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return quillet::bench::runBenchmarks(argc, argv);
}

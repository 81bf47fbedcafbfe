// The cell editor on a full double-byte unit: one keystroke (2000 characters typed, Chinese and
// single-byte mixed, a new typing run every 40 so steps both merge and start) and one brush step
// (2000 cells painted in one stroke), each with the patch of the unit's kept picture the view
// draws from, against a full render of the same unit in the same run. The counter `perStep`
// is the time of one step as a share of that full render.
#include "benchdata.h"
#include "benchmain.h"
#include "celleditmodel.h"
#include "filmpanel.h"
#include "glyphcache.h"
#include "undohistory.h"
#include "unitpictures.h"
#include "unitrender.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

using namespace quillet;

namespace {

constexpr int kSteps = 2000;

// A strip holding one full unit, its history, the model and the kept pictures patched on every
// change as the film view does.
struct Editing {
    TFilmPanel strip;
    UndoHistory history{strip};
    CellEditModel model{strip, history};
    UnitPictures pictures;

    Editing() {
        std::vector<std::unique_ptr<TAnsiImage>> units;
        units.push_back(bench::fullDoubleUnit());
        strip.AppendUnits(std::move(units));
        QObject::connect(&strip, &TFilmPanel::unitContentChanged, [this](int index, const QRect& cells) {
            const TAnsiImage& unit = strip.GetUnit(index);
            pictures.redrawCells(unit, cells);
            pictures.picture(unit);
        });
        pictures.picture(strip.GetUnit(0));
    }
};

double fullRenderSeconds() {
    const std::unique_ptr<TAnsiImage> unit = bench::fullDoubleUnit();
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(*unit, cache);
    QImage picture;
    RenderUnit(*unit, cache, picture);
    constexpr int kRounds = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < kRounds; ++k)
        RenderUnit(*unit, cache, picture);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void report(benchmark::State& state, double stepSeconds) {
    static const double full = fullRenderSeconds();
    state.counters["fullRenderMs"] = full * 1e3;
    state.counters["stepMs"] = stepSeconds * 1e3;
    state.counters["perStep"] = stepSeconds / full;
}

// Times kSteps steps made by `step(editing, k)` on a fresh full unit; reports one step's share.
void runSteps(benchmark::State& state, const std::function<void(Editing&, int)>& step) {
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto e = std::make_unique<Editing>();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < kSteps; ++k)
            step(*e, k);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        e.reset();
        state.ResumeTiming();
    }
    report(state, seconds / kSteps);
}

void BM_TypeIntoFullUnit(benchmark::State& state) {
    const QString text = QStringLiteral("中文字符ab");
    runSteps(state, [&text](Editing& e, int k) {
        if (k % 40 == 0) e.model.setCursor(CellCursor{k / 40 % 80, k % 7, 0});
        e.model.typeText(text.at(k % text.size()));
    });
}
BENCHMARK(BM_TypeIntoFullUnit)->Unit(benchmark::kMillisecond)->Iterations(3);

// One stroke over 2000 cells, each in another text colour.
void BM_PaintFullUnit(benchmark::State& state) {
    runSteps(state, [](Editing& e, int k) {
        if (k == 0) e.model.beginStroke();
        e.model.setTextColor(static_cast<TColor>(k * 977));
        e.model.paintCell(k / 100 % 80, k % 100, CellColors::Both);
    });
}
BENCHMARK(BM_PaintFullUnit)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    return quillet::bench::runBenchmarks(argc, argv);
}

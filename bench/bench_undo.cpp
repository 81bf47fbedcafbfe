// The undo history on a document of 50 full double-byte units: how much memory 1000 steps of applies
// and moves hold, and how long one undo or redo of each kind of step takes, against re-rendering
// one full unit (RenderUnitPicture) in the same run.
#include "benchdata.h"
#include "benchmain.h"
#include "filmpanel.h"
#include "undocommands.h"
#include "undohistory.h"
#include "unitclipboard.h"
#include "unitrender.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace quillet;
using quillet::bench::fullDoubleUnit;

namespace {

// Resident memory of the process in bytes (/proc/self/statm), 0 where it cannot be read.
double residentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(f, "%ld %ld", &size, &resident);
    std::fclose(f);
    return read == 2 ? static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) : 0;
}

std::unique_ptr<TFilmPanel> fullDocument() {
    auto strip = std::make_unique<TFilmPanel>();
    std::vector<std::unique_ptr<TAnsiImage>> units;
    for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
        units.push_back(fullDoubleUnit(u));
    strip->AppendUnits(std::move(units));
    return strip;
}

// A memo's worth of new text: 80 lines of 100 GB2312 characters.
QList<QByteArray> memoText(std::mt19937& rng) {
    QList<QByteArray> lines;
    for (int r = 0; r < 80; ++r) {
        QByteArray line;
        for (int j = 0; j < 100; ++j) {
            line += static_cast<char>(0xB0 + rng() % 40);
            line += static_cast<char>(0xA1 + rng() % 94);
        }
        lines.append(line);
    }
    return lines;
}

// 1000 steps on a full document: four in five apply new text to a random unit, the rest move one.
// The clock moves two seconds a step, so no two applies merge.
void BM_ThousandStepsMemory(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TFilmPanel> strip = fullDocument();
        auto history = std::make_unique<UndoHistory>(*strip);
        std::int64_t now = 0;
        history->setClock([&now] { return now; });
        std::mt19937 rng(42);
        std::vector<QList<QByteArray>> texts;
        for (int k = 0; k < 8; ++k)
            texts.push_back(memoText(rng));
        const double before = residentBytes();
        state.ResumeTiming();
        for (int step = 0; step < 1000; ++step) {
            now += 2000;
            const int unit = static_cast<int>(rng() % TFilmPanel::kMaxUnits);
            if (rng() % 5 != 0) {
                // Each text differs from the unit's by a line of its own, so every apply is new text.
                QList<QByteArray> lines = texts[rng() % texts.size()];
                lines[step % 80] = QByteArray::number(step);
                history->setUnitContent(unit, lines, 0x000000, 0xC0C0C0);
            } else if (!history->moveUnit(unit, unit > 0)) {
                history->moveUnit(unit, false);
            }
        }
        state.PauseTiming();
        const double after = residentBytes();
        qsizetype held = 0;
        for (int i = 0; i < history->stack()->count(); ++i)
            if (const auto* apply = dynamic_cast<const SetUnitContentCommand*>(history->stack()->command(i)))
                held += apply->deltaBytes();
        state.counters["steps"] = history->stack()->count();
        state.counters["rss_growth_MB"] = (after - before) / (1024.0 * 1024.0);
        state.counters["held_delta_MB"] = static_cast<double>(held) / (1024.0 * 1024.0);
        history.reset();
        strip.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ThousandStepsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// One step of a kind pushed on a full document, then undone and redone over and over; the time of
// one undo or one redo alone is measured.
using Push = std::function<void(UndoHistory&, TFilmPanel&)>;

void undoRedo(benchmark::State& state, const Push& push, bool measureUndo) {
    std::unique_ptr<TFilmPanel> strip = fullDocument();
    UndoHistory history(*strip);
    std::int64_t now = 0;
    history.setClock([&now] { return now; });
    push(history, *strip);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        history.stack()->undo();
        const auto middle = std::chrono::steady_clock::now();
        history.stack()->redo();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(measureUndo ? middle - start : end - middle).count());
    }
}

void registerUndoRedo(const char* kind, Push push) {
    for (const bool undo : {true, false}) {
        const std::string name = std::string(undo ? "BM_Undo/" : "BM_Redo/") + kind;
        benchmark::RegisterBenchmark(name.c_str(), [push, undo](benchmark::State& s) { undoRedo(s, push, undo); })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

void registerAll() {
    registerUndoRedo("apply", [](UndoHistory& h, TFilmPanel&) {
        std::mt19937 rng(7);
        h.setUnitContent(10, memoText(rng), 0x000000, 0xC0C0C0);
    });
    registerUndoRedo("apply_merged_from_3", [](UndoHistory& h, TFilmPanel&) {
        std::mt19937 rng(7);
        for (int k = 0; k < 3; ++k)
            h.setUnitContent(10, memoText(rng), 0x000000, 0xC0C0C0);
    });
    registerUndoRedo("move", [](UndoHistory& h, TFilmPanel&) { h.moveUnit(10, true); });
    registerUndoRedo("remove_1", [](UndoHistory& h, TFilmPanel&) { h.removeUnits(10, 1, QStringLiteral("删除单元")); });
    registerUndoRedo("remove_25",
                     [](UndoHistory& h, TFilmPanel&) { h.removeUnits(10, 25, QStringLiteral("删除单元")); });
    registerUndoRedo("insert_1", [](UndoHistory& h, TFilmPanel& s) {
        h.removeUnits(0, 1, QStringLiteral("剪切单元"));
        std::vector<std::unique_ptr<TAnsiImage>> units;
        units.push_back(DuplicateUnit(s, 10));
        h.insertUnits(10, std::move(units), QStringLiteral("重复单元"));
    });
    registerUndoRedo("page_colour", [](UndoHistory& h, TFilmPanel&) { h.setPageColor(0x336699); });
}

// The baseline: drawing one full double-byte unit's picture again, glyphs already made.
void BM_RenderUnitPictureBaseline(benchmark::State& state) {
    auto unit = fullDoubleUnit(3);
    benchmark::DoNotOptimize(RenderUnitPicture(*unit).constBits());
    for (auto _ : state) {
        const QImage picture = RenderUnitPicture(*unit);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_RenderUnitPictureBaseline)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    registerAll();
    return quillet::bench::runBenchmarks(argc, argv);
}

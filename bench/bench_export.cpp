// Exporting 50 full double-byte units whose cells change colour at every cell (the largest page
// markup can give) against writing the same number of bytes to a file as one block, in the same
// run. Both go through QSaveFile, so both pay for the same temporary file, flush and rename; rates are
// taken on the wall clock, which is what the user waits for.
#include "benchdata.h"
#include "filmpanel.h"
#include "pagewriter.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace quillet;

namespace {

struct Page {
    QTemporaryDir dir;
    TFilmPanel strip;
    std::unique_ptr<THtmFP> writer;
    PageOptions options;
    QString pagePath;
    QString blockPath;
    QByteArray bytes;

    Page() {
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
            units.push_back(quillet::bench::fullDoubleUnit(u));
        strip.AppendUnits(std::move(units));

        const QString script = dir.filePath(QStringLiteral("Script.txt"));
        quillet::bench::writeStubTemplate(script, THtmFP::kTemplateLines);

        writer = std::make_unique<THtmFP>(script);
        options.speed = 10;
        options.backColorHex = "FFFFFF";
        options.fontColorHex = "000000";
        pagePath = dir.filePath(QStringLiteral("页面.htm"));
        writer->WritePage(strip, options, pagePath);
        QFile page(pagePath);
        if (!page.open(QIODevice::ReadOnly)) std::abort();
        bytes = page.readAll();
        blockPath = dir.filePath(QStringLiteral("block.htm"));
    }
};

Page& page() {
    static Page p;
    return p;
}

void BM_ExportPage(benchmark::State& state) {
    Page& p = page();
    for (auto _ : state)
        p.writer->WritePage(p.strip, p.options, p.pagePath);
    state.SetBytesProcessed(state.iterations() * p.bytes.size());
    state.counters["page_MB"] = static_cast<double>(p.bytes.size()) / 1e6;
}
BENCHMARK(BM_ExportPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteBlock(benchmark::State& state) {
    Page& p = page();
    for (auto _ : state) {
        QSaveFile f(p.blockPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(p.bytes) != p.bytes.size() || !f.commit())
            state.SkipWithError("block write failed");
    }
    state.SetBytesProcessed(state.iterations() * p.bytes.size());
    state.counters["page_MB"] = static_cast<double>(p.bytes.size()) / 1e6;
}
BENCHMARK(BM_WriteBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

// Reading and writing a 50-unit animation file (9.6 MB) against reading and writing the same
// bytes as one block, in the same run. Both writers go through QSaveFile, so both pay for the
// same temporary file, flush and rename.
#include "animationfile.h"
#include "benchdata.h"
#include "benchmain.h"
#include "filmpanel.h"

#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include <malloc.h>

using namespace quillet;

namespace {

struct Document {
    QTemporaryDir dir;
    TFilmPanel strip;
    QString mmtPath;
    QString blockPath;
    QByteArray bytes;

    Document() {
        AnimationRecords records;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
            records.records.append(quillet::bench::fullDoubleUnit(u)->SaveToRecord());
        records.wholeRecords = records.records.size();
        AppendRecords(strip, records);
        mmtPath = dir.filePath(QStringLiteral("文档.mmt"));
        blockPath = dir.filePath(QStringLiteral("block.bin"));
        WriteAnimationFile(mmtPath, strip);
        QFile f(mmtPath);
        if (!f.open(QIODevice::ReadOnly)) std::abort();
        bytes = f.readAll();
        if (bytes.size() != qint64(TFilmPanel::kMaxUnits) * kRecordSize) std::abort();
    }
};

Document& document() {
    static Document doc;
    return doc;
}

void BM_WriteAnimationFile(benchmark::State& state) {
    Document& doc = document();
    for (auto _ : state)
        WriteAnimationFile(doc.mmtPath, doc.strip);
    state.SetBytesProcessed(state.iterations() * doc.bytes.size());
}
BENCHMARK(BM_WriteAnimationFile)->Unit(benchmark::kMillisecond);

void BM_WriteBlock(benchmark::State& state) {
    Document& doc = document();
    for (auto _ : state) {
        QSaveFile f(doc.blockPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(doc.bytes) != doc.bytes.size() || !f.commit())
            state.SkipWithError("block write failed");
    }
    state.SetBytesProcessed(state.iterations() * doc.bytes.size());
}
BENCHMARK(BM_WriteBlock)->Unit(benchmark::kMillisecond);

void BM_ReadAnimationFile(benchmark::State& state) {
    Document& doc = document();
    for (auto _ : state) {
        AnimationRecords records = ReadAnimationFile(doc.mmtPath, TFilmPanel::kMaxUnits);
        benchmark::DoNotOptimize(records.records.data());
    }
    state.SetBytesProcessed(state.iterations() * doc.bytes.size());
}
BENCHMARK(BM_ReadAnimationFile)->Unit(benchmark::kMillisecond);

void BM_ReadBlock(benchmark::State& state) {
    Document& doc = document();
    for (auto _ : state) {
        QFile f(doc.mmtPath);
        if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("block read failed");
        QByteArray all = f.readAll();
        benchmark::DoNotOptimize(all.data());
    }
    state.SetBytesProcessed(state.iterations() * doc.bytes.size());
}
BENCHMARK(BM_ReadBlock)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Records are 192000 bytes. Whether glibc hands them out from reused heap or maps them afresh
    // (and takes page faults on every read) depends on what the process freed before, through its
    // dynamic mmap threshold; fixed here, the readers are measured and not the fixture's history.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    QGuiApplication app(argc, argv); // as in the program, though nothing here draws
    return quillet::bench::runBenchmarks(argc, argv);
}

#pragma once

#include <benchmark/benchmark.h>

namespace quillet::bench {

// The body of every benchmark program's main, once its application object exists: runs the
// benchmarks the command line picks; 1 for an argument Google Benchmark does not know.
inline int runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quillet::bench

// The main of a benchmark program: the registered benchmarks run inside the test sandbox, so
// nothing they do reaches the real home folder or the user's music and library folders.
#pragma once

#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>

namespace ZazidEvoz::benchkit {

inline int runBenchmarksInSandbox(int argc, char** argv) {
    testkit::initialiseSandbox();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    testkit::removeSandbox();
    return 0;
}

} // namespace ZazidEvoz::benchkit

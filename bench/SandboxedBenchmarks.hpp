// The body of main() for benchmark programs that write files: the benchmarks run inside a
// fresh sandbox (HOME, the XDG folders and the ZintraRadio folders point into it), which is
// removed afterwards.
#pragma once

#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>

namespace ZazidEvoz::testkit {

inline int runBenchmarksInSandbox(int argc, char** argv) {
    initialiseSandbox();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeSandbox();
    return 0;
}

} // namespace ZazidEvoz::testkit

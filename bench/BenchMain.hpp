// The main of a benchmark program: the registered benchmarks run inside the test sandbox, so
// nothing they do reaches the real home folder or the user's music and library folders.
#pragma once

#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>

namespace ZazidEvoz::benchkit {

inline bool& anyBenchmarkFailed() {
    static bool failed = false;
    return failed;
}

// A benchmark whose data is not what it was made for would measure nothing: it stops with the
// reason, and the program ends with a failure, so that a run of every benchmark does not pass
// it by. The caller returns from the benchmark right after.
inline void fail(benchmark::State& state, const char* reason) {
    if (!state.error_occurred())
        state.SkipWithError(reason);
    std::fprintf(stderr, "benchmark failed: %s\n", reason);
    anyBenchmarkFailed() = true;
}

// Runs the registered benchmarks; whether all of them ran.
inline bool runRegisteredBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return !anyBenchmarkFailed();
}

inline int runBenchmarksInSandbox(int argc, char** argv) {
    testkit::initialiseSandbox();
    const bool passed = runRegisteredBenchmarks(argc, argv);
    testkit::removeSandbox();
    return passed ? 0 : 1;
}

// The same with a Qt application object (`Application`: QCoreApplication or QApplication) made
// inside the sandbox. `beforeQuit` lets go of what the benchmarks kept (models, windows) while
// the application object and the sandbox still exist.
template <typename Application>
int runBenchmarksInSandboxWith(int argc, char** argv, const std::function<void()>& beforeQuit = {}) {
    testkit::initialiseSandbox();
    bool passed = false;
    {
        Application application(argc, argv);
        passed = runRegisteredBenchmarks(argc, argv);
        if (beforeQuit)
            beforeQuit();
    }
    testkit::removeSandbox();
    return passed ? 0 : 1;
}

} // namespace ZazidEvoz::benchkit

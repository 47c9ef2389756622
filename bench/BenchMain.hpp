// The main of a benchmark program: the registered benchmarks run inside the test sandbox, so
// nothing they do reaches the real home folder or the user's music and library folders.
#pragma once

#include "support/Sandbox.hpp"

#include <benchmark/benchmark.h>
#include <functional>

namespace ZazidEvoz::benchkit {

inline void runRegisteredBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

inline int runBenchmarksInSandbox(int argc, char** argv) {
    testkit::initialiseSandbox();
    runRegisteredBenchmarks(argc, argv);
    testkit::removeSandbox();
    return 0;
}

// The same with a Qt application object (`Application`: QCoreApplication or QApplication) made
// inside the sandbox. `beforeQuit` lets go of what the benchmarks kept (models, windows) while
// the application object and the sandbox still exist.
template <typename Application>
int runBenchmarksInSandboxWith(int argc, char** argv, const std::function<void()>& beforeQuit = {}) {
    testkit::initialiseSandbox();
    {
        Application application(argc, argv);
        runRegisteredBenchmarks(argc, argv);
        if (beforeQuit)
            beforeQuit();
    }
    testkit::removeSandbox();
    return 0;
}

} // namespace ZazidEvoz::benchkit

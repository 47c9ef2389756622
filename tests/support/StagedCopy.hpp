// A test that needs what its own process cannot have runs again in a fresh copy of the test
// program, staged before the copy starts: root without the capabilities that let it ignore file
// permissions (so a permission test binds it), or, for a user who is not root, root of a user and
// mount namespace of its own (so the test can mount a small file system); or a process that never
// reached a session bus. A process cannot change the first two for itself once it runs threads,
// and nearly every test program has threads by then; a forked child that has not yet started the
// copy still can. And the application object of a Qt test program may have connected to the
// session bus before any test ran.
#pragma once

#include <string>

namespace ZazidEvoz::testkit {

enum class Stage {
    // File permissions bind the test. Root keeps its user id but loses CAP_DAC_OVERRIDE,
    // CAP_DAC_READ_SEARCH and CAP_FOWNER; anyone else is bound already.
    permissionsBind,
    // The test may mount file systems. Root may already; anyone else becomes root of a user
    // and mount namespace of its own, their ids mapped to 0.
    mountsAllowed,
    // The session bus address names no bus, from the start of the process.
    noSessionBus,
};

// What the calling test does about a stage: run its body here; or not, because a staged copy
// ran it (and its failures were added to this test); or skip, for `skipReason`.
struct StagedRun {
    bool runHere = false;
    std::string skipReason;
};

// Runs the current test in a staged copy when this process lacks `stage` and is no copy itself.
StagedRun runStaged(Stage stage);

} // namespace ZazidEvoz::testkit

// The first statement of a test that needs `stage`.
#define ZINTRA_NEEDS_STAGE(stage)                                                                  \
    if (const ::ZazidEvoz::testkit::StagedRun zintraStaged = ::ZazidEvoz::testkit::runStaged(stage); \
        !zintraStaged.runHere) {                                                                   \
        if (!zintraStaged.skipReason.empty())                                                      \
            GTEST_SKIP() << zintraStaged.skipReason;                                               \
        return;                                                                                    \
    }

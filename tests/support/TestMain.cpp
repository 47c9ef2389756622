// The main of every test program: runs the tests inside a fresh sandbox.
#include "support/Sandbox.hpp"

#include <gtest/gtest.h>

#include <signal.h>

int main(int argc, char** argv) {
    // The application ignores SIGPIPE too: a closed pipe is an error return, not a death.
    ::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    ZazidEvoz::testkit::initialiseSandbox();
    int result = RUN_ALL_TESTS();
    ZazidEvoz::testkit::removeSandbox();
    return result;
}

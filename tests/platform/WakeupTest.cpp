#include "ZazidEvoz/platform/Threads.hpp"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace ZazidEvoz::platform;
using namespace std::chrono_literals;

// The waits are an hour long: only the signal can end them while the test runs.
TEST(Wakeup, ASignalEndsTheWaitAndOneGivenBeforeIsKept) {
    Wakeup wakeup;
    wakeup.signal();
    wakeup.waitFor(1h);

    std::atomic<bool> woken{false};
    std::thread waiter([&] {
        wakeup.waitFor(1h);
        woken = true;
    });
    while (!woken) {
        wakeup.signal();
        std::this_thread::sleep_for(1ms);
    }
    waiter.join();
}

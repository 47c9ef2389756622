#include "ZazidEvoz/platform/Inotify.hpp"

#include "support/Sandbox.hpp"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

using namespace ZazidEvoz::platform;
namespace fs = std::filesystem;

namespace {

// Reads events until one tells of a change, waiting for them at most `timeoutMs` in all.
bool changeArrives(InotifyTreeWatch& watch, int timeoutMs) {
    pollfd descriptor{watch.fd(), POLLIN, 0};
    while (::poll(&descriptor, 1, timeoutMs) > 0)
        if (watch.readEvents())
            return true;
    return false;
}

} // namespace

// A root and its parent that come and go while the watch is being re-armed: whenever a folder
// is removed between being looked at and being watched, the root must still be awaited
// somewhere, or its coming back is never seen.
TEST(InotifyTreeWatch, ARootThatComesAndGoesWhileItIsReArmedIsStillAwaited) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("inotify");
    const auto root = folder / "parent" / "inner";
    InotifyTreeWatch watch;
    watch.addTree(root);

    std::atomic<bool> done{false};
    std::thread churn([&] {
        for (int round = 0; round < 3000; ++round) {
            fs::create_directories(root / "Album");
            fs::remove_all(folder / "parent");
        }
        done = true;
    });
    pollfd descriptor{watch.fd(), POLLIN, 0};
    while (!done) {
        if (::poll(&descriptor, 1, 10) > 0)
            watch.readEvents();
    }
    churn.join();
    // What the churn left is read; the root is gone now.
    while (::poll(&descriptor, 1, 0) > 0)
        watch.readEvents();

    fs::create_directories(root);
    ASSERT_TRUE(changeArrives(watch, 10000)) << "the root coming back is seen";
    while (::poll(&descriptor, 1, 0) > 0)
        watch.readEvents();
    std::ofstream(root / "song.mp3") << "x";
    EXPECT_TRUE(changeArrives(watch, 10000)) << "a file in it is seen";
}

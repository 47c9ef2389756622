#include "ZazidEvoz/platform/SerialQueue.hpp"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ZazidEvoz::platform {
namespace {

TEST(SerialQueue, RunsWorkOneAtATime) {
    SerialQueue queue("Test.Queue");
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<int> order;
    std::vector<std::thread> submitters;
    for (int thread = 0; thread < 4; ++thread)
        submitters.emplace_back([&, thread] {
            for (int index = 0; index < 50; ++index)
                queue.sync([&] {
                    if (inside.fetch_add(1) != 0)
                        ++overlaps;
                    order.push_back(thread);
                    EXPECT_TRUE(queue.isCurrent());
                    inside.fetch_sub(1);
                });
        });
    for (auto& thread : submitters)
        thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(order.size(), 200u);
    EXPECT_FALSE(queue.isCurrent());
}

// Idle, the queue runs work on the submitter's thread: no hand-over to another thread and back.
TEST(SerialQueue, RunsOnTheSubmitterWhenIdle) {
    SerialQueue queue("Test.Queue");
    EXPECT_EQ(queue.sync([] { return std::this_thread::get_id(); }), std::this_thread::get_id());
    auto elsewhere = std::async(std::launch::async, [&] {
        return queue.sync([] { return std::this_thread::get_id(); }) == std::this_thread::get_id();
    });
    EXPECT_TRUE(elsewhere.get());
}

TEST(SerialQueue, PassesResultsAndErrorsAndRefusesToWaitForItself) {
    SerialQueue queue("Test.Queue");
    SerialQueue other("Test.Other");
    EXPECT_EQ(queue.sync([] { return 42; }), 42);
    EXPECT_THROW(queue.sync([]() -> int { throw std::runtime_error("inside"); }), std::runtime_error);
    EXPECT_THROW(queue.sync([&] { queue.sync([] {}); }), std::logic_error);
    EXPECT_THROW(queue.sync([&] { other.sync([&] { queue.sync([] {}); }); }), std::logic_error);
    EXPECT_EQ(queue.sync([&] { return other.sync([&] { return other.isCurrent() && queue.isCurrent(); }); }),
              true);
    EXPECT_EQ(queue.sync([] { return std::string("still serving"); }), "still serving");
}

} // namespace
} // namespace ZazidEvoz::platform

#include "ZazidEvoz/platform/Threads.hpp"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

using namespace ZazidEvoz::platform;
using namespace std::chrono_literals;

namespace {

// Holds every pause until the test lets one end; a stop ends it at once.
class GateSleeper final : public Sleeper {
public:
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        std::unique_lock lock(mutex_);
        pauses_.push_back(duration);
        changed_.notify_all();
        const bool slept = changed_.wait(lock, stop, [this] { return released_ > 0; });
        if (slept)
            --released_;
        ++ended_;
        changed_.notify_all();
        return slept;
    }
    // Waits until `count` pauses have begun and `ended` of them are over.
    void waitFor(std::size_t count, int ended) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return pauses_.size() >= count && ended_ >= ended; });
    }
    void releaseOne() {
        std::lock_guard lock(mutex_);
        ++released_;
        changed_.notify_all();
    }
    std::vector<std::chrono::milliseconds> pauses() {
        std::lock_guard lock(mutex_);
        return pauses_;
    }

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<std::chrono::milliseconds> pauses_;
    int released_ = 0;
    int ended_ = 0;
};

class Expiries {
public:
    std::function<void(std::uint64_t)> callback() {
        return [this](std::uint64_t number) {
            std::lock_guard lock(mutex_);
            numbers_.push_back(number);
            changed_.notify_all();
        };
    }
    std::vector<std::uint64_t> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return numbers_.size() >= count; });
        return numbers_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint64_t> numbers_;
};

} // namespace

TEST(Countdown, AStartDropsTheRunningPauseAndOnlyTheLatestCountdownExpires) {
    auto sleeper = std::make_shared<GateSleeper>();
    Expiries expiries;
    Countdown countdown("test countdown", 400ms, sleeper, expiries.callback());

    EXPECT_EQ(countdown.start(), 1u);
    sleeper->waitFor(1, 0);
    EXPECT_EQ(countdown.start(), 2u);
    sleeper->waitFor(2, 1); // the first pause was stopped; the second one runs
    sleeper->releaseOne();
    EXPECT_EQ(expiries.waitFor(1), std::vector<std::uint64_t>{2});
    EXPECT_EQ(sleeper->pauses(), (std::vector<std::chrono::milliseconds>{400ms, 400ms}));

    // Expired, it waits for the next start.
    EXPECT_EQ(countdown.start(), 3u);
    sleeper->releaseOne();
    EXPECT_EQ(expiries.waitFor(2), (std::vector<std::uint64_t>{2, 3}));
}

TEST(Countdown, DestructionEndsARunningPauseWithoutExpiring) {
    auto sleeper = std::make_shared<GateSleeper>();
    Expiries expiries;
    {
        Countdown countdown("test countdown", 1h, sleeper, expiries.callback());
        countdown.start();
        sleeper->waitFor(1, 0);
    }
    sleeper->waitFor(1, 1);
    EXPECT_TRUE(expiries.waitFor(0).empty());
}

TEST(WorkerThread, PassesItsStopToTheWorkAndTellsWhenTheWorkHasEnded) {
    WorkerThread thread([](std::stop_token stop) {
        std::mutex mutex;
        std::condition_variable_any never;
        std::unique_lock lock(mutex);
        never.wait(lock, stop, [] { return false; });
    });
    EXPECT_FALSE(thread.hasEnded()) << "the work runs until it is stopped";
    thread.stopSource().request_stop();
    thread.join();
    EXPECT_TRUE(thread.hasEnded());
}

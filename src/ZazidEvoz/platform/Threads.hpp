// Threads, the main-thread poster and waiting that tests can speed up.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace ZazidEvoz::platform {

// Names the calling thread; Linux keeps 15 bytes, so longer names are cut on a character boundary.
// The program names its threads "ZR " and what they do, all within those 15 bytes, so that no
// two kinds of thread look alike in top, ps or a debugger.
void setCurrentThreadName(std::string_view name);

// Hands work to the main thread. The application installs a Qt-queued poster; tests use PostQueue.
using Poster = std::function<void(std::function<void()>)>;

// A poster whose work runs when the owner drains it (tests, headless runs).
class PostQueue {
public:
    Poster poster();
    // Runs everything posted so far (and what that posts); returns how many ran.
    std::size_t drain();
    // Drains until `done` holds or `timeout` passes; true when `done` held.
    bool drainUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable posted;
        std::deque<std::function<void()>> work;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// Waiting for pauses and debounces. Tests install one that returns at once and records.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    // Waits `duration` unless a stop is requested first; false when stopped.
    virtual bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

class SystemSleeper final : public Sleeper {
public:
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;
};

// Returns at once (unless stopped) and remembers every requested pause.
class RecordingSleeper final : public Sleeper {
public:
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;
    std::vector<std::chrono::milliseconds> pauses() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> pauses_;
};

std::shared_ptr<Sleeper> systemSleeper();

// A jthread whose work takes the thread's stop token and which tells when that work has
// ended, so that an owner can join the ended ones without waiting for the others. The end is
// a stop source of its own, requested as the work returns.
class WorkerThread {
public:
    WorkerThread() = default;
    template <typename Work>
    explicit WorkerThread(Work work)
        : thread_([ended = ended_, work = std::move(work)](std::stop_token stop) mutable {
              work(std::move(stop));
              ended.request_stop();
          }) {}

    void requestStop() { thread_.request_stop(); }
    // The stop source the work's token comes from.
    std::stop_source stopSource() { return thread_.get_stop_source(); }
    bool hasEnded() const { return ended_.stop_requested(); }
    bool joinable() const { return thread_.joinable(); }
    void join() { thread_.join(); }

private:
    std::stop_source ended_;
    std::jthread thread_; // last: asked to stop and joined before the rest goes
};

// Counts a pause down on a thread of its own and calls `expired` with the countdown's number
// when it runs out. start() begins a new countdown and drops the running one, so a burst of
// starts ends in one call. The pause goes through the sleeper; destruction drops a running
// countdown without a call.
class Countdown {
public:
    Countdown(std::string threadName, std::chrono::milliseconds pause, std::shared_ptr<Sleeper> sleeper,
              std::function<void(std::uint64_t number)> expired);
    Countdown(const Countdown&) = delete;
    Countdown& operator=(const Countdown&) = delete;

    // Any thread. Returns the new countdown's number: 1, 2, ...
    std::uint64_t start();

private:
    void run(std::stop_token stop);

    const std::string threadName_;
    const std::chrono::milliseconds pause_;
    const std::shared_ptr<Sleeper> sleeper_;
    const std::function<void(std::uint64_t)> expired_;

    std::mutex mutex_; // guards started_, waiting_ and current_
    std::condition_variable_any wake_;
    std::uint64_t started_ = 0; // number of the latest countdown
    bool waiting_ = false;      // the latest countdown has not begun its pause yet
    std::stop_source current_;  // ends the pause that runs
    std::jthread thread_;
};

// Wakes a waiting thread from a thread that must not block or allocate (the output's real-time
// thread): signal() is one atomic exchange and, when it sets the signal, one futex wake. A
// signal given while nobody waits is kept for the next wait.
class Wakeup {
public:
    void signal() noexcept;
    // Returns when signalled (clearing the signal) or after `timeout`.
    void waitFor(std::chrono::milliseconds timeout);

private:
    std::atomic<std::uint32_t> signalled_{0};
};

// Lets work that outlives a call (posted closures, callbacks) find out whether its owner is
// gone. The owner holds the guard; closures hold a token and check it on the main thread.
class LifetimeGuard {
public:
    using Token = std::weak_ptr<void>;
    Token token() const { return alive_; }
    static bool isAlive(const Token& token) { return !token.expired(); }

private:
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace ZazidEvoz::platform

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
#include <string_view>
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

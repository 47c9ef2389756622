#include "Threads.hpp"

#include "Text.hpp"

#include <algorithm>
#include <linux/futex.h>
#include <pthread.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace ZazidEvoz::platform {

void setCurrentThreadName(std::string_view name) {
    std::string shortName = text::bytePrefixOnCharacterBoundary(name, 15);
    ::pthread_setname_np(::pthread_self(), shortName.c_str());
}

Poster PostQueue::poster() {
    return [shared = shared_](std::function<void()> work) {
        {
            std::lock_guard lock(shared->mutex);
            shared->work.push_back(std::move(work));
        }
        shared->posted.notify_all();
    };
}

std::size_t PostQueue::drain() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(shared_->mutex);
            if (shared_->work.empty())
                return ran;
            next = std::move(shared_->work.front());
            shared_->work.pop_front();
        }
        next();
        ++ran;
    }
}

bool PostQueue::drainUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        drain();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            drain();
            return done();
        }
        // `done` may also change without anything being posted (a state read from another
        // thread), so look again at least every 10 ms.
        std::unique_lock lock(shared_->mutex);
        auto wakeUp = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(10));
        shared_->posted.wait_until(lock, wakeUp, [&] { return !shared_->work.empty(); });
    }
}

bool SystemSleeper::sleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    return !wakeUp.wait_for(lock, stop, duration, [] { return false; }) && !stop.stop_requested();
}

bool RecordingSleeper::sleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(duration);
    }
    return !stop.stop_requested();
}

std::vector<std::chrono::milliseconds> RecordingSleeper::pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

Countdown::Countdown(std::string threadName, std::chrono::milliseconds pause,
                     std::shared_ptr<Sleeper> sleeper, std::function<void(std::uint64_t)> expired)
    : threadName_(std::move(threadName)), pause_(pause), sleeper_(std::move(sleeper)),
      expired_(std::move(expired)), thread_([this](std::stop_token stop) { run(std::move(stop)); }) {}

std::uint64_t Countdown::start() {
    std::uint64_t number;
    {
        std::lock_guard lock(mutex_);
        current_.request_stop();
        current_ = std::stop_source();
        number = ++started_;
        waiting_ = true;
    }
    wake_.notify_one();
    return number;
}

void Countdown::run(std::stop_token stop) {
    setCurrentThreadName(threadName_);
    // The stop of the thread ends the pause too.
    std::stop_callback endPause(stop, [this] {
        std::lock_guard lock(mutex_);
        current_.request_stop();
    });
    for (;;) {
        std::uint64_t number;
        std::stop_token pause;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return waiting_; }))
                return;
            waiting_ = false;
            number = started_;
            pause = current_.get_token();
        }
        if (sleeper_->sleepFor(pause_, pause))
            expired_(number);
    }
}

void Wakeup::signal() noexcept {
    if (signalled_.exchange(1, std::memory_order_release) == 0)
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&signalled_), FUTEX_WAKE_PRIVATE, 1, nullptr,
                  nullptr, 0);
}

void Wakeup::waitFor(std::chrono::milliseconds timeout) {
    static_assert(sizeof signalled_ == sizeof(std::uint32_t) && decltype(signalled_)::is_always_lock_free);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (signalled_.exchange(0, std::memory_order_acquire) == 0) {
        auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        timespec relative{static_cast<time_t>(left.count() / 1000000000),
                          static_cast<long>(left.count() % 1000000000)};
        // Returns at once if the signal is set already, else on a wake, the timeout or EINTR.
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&signalled_), FUTEX_WAIT_PRIVATE, 0, &relative,
                  nullptr, 0);
    }
}

std::shared_ptr<Sleeper> systemSleeper() {
    static auto shared = std::make_shared<SystemSleeper>();
    return shared;
}

} // namespace ZazidEvoz::platform

#include "state/Scheduler.hpp"

#include <QSocketNotifier>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>
#include <sys/timerfd.h>
#include <system_error>
#include <unistd.h>

namespace ZintraRadio {

namespace {

double boottimeSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double sanitisedDelay(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return seconds == INFINITY ? 365.0 * 24 * 3600 : 0;
    return std::min(seconds, 365.0 * 24 * 3600);
}

class TimerCall;

// The calls waiting to run. They are held here rather than by themselves, so that a call still
// pending when the process ends is reachable instead of a leaked cycle. Never destroyed: no
// notifier is torn down after the application object. Main thread only.
std::set<std::shared_ptr<TimerCall>>& pendingCalls() {
    static auto* calls = new std::set<std::shared_ptr<TimerCall>>();
    return *calls;
}

// Takes the call out of the pending ones; the result keeps it alive for the caller.
std::shared_ptr<TimerCall> takePending(TimerCall* call) {
    auto& calls = pendingCalls();
    auto found =
        std::find_if(calls.begin(), calls.end(), [call](const auto& held) { return held.get() == call; });
    if (found == calls.end())
        return nullptr;
    auto held = *found;
    calls.erase(found);
    return held;
}

// One timer descriptor per call: the calls are few (a toast, a debounce, a rescan loop).
class TimerCall final : public ScheduledCall, public std::enable_shared_from_this<TimerCall> {
public:
    explicit TimerCall(std::function<void()> work) : work_(std::move(work)) {}
    ~TimerCall() override { release(); }

    bool arm(double seconds) {
        fd_ = ::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd_ < 0)
            return false;
        itimerspec spec{};
        // A zero it_value would disarm the timer: the shortest delay is one nanosecond.
        auto nanoseconds = static_cast<long long>(seconds * 1e9);
        if (nanoseconds <= 0)
            nanoseconds = 1;
        spec.it_value.tv_sec = static_cast<time_t>(nanoseconds / 1000000000LL);
        spec.it_value.tv_nsec = static_cast<long>(nanoseconds % 1000000000LL);
        if (::timerfd_settime(fd_, 0, &spec, nullptr) != 0) {
            release();
            return false;
        }
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        // Kept alive until it has run or been cancelled.
        pendingCalls().insert(shared_from_this());
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { fire(); });
        return true;
    }

    void cancel() override {
        work_ = nullptr;
        auto keep = takePending(this);
        release();
    }

    bool isPending() const override { return static_cast<bool>(work_); }

private:
    void fire() {
        std::uint64_t expirations = 0;
        [[maybe_unused]] auto got = ::read(fd_, &expirations, sizeof expirations);
        auto work = std::move(work_);
        work_ = nullptr;
        auto keep = takePending(this);
        release();
        if (work)
            work();
    }

    void release() {
        if (notifier_) {
            notifier_->setEnabled(false);
            notifier_.release()->deleteLater();
        }
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    std::function<void()> work_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

std::shared_ptr<Scheduler> Scheduler::system() {
    static auto scheduler = std::make_shared<SystemScheduler>();
    return scheduler;
}

double SystemScheduler::now() const {
    return boottimeSeconds();
}

Date SystemScheduler::date() const {
    return ZazidEvoz::platform::now();
}

std::shared_ptr<ScheduledCall> SystemScheduler::schedule(double seconds, std::function<void()> work) {
    auto call = std::make_shared<TimerCall>(std::move(work));
    if (!call->arm(sanitisedDelay(seconds)))
        throw std::system_error(errno, std::generic_category(), "timerfd");
    return call;
}

struct ManualScheduler::Call final : ScheduledCall {
    double due = 0;
    std::uint64_t sequence = 0;
    std::function<void()> work;
    void cancel() override { work = nullptr; }
    bool isPending() const override { return static_cast<bool>(work); }
};

ManualScheduler::ManualScheduler(Date start) : start_(start) {}

Date ManualScheduler::date() const {
    return start_ + std::chrono::duration<double>(now_);
}

std::shared_ptr<ScheduledCall> ManualScheduler::schedule(double seconds, std::function<void()> work) {
    auto call = std::make_shared<Call>();
    call->due = now_ + sanitisedDelay(seconds);
    call->sequence = sequence_++;
    call->work = std::move(work);
    calls_.push_back(call);
    return call;
}

void ManualScheduler::advance(double seconds) {
    const double end = now_ + std::max(0.0, seconds);
    for (;;) {
        std::erase_if(calls_, [](const auto& call) { return !call->work; });
        auto next = std::min_element(calls_.begin(), calls_.end(), [](const auto& a, const auto& b) {
            return a->due != b->due ? a->due < b->due : a->sequence < b->sequence;
        });
        if (next == calls_.end() || (*next)->due > end)
            break;
        auto call = *next;
        calls_.erase(next);
        now_ = std::max(now_, call->due);
        auto work = std::move(call->work);
        call->work = nullptr;
        work();
    }
    now_ = end;
}

std::size_t ManualScheduler::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(
        calls_.begin(), calls_.end(), [](const auto& call) { return static_cast<bool>(call->work); }));
}

} // namespace ZintraRadio

// Time for the models: a monotonic clock that keeps counting while the computer sleeps, the
// date, and delayed calls on the main thread. Toast lifetimes, the save debounce, the quick
// search debounce, the radio title delay and the periodic rescan all go through one
// Scheduler, so tests drive them with ManualScheduler in milliseconds.
#pragma once

#include "ZazidEvoz/platform/Date.hpp"

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace ZintraRadio {

using ZazidEvoz::platform::Date;

// A pending delayed call. Dropping the handle does not cancel the call; cancel() does.
class ScheduledCall {
public:
    virtual ~ScheduledCall() = default;
    virtual void cancel() = 0;
    virtual bool isPending() const = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Seconds on a monotonic clock that counts suspend; only differences mean anything.
    virtual double now() const = 0;
    // The current date.
    virtual Date date() const = 0;
    // Runs `work` on the main thread after `seconds` (negative and NaN count as 0).
    virtual std::shared_ptr<ScheduledCall> schedule(double seconds, std::function<void()> work) = 0;

    // The process-wide scheduler of the running application (timers on CLOCK_BOOTTIME).
    static std::shared_ptr<Scheduler> system();
};

// Delayed calls on CLOCK_BOOTTIME timer descriptors watched by the Qt event loop of the
// thread that makes them (the main thread).
class SystemScheduler final : public Scheduler {
public:
    double now() const override;
    Date date() const override;
    std::shared_ptr<ScheduledCall> schedule(double seconds, std::function<void()> work) override;
};

// Time stands still until the test moves it. advance() runs the calls that fall due, in the
// order of their due times (equal times in the order they were scheduled), each with now()
// set to its due time; calls scheduled by those calls run too when they fall in the window.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(Date start = ZazidEvoz::platform::dateFromSecondsSince1970(1.7e9));
    double now() const override { return now_; }
    Date date() const override;
    std::shared_ptr<ScheduledCall> schedule(double seconds, std::function<void()> work) override;

    void advance(double seconds);
    // Calls still pending.
    std::size_t pendingCount() const;

private:
    struct Call;
    double now_ = 0;
    Date start_;
    std::uint64_t sequence_ = 0;
    std::vector<std::shared_ptr<Call>> calls_;
};

} // namespace ZintraRadio

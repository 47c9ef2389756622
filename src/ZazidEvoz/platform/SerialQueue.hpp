// One named worker thread that runs submitted work one item at a time, in submission order.
// Other threads submit synchronously and wait for the result; an exception thrown by the
// work passes to the submitter unchanged.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>

namespace ZazidEvoz::platform {

class SerialQueue {
public:
    explicit SerialQueue(std::string name);
    // Runs what is still queued, then ends the thread.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& name() const { return name_; }
    // True on the queue's own thread.
    bool isCurrent() const;

    // Runs `work` on the queue and returns its result. Submitting from the queue's own
    // thread would wait for itself: that throws std::logic_error instead.
    template <typename Work> std::invoke_result_t<Work&> sync(Work&& work) {
        using Result = std::invoke_result_t<Work&>;
        throwIfCurrent();
        std::packaged_task<Result()> task([&work]() -> Result { return work(); });
        auto result = task.get_future();
        enqueue([&task] { task(); });
        return result.get();
    }

private:
    void throwIfCurrent() const;
    void enqueue(std::function<void()> work);
    void runLoop();

    std::string name_;
    std::mutex mutex_; // guards work_ and stopping_
    std::condition_variable wake_;
    std::deque<std::function<void()>> work_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace ZazidEvoz::platform

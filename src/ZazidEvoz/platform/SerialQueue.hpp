// Runs submitted work one item at a time, in submission order. Submitters wait for the result;
// an exception thrown by the work passes to the submitter unchanged. Work submitted while the
// queue is idle runs at once on the submitting thread (no hand-over to another thread and
// back); otherwise it waits its turn and runs on the queue's own named thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <stop_token>
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
    // True while the calling thread runs work of this queue.
    bool isCurrent() const;

    // Runs `work` on the queue and returns its result. Submitting from inside the queue's own
    // work would wait for itself: that throws std::logic_error instead.
    template <typename Work> std::invoke_result_t<Work&> sync(Work&& work) {
        using Result = std::invoke_result_t<Work&>;
        throwIfCurrent();
        if (claimIfIdle()) {
            Turn turn(*this);
            return work();
        }
        std::packaged_task<Result()> task([&work]() -> Result { return work(); });
        auto result = task.get_future();
        enqueue([&task] { task(); });
        return result.get();
    }

private:
    // Marks the calling thread as running this queue's work, and ends the turn (handing the
    // queue to whatever waits) when it goes.
    class Turn {
    public:
        explicit Turn(SerialQueue& queue);
        ~Turn();
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

        const SerialQueue& queue() const { return queue_; }
        const Turn* outer() const { return outer_; }

    private:
        SerialQueue& queue_;
        const Turn* outer_; // a turn of another queue that this thread is inside
    };

    void throwIfCurrent() const;
    // True when nothing runs or waits: the caller then holds the turn.
    bool claimIfIdle();
    void endTurn();
    void enqueue(std::function<void()> work);
    void runLoop(std::stop_token stop);

    std::string name_;
    std::mutex mutex_; // guards work_ and busy_
    std::condition_variable wake_;
    std::deque<std::function<void()>> work_;
    bool busy_ = false; // some thread runs work of the queue
    // Last: its stop, asked for by the destructor, ends the loop once the queue is empty.
    std::jthread thread_;
};

} // namespace ZazidEvoz::platform

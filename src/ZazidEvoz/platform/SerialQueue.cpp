#include "SerialQueue.hpp"

#include "Threads.hpp"

#include <stdexcept>

namespace ZazidEvoz::platform {

SerialQueue::SerialQueue(std::string name) : name_(std::move(name)) {
    thread_ = std::thread([this] { runLoop(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool SerialQueue::isCurrent() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void SerialQueue::throwIfCurrent() const {
    if (isCurrent())
        throw std::logic_error("Work submitted to the serial queue " + name_ + " from its own thread");
}

void SerialQueue::enqueue(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void SerialQueue::runLoop() {
    setCurrentThreadName(name_);
    for (;;) {
        std::function<void()> next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !work_.empty(); });
            if (work_.empty())
                return;
            next = std::move(work_.front());
            work_.pop_front();
        }
        next();
    }
}

} // namespace ZazidEvoz::platform

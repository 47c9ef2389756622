#include "SerialQueue.hpp"

#include "Threads.hpp"

#include <stdexcept>

namespace ZazidEvoz::platform {
namespace {

// The innermost turn the calling thread is in, of any queue.
thread_local const void* innermostTurn = nullptr;

} // namespace

SerialQueue::Turn::Turn(SerialQueue& queue) : queue_(queue), outer_(static_cast<const Turn*>(innermostTurn)) {
    innermostTurn = this;
}

SerialQueue::Turn::~Turn() {
    innermostTurn = outer_;
    queue_.endTurn();
}

SerialQueue::SerialQueue(std::string name)
    : name_(std::move(name)), thread_([this](std::stop_token stop) { runLoop(std::move(stop)); }) {}

SerialQueue::~SerialQueue() {
    thread_.request_stop();
    thread_.join();
}

bool SerialQueue::isCurrent() const {
    for (auto turn = static_cast<const Turn*>(innermostTurn); turn; turn = turn->outer())
        if (&turn->queue() == this)
            return true;
    return false;
}

void SerialQueue::throwIfCurrent() const {
    if (isCurrent())
        throw std::logic_error("Work submitted to the serial queue " + name_ + " from its own thread");
}

bool SerialQueue::claimIfIdle() {
    std::lock_guard lock(mutex_);
    if (busy_ || !work_.empty() || thread_.get_stop_token().stop_requested())
        return false;
    busy_ = true;
    return true;
}

void SerialQueue::endTurn() {
    bool waiting;
    {
        std::lock_guard lock(mutex_);
        busy_ = false;
        waiting = !work_.empty();
    }
    if (waiting)
        wake_.notify_one();
}

void SerialQueue::enqueue(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void SerialQueue::runLoop(std::stop_token stop) {
    setCurrentThreadName(name_);
    std::stop_callback wakeOnStop(stop, [this] {
        { std::lock_guard lock(mutex_); }
        wake_.notify_one();
    });
    for (;;) {
        std::function<void()> next;
        {
            std::unique_lock lock(mutex_);
            // A stop waits for the turn that runs and for the work still queued.
            wake_.wait(lock, [&] { return !busy_ && (!work_.empty() || stop.stop_requested()); });
            if (work_.empty())
                return;
            next = std::move(work_.front());
            work_.pop_front();
            busy_ = true;
        }
        Turn turn(*this);
        next();
    }
}

} // namespace ZazidEvoz::platform

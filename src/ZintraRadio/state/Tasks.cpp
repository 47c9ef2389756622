#include "state/Tasks.hpp"

#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <list>
#include <mutex>
#include <thread>

namespace ZintraRadio {

namespace {

// Every task thread, joined once it has ended (reaped when the next task starts) or at exit.
class Registry {
public:
    ~Registry() { stopAll(); }

    void start(const char* name, std::function<void()> body) {
        std::lock_guard lock(mutex_);
        reapLocked();
        auto& entry = threads_.emplace_back();
        auto ended = entry.ended;
        std::string threadName = name;
        entry.thread = std::jthread([body = std::move(body), ended, threadName] {
            ZazidEvoz::platform::setCurrentThreadName(threadName);
            body();
            *ended = true;
        });
    }

    void stopAll() {
        std::list<Entry> threads;
        {
            std::lock_guard lock(mutex_);
            threads.swap(threads_);
        }
        // The work holds its own stop source; joining is all that is left here.
        for (auto& entry : threads)
            if (entry.thread.joinable())
                entry.thread.join();
    }

    std::size_t runningCount() {
        std::lock_guard lock(mutex_);
        reapLocked();
        return threads_.size();
    }

private:
    struct Entry {
        std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
        std::jthread thread;
    };

    void reapLocked() {
        for (auto it = threads_.begin(); it != threads_.end();) {
            if (*it->ended) {
                it->thread.join();
                it = threads_.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::mutex mutex_; // guards threads_
    std::list<Entry> threads_;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

bool isCancellation(const std::exception_ptr& error) {
    if (!error)
        return false;
    try {
        std::rethrow_exception(error);
    } catch (const ZazidEvoz::platform::CancellationError&) {
        return true;
    } catch (const ZazidEvoz::platform::HttpError& error) {
        return error.kind() == ZazidEvoz::platform::HttpErrorKind::Cancelled;
    } catch (...) {
        return false;
    }
}

std::string describe(const std::exception_ptr& error) {
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "Unknown error";
    }
}

void TaskHandle::cancel() {
    if (state_)
        state_->stop.request_stop();
}

bool TaskHandle::isCancelled() const {
    return state_ && state_->stop.stop_requested();
}

bool TaskHandle::isRunning() const {
    return state_ && !state_->finished;
}

void TaskRunner::start(const char* name, std::function<void()> body) {
    registry().start(name, std::move(body));
}

void TaskRunner::stopAll() {
    registry().stopAll();
}

std::size_t TaskRunner::runningCount() {
    return registry().runningCount();
}

} // namespace ZintraRadio

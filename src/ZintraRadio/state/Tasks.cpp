#include "state/Tasks.hpp"

#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <list>
#include <mutex>
#include <string>

namespace ZintraRadio {

namespace {

// Every task thread, joined once it has ended (reaped when the next task starts) or at exit.
class Registry {
public:
    ~Registry() { stopAll(); }

    std::stop_source start(const char* name, std::function<void(std::stop_token)> body) {
        std::lock_guard lock(mutex_);
        reapLocked();
        auto& thread = threads_.emplace_back(
            [body = std::move(body), threadName = std::string(name)](std::stop_token stop) {
                ZazidEvoz::platform::setCurrentThreadName(threadName);
                body(std::move(stop));
            });
        return thread.stopSource();
    }

    void stopAll() {
        std::list<ZazidEvoz::platform::WorkerThread> threads;
        {
            std::lock_guard lock(mutex_);
            threads.swap(threads_);
        }
        // The owners cancel what they no longer need through their handles; the rest runs to
        // its end, and joining is all that is left here.
        for (auto& thread : threads)
            if (thread.joinable())
                thread.join();
    }

    std::size_t runningCount() {
        std::lock_guard lock(mutex_);
        reapLocked();
        return threads_.size();
    }

private:
    void reapLocked() {
        for (auto it = threads_.begin(); it != threads_.end();) {
            if (it->hasEnded()) {
                it->join();
                it = threads_.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::mutex mutex_; // guards threads_
    std::list<ZazidEvoz::platform::WorkerThread> threads_;
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
    return state_ && !state_->delivered;
}

std::stop_source TaskRunner::start(const char* name, std::function<void(std::stop_token)> body) {
    return registry().start(name, std::move(body));
}

void TaskRunner::stopAll() {
    registry().stopAll();
}

std::size_t TaskRunner::runningCount() {
    return registry().runningCount();
}

} // namespace ZintraRadio

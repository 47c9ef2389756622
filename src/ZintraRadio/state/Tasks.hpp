// Work the models start off the main thread (directory requests, searches, lookups,
// downloads, rescans). Each task runs on a thread of its own with a stop token; its outcome
// comes back to the main thread. An outcome whose task was cancelled, or whose owner is gone,
// is dropped on arrival, so a superseded request never overwrites a newer one.
#pragma once

#include "system/MainThread.hpp"

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <type_traits>
#include <variant>

namespace ZintraRadio {

template <typename Result> struct Outcome {
    std::optional<Result> value; // the work's result
    std::exception_ptr error;    // or what it threw
    bool ok() const { return value.has_value(); }
    // The thrown exception's what(), or a generic text for non-standard exceptions.
    std::string errorText() const;
};

// True when `error` is the cancellation of a request (never shown as a failure).
bool isCancellation(const std::exception_ptr& error);
std::string describe(const std::exception_ptr& error);

template <typename Result> std::string Outcome<Result>::errorText() const {
    return describe(error);
}

class TaskHandle {
public:
    TaskHandle() = default;
    // Asks the work to stop and drops its outcome. Safe on an empty handle.
    void cancel();
    bool isCancelled() const;
    // True while the work has not delivered (or dropped) its outcome.
    bool isRunning() const;
    bool isEmpty() const { return !state_; }

private:
    friend class TaskRunner;
    struct State {
        std::stop_source stop;  // the task thread's own
        bool delivered = false; // main thread only: the outcome was delivered or dropped
    };
    std::shared_ptr<State> state_;
};

class TaskRunner {
public:
    // Runs `work` on a new thread named `name`; `done` runs on the main thread with the
    // outcome unless the handle was cancelled or `owner` destroyed meanwhile. Call on the
    // main thread.
    template <typename Work, typename Done>
    static TaskHandle run(QObject* owner, const char* name, Work work, Done done) {
        using Result = std::invoke_result_t<Work, std::stop_token>;
        using Stored = std::conditional_t<std::is_void_v<Result>, std::monostate, Result>;
        TaskHandle handle;
        handle.state_ = std::make_shared<TaskHandle::State>();
        auto state = handle.state_;
        auto poster = makeMainThreadPoster(owner);
        // The outcome is read on the main thread, after this returns: state->stop is set by then.
        state->stop = start(name, [state, poster, work = std::move(work),
                                   done = std::move(done)](std::stop_token stop) mutable {
            Outcome<Stored> outcome;
            try {
                if constexpr (std::is_void_v<Result>) {
                    work(std::move(stop));
                    outcome.value = std::monostate{};
                } else {
                    outcome.value = work(std::move(stop));
                }
            } catch (...) {
                outcome.error = std::current_exception();
            }
            poster([state, done = std::move(done), outcome = std::move(outcome)]() mutable {
                state->delivered = true;
                if (!state->stop.stop_requested())
                    done(std::move(outcome));
            });
        });
        return handle;
    }

    // Waits for every task thread (at the end of the process); the owners have cancelled, through
    // their handles, what they no longer need.
    static void stopAll();
    // Tasks whose threads have not ended yet.
    static std::size_t runningCount();

private:
    // Starts `body` on a named thread and returns the source of the stop token it is given.
    static std::stop_source start(const char* name, std::function<void(std::stop_token)> body);
};

} // namespace ZintraRadio

// One database read at a time, off the main thread: the music database answers on its own
// queue, and a view waiting for it would freeze the window. A request made while a read runs
// replaces any request still waiting and runs when the read ends; the ended read's result is
// then dropped, so typing a search queues one read, not one per key, and a list never shows
// an answer older than the one it asked for last.
#pragma once

#include "state/Tasks.hpp"

#include <QObject>
#include <functional>
#include <optional>
#include <utility>

namespace ZintraRadio {

template <typename Result> class LatestRead {
public:
    using Read = std::function<Result()>;
    using Apply = std::function<void(Result)>;

    // `owner` outlives this object (it is its member); results arrive only while it lives.
    LatestRead(QObject* owner, const char* threadName) : owner_(owner), threadName_(threadName) {}
    ~LatestRead() { task_.cancel(); }
    LatestRead(const LatestRead&) = delete;
    LatestRead& operator=(const LatestRead&) = delete;

    // `read` runs on a worker thread, `apply` on the main thread with its result.
    void request(Read read, Apply apply) {
        if (task_.isRunning()) {
            waiting_ = Request{std::move(read), std::move(apply)};
            return;
        }
        start(Request{std::move(read), std::move(apply)});
    }

    bool busy() const { return task_.isRunning(); }

private:
    struct Request {
        Read read;
        Apply apply;
    };

    void start(Request request) {
        task_ = TaskRunner::run(
            owner_, threadName_, [read = std::move(request.read)](std::stop_token) { return read(); },
            [this, apply = std::move(request.apply)](Outcome<Result> outcome) {
                if (waiting_) {
                    Request next = std::move(*waiting_);
                    waiting_.reset();
                    start(std::move(next));
                    return;
                }
                // The database absorbs its own failures; anything else keeps what is shown.
                if (outcome.value)
                    apply(std::move(*outcome.value));
            });
    }

    QObject* owner_;
    const char* threadName_;
    TaskHandle task_;
    std::optional<Request> waiting_;
};

} // namespace ZintraRadio

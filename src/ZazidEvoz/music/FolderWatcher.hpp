// Tells the owner when something in the music folders changed, with the renames it saw.
#pragma once

#include "TrackMoves.hpp"
#include "ZazidEvoz/platform/Threads.hpp"
#include "ZazidEvoz/platform/UniqueFd.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ZazidEvoz {

namespace platform {
class InotifyTreeWatch;
}

// Calls `onChange` once after a burst of changes anywhere below the watched folders, when
// `debounce` has passed without another change, with the renames seen in the burst (files and
// folders that moved within the watched folders, in the order they happened; not those into
// or out of hidden names). The call comes on the watcher's own thread
// ("ZR folder watch"); the owner hops to its own thread. The debounce is waited out through
// `sleeper`, on a thread of its own.
class FolderWatcher {
public:
    static constexpr std::chrono::milliseconds standardDebounce{1500};

    explicit FolderWatcher(std::function<void(std::vector<PathMove> moves)> onChange,
                           std::chrono::milliseconds debounce = standardDebounce,
                           std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper());
    explicit FolderWatcher(std::function<void()> onChange,
                           std::chrono::milliseconds debounce = standardDebounce,
                           std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper());
    // Stops watching. A call still pending is dropped: the callback may refer to an owner that
    // is going away with the watcher.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Watches these folders instead of any earlier ones; events of the earlier ones are no
    // longer delivered. An empty list watches nothing. Returns once the watches are in place.
    void watch(const std::vector<std::filesystem::path>& folders);
    // Stops watching. A call already pending still comes.
    void stop();

private:
    struct Command {
        std::vector<std::filesystem::path> folders;
    };

    void submit(Command command);
    void run(std::stop_token stop);
    // True when the folders watched until now had changes not yet read.
    bool apply(const Command& command);
    void wakeThread();
    // True when the debounce of countdown `number` has run out.
    bool hasExpired(std::uint64_t number);

    // Moves of the watched folders since the last call; owned by the thread.
    void takeMoves();

    std::function<void(std::vector<PathMove>)> onChange_;
    std::shared_ptr<platform::Sleeper> sleeper_;
    std::vector<PathMove> moves_; // owned by the thread
    // eventfd that tells the thread a command, the end of a debounce or a stop is waiting
    platform::UniqueFd wakeFd_;

    std::mutex mutex_; // guards commands_, submitted_, applied_ and expired_
    std::condition_variable appliedChanged_;
    std::vector<Command> commands_;
    std::uint64_t submitted_ = 0;
    std::uint64_t applied_ = 0;
    std::uint64_t expired_ = 0; // the last debounce countdown that ran out

    // Owned by the thread.
    std::unique_ptr<platform::InotifyTreeWatch> tree_;
    platform::Countdown debounce_; // started by the thread
    std::jthread thread_;
};

} // namespace ZazidEvoz

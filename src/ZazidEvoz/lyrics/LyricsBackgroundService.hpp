// Fills in lyrics for the library's tracks in the background: one slow pass at a time over
// the tracks whose songs were never looked up, storing every real answer of the lyrics web
// service in the music database.
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/PowerState.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace ZazidEvoz {

struct LyricsBackgroundOptions {
    // The lyrics web service; absent: the lookup service's own default.
    std::optional<std::string> lyricsBaseURL;
    // Pauses between lookups and low-power waits.
    std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper();
    std::function<bool()> isLowPowerModeOn = [] { return platform::isLowPowerModeOn(); };
};

class LyricsBackgroundService {
public:
    using Options = LyricsBackgroundOptions;

    struct Status {
        bool running = false;
        std::optional<std::string> current; // "artist - title" of the track being looked up
        std::int64_t done = 0;              // tracks handled since the service was made
        std::int64_t remaining = 0;         // tracks left in the current batch
        std::int64_t found = 0;             // lookups with lyrics since the service was made

        friend bool operator==(const Status&, const Status&) = default;
    };

    static constexpr std::int64_t batchSize = 20;
    // The public service is asked slowly.
    static constexpr std::chrono::milliseconds pauseAfterLookup{1500};
    static constexpr std::chrono::milliseconds lowPowerRecheck{60000};
    static constexpr const char* source = "LRCLIB";

    // Status reports are handed to `postToMain`, which runs them on the owner's (main) thread.
    LyricsBackgroundService(std::shared_ptr<MusicDatabase> database, platform::Poster postToMain,
                            Options options = {});
    // Stops the pass and waits for it; reports still queued are dropped.
    ~LyricsBackgroundService();
    LyricsBackgroundService(const LyricsBackgroundService&) = delete;
    LyricsBackgroundService& operator=(const LyricsBackgroundService&) = delete;

    // Any thread.
    Status currentStatus() const;
    // Receives a copy of the status after every change, on the main thread; set it from there.
    void setOnStatus(std::function<void(const Status&)> onStatus);

    // Owner's thread only. start() cancels a running pass (without waiting for it) and begins
    // a new one; stop() cancels the running pass and reports that nothing runs.
    void start();
    void stop();

private:
    // One pass's thread; it has ended once its last report is made.
    using Pass = platform::WorkerThread;
    enum class BatchEnd { more, lastBatch };

    // Asks the running pass to stop and keeps it until it has ended.
    void cancelRunningPass();
    void run(std::uint64_t pass, std::stop_token stop);
    // The next tracks to look up, leaving out the songs whose lookup failed in this pass.
    std::vector<Track> nextBatch(const std::unordered_set<std::string>& failedSongs) const;
    // Looks up one batch, adding the songs whose answer was unusable to `failedSongs`; tells
    // whether the pass goes on.
    BatchEnd fillBatch(std::uint64_t pass, LyricsService& lyrics, const std::vector<Track>& batch,
                       std::unordered_set<std::string>& failedSongs, std::stop_token stop);
    // Applies `change` to the status and reports the result. A pass that a newer one has
    // replaced only counts (done, found): its running, current and remaining are no longer
    // what the owner sees.
    void update(std::uint64_t pass, const std::function<void(Status&)>& change);
    void deliver(std::uint64_t report, const Status& status,
                 const std::function<void(const Status&)>& onStatus);

    const std::shared_ptr<MusicDatabase> database_;
    const platform::Poster postToMain_;
    const Options options_;

    mutable std::mutex lock_; // guards the fields up to the blank line; never held across a call out
    Status status_;
    std::function<void(const Status&)> onStatus_;
    std::uint64_t latestPass_ = 0; // written by the owner
    std::uint64_t reportsMade_ = 0;

    // Owner's thread only.
    std::optional<Pass> pass_;
    std::vector<Pass> cancelledPasses_; // joined once finished, or on destruction
    std::uint64_t lastReportDelivered_ = 0;
    platform::LifetimeGuard alive_;
};

} // namespace ZazidEvoz

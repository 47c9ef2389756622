#include "LyricsBackgroundService.hpp"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace ZazidEvoz {

LyricsBackgroundService::LyricsBackgroundService(std::shared_ptr<MusicDatabase> database,
                                                 platform::Poster postToMain, Options options)
    : database_(std::move(database)), postToMain_(std::move(postToMain)), options_(std::move(options)) {}

LyricsBackgroundService::~LyricsBackgroundService() {
    if (pass_)
        pass_->requestStop();
    for (Pass& cancelled : cancelledPasses_)
        cancelled.requestStop();
    // The threads join here, before the members they use go away.
    pass_.reset();
    cancelledPasses_.clear();
}

LyricsBackgroundService::Status LyricsBackgroundService::currentStatus() const {
    std::lock_guard guard(lock_);
    return status_;
}

void LyricsBackgroundService::setOnStatus(std::function<void(const Status&)> onStatus) {
    std::lock_guard guard(lock_);
    onStatus_ = std::move(onStatus);
}

void LyricsBackgroundService::cancelRunningPass() {
    if (pass_) {
        pass_->requestStop();
        cancelledPasses_.push_back(std::move(*pass_));
        pass_.reset();
    }
    // Cancelled passes that have ended join at once; the others are left to end on their own.
    std::erase_if(cancelledPasses_, [](const Pass& cancelled) { return cancelled.hasEnded(); });
}

void LyricsBackgroundService::start() {
    cancelRunningPass();

    std::uint64_t pass = 0;
    {
        std::lock_guard guard(lock_);
        pass = ++latestPass_;
    }
    pass_.emplace([this, pass](std::stop_token stop) { run(pass, stop); });
}

void LyricsBackgroundService::stop() {
    cancelRunningPass();
    std::uint64_t pass = 0;
    {
        std::lock_guard guard(lock_);
        pass = latestPass_;
    }
    update(pass, [](Status& status) {
        status.running = false;
        status.current.reset();
    });
}

void LyricsBackgroundService::run(std::uint64_t pass, std::stop_token stop) {
    platform::setCurrentThreadName("ZR lyrics fill");
    update(pass, [](Status& status) { status.running = true; });
    try {
        // A lookup service per pass, so its in-memory cache lives only as long as the pass.
        LyricsService lyrics(options_.lyricsBaseURL);
        std::unordered_set<std::string> failedSongs;
        while (!stop.stop_requested()) {
            std::vector<Track> batch = nextBatch(failedSongs);
            update(pass, [&](Status& status) { status.remaining = std::int64_t(batch.size()); });
            if (batch.empty() || fillBatch(pass, lyrics, batch, failedSongs, stop) == BatchEnd::lastBatch)
                break;
        }
    } catch (const std::exception&) {
        // Nothing more can be done in this pass; the next rescan starts a new one.
    }
    update(pass, [](Status& status) {
        status.running = false;
        status.current.reset();
        status.remaining = 0;
    });
}

std::vector<Track>
LyricsBackgroundService::nextBatch(const std::unordered_set<std::string>& failedSongs) const {
    // The failed songs are the oldest without lyrics and come first: ask for as many more.
    std::int64_t limit = batchSize;
    for (;;) {
        std::vector<Track> tracks = database_->tracksWithoutLyrics(limit);
        const auto returned = std::int64_t(tracks.size());
        std::erase_if(tracks, [&](const Track& track) {
            return failedSongs.contains(MusicDatabase::songKey(track.artist, track.title));
        });
        const auto kept = std::int64_t(tracks.size());
        if (kept >= batchSize || returned < limit) {
            if (kept > batchSize)
                tracks.resize(std::size_t(batchSize));
            return tracks;
        }
        limit = batchSize + (returned - kept);
    }
}

LyricsBackgroundService::BatchEnd
LyricsBackgroundService::fillBatch(std::uint64_t pass, LyricsService& lyrics, const std::vector<Track>& batch,
                                   std::unordered_set<std::string>& failedSongs, std::stop_token stop) {
    std::size_t stored = 0;
    const std::size_t failedBefore = failedSongs.size();
    for (const Track& track : batch) {
        while (!stop.stop_requested() && options_.isLowPowerModeOn())
            options_.sleeper->sleepFor(lowPowerRecheck, stop);
        if (stop.stop_requested())
            return BatchEnd::lastBatch;
        update(pass, [&](Status& status) { status.current = track.artist + " - " + track.title; });

        std::optional<SongLyrics> answer;
        bool answered = true;
        try {
            answer = lyrics.lyrics(track.artist, track.title, stop);
        } catch (const platform::HttpError& error) {
            // Offline, timed out or cancelled: no answer about this song, so nothing is stored
            // and the pass ends rather than marking the library as having no lyrics.
            if (error.kind() != platform::HttpErrorKind::TooLarge)
                return BatchEnd::lastBatch;
            // An oversized answer fails this song only: nothing is stored, the others go on,
            // and the song is not asked again before the next pass.
            answered = false;
            failedSongs.insert(MusicDatabase::songKey(track.artist, track.title));
        } catch (const LyricsServiceError&) {
            return BatchEnd::lastBatch; // the service refuses for now
        }
        if (answer)
            update(pass, [](Status& status) { status.found += 1; });
        if (answered && database_->saveLyrics(track.artist, track.title, answer, source))
            ++stored;
        update(pass, [](Status& status) {
            status.done += 1;
            status.remaining = std::max<std::int64_t>(status.remaining - 1, 0);
        });
        options_.sleeper->sleepFor(pauseAfterLookup, stop);
    }
    // Nothing stored (a read-only or full database) and no song left out: the same tracks
    // would come back forever.
    bool progressed = stored > 0 || failedSongs.size() > failedBefore;
    return !progressed || stop.stop_requested() ? BatchEnd::lastBatch : BatchEnd::more;
}

void LyricsBackgroundService::update(std::uint64_t pass, const std::function<void(Status&)>& change) {
    Status report;
    std::function<void(const Status&)> onStatus;
    std::uint64_t reportNumber = 0;
    {
        std::lock_guard guard(lock_);
        if (pass == latestPass_) {
            change(status_);
        } else {
            Status changed = status_;
            change(changed);
            status_.done = changed.done;
            status_.found = changed.found;
        }
        report = status_;
        onStatus = onStatus_;
        reportNumber = ++reportsMade_;
    }
    postToMain_([this, token = alive_.token(), reportNumber, report = std::move(report),
                 onStatus = std::move(onStatus)] {
        if (platform::LifetimeGuard::isAlive(token))
            deliver(reportNumber, report, onStatus);
    });
}

void LyricsBackgroundService::deliver(std::uint64_t report, const Status& status,
                                      const std::function<void(const Status&)>& onStatus) {
    // Two passes may post out of turn; an older copy must not overwrite a newer one.
    if (report <= lastReportDelivered_)
        return;
    lastReportDelivered_ = report;
    if (onStatus)
        onStatus(status);
}

} // namespace ZazidEvoz

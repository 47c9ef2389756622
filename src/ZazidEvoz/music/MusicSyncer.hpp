// Keeps the music database in step with the music folders.
#pragma once

#include "MusicDatabase.hpp"
#include "MusicLibraryStore.hpp"
#include "TrackMoves.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ZazidEvoz {

class MusicSyncer {
public:
    struct Result {
        std::int64_t added = 0;   // read from files the database did not hold
        std::int64_t changed = 0; // re-read from files the database held, or found moved
        std::int64_t removed = 0; // stored tracks dropped: their files are gone or hold no sound
        std::int64_t total = 0;   // tracks in the database after the pass
        // Vanished files found again under new paths; their tracks moved with them.
        std::vector<PathMove> moves;

        Result() = default;
        Result(std::int64_t added, std::int64_t changed, std::int64_t removed, std::int64_t total,
               std::vector<PathMove> moves = {})
            : added(added), changed(changed), removed(removed), total(total), moves(std::move(moves)) {}

        bool hasChanges() const { return added + changed + removed > 0; }
        friend bool operator==(const Result&, const Result&) = default;
    };

    // Builds the track of one new or changed file (MusicLibraryStore::readAudioTrack); nothing
    // for a file without sound. Called from several threads at once, for different files.
    using TrackReader = std::function<std::optional<Track>(const std::filesystem::path& file, Date modified)>;

    MusicSyncer(std::shared_ptr<MusicDatabase> database, MusicLibraryStore reader);
    MusicSyncer(std::shared_ptr<MusicDatabase> database, TrackReader reader);

    // One pass over the folders, in the user's order; blocks the calling (background) thread.
    // New and changed files are read on several threads and written by this one, in batches
    // in the order of the files. Nothing when a pass is already running or `stop` was
    // requested during this one. Tracks under a folder, or a folder inside one, that cannot
    // be listed or that lists no audio file (an unmounted drive's mount point) are kept; the
    // tracks of a folder that is gone are removed. A new file that is a vanished one moved
    // (same size, modification time and tags) takes over the vanished track's user data.
    // Files without sound are left out; the ones found so are not read again while they stay
    // as they are. Stored tracks without a length are looked at once per syncer, so that
    // files listed before the library knew to leave them out go. Leftover copies of tag edits
    // whose process died are removed from the folders.
    std::optional<Result> sync(const std::vector<std::filesystem::path>& folders, std::stop_token stop = {});

private:
    std::shared_ptr<MusicDatabase> database_;
    TrackReader reader_;
    std::mutex mutex_; // guards running_ only
    bool running_ = false;

    // Used only by the running pass.
    struct Stamp {
        double modified = 0;
        std::int64_t size = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    std::unordered_map<std::string, Stamp> withoutSound_; // files found to hold none, as they were then
    std::unordered_set<std::string> lengthsLookedAt_;     // stored tracks without a length, looked at
};

} // namespace ZazidEvoz

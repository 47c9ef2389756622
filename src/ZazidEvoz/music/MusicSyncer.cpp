#include "MusicSyncer.hpp"

#include "FolderListing.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace ZazidEvoz {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t batchSize = 50;
// Readers take this many files at a time, and are at most `readAhead` files ahead of the
// writer, which has at most `batchesAhead` batches waiting: few hand-overs between the
// threads, enough in hand that the writer seldom waits, bounded memory.
constexpr std::size_t readChunk = 8;
constexpr std::size_t readAhead = 1024;
constexpr std::size_t batchesAhead = 8;
constexpr unsigned maximumReaderThreads = 8;

bool isInsideAny(const std::string& path, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& prefix) { return path.starts_with(prefix); });
}

// A file the pass reads.
struct PendingFile {
    fs::path file;
    double modifiedSeconds = 0;
    std::int64_t size = 0;
    bool stored = false;       // the database holds a track of this path
    bool mayHaveMoved = false; // new, with the size and time of a file that is gone
    bool lookAtSound = false;  // stored and unchanged, but without a length: read only to see
                               // whether it holds sound
};

// Reads the tracks of the pending files on several threads and hands them out in file order.
// Readers stay at most `readAhead` files ahead of the taker; a stop ends every wait.
class ParallelTrackReader {
public:
    ParallelTrackReader(const MusicSyncer::TrackReader& reader, const std::vector<PendingFile>& files,
                        std::stop_token stop)
        : reader_(reader), files_(files), slots_(files.size()), stop_(std::move(stop)),
          onStop_(stop_, [this] { wakeEveryone(); }) {
        std::size_t chunks = (files.size() + readChunk - 1) / readChunk;
        unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, maximumReaderThreads);
        threads = unsigned(std::min<std::size_t>(threads, chunks));
        for (unsigned index = 0; index < threads; ++index)
            threads_.emplace_back([this](std::stop_token closing) { readFiles(std::move(closing)); });
    }

    ~ParallelTrackReader() {
        for (std::jthread& thread : threads_)
            thread.request_stop();
        wakeEveryone();
        threads_.clear(); // joins
    }
    ParallelTrackReader(const ParallelTrackReader&) = delete;
    ParallelTrackReader& operator=(const ParallelTrackReader&) = delete;

    struct Read {
        std::optional<Track> track; // nothing: the file holds no sound
        std::string songKey;
    };

    // The track of file `index` with its song key, taken in order, once it is read; nothing
    // when the pass is stopped. A failure of the reader passes on here.
    std::optional<Read> take(std::size_t index) {
        std::unique_lock lock(mutex_);
        wanted_ = index;
        ready_.wait(lock, [&] { return slots_[index].done || stop_.stop_requested(); });
        if (stop_.stop_requested())
            return std::nullopt;
        Slot slot = std::move(slots_[index]);
        taken_ = index + 1;
        lock.unlock();
        if (taken_ % readChunk == 0)
            room_.notify_one(); // room for one more chunk
        if (slot.error)
            std::rethrow_exception(slot.error);
        return std::move(slot.read);
    }

private:
    struct Slot {
        bool done = false;
        std::optional<Read> read;
        std::exception_ptr error;
    };

    void wakeEveryone() {
        { std::lock_guard lock(mutex_); }
        ready_.notify_all();
        room_.notify_all();
    }

    // Ends when the pass is stopped or the reader closes (`closing`).
    void readFiles(std::stop_token closing) {
        platform::setCurrentThreadName("ZR track reader");
        std::vector<Slot> read;
        for (;;) {
            std::size_t first;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] {
                    return closing.stop_requested() || stop_.stop_requested() || next_ >= files_.size() ||
                           next_ + readChunk <= taken_ + readAhead;
                });
                if (closing.stop_requested() || stop_.stop_requested() || next_ >= files_.size())
                    return;
                first = next_;
                next_ = std::min(next_ + readChunk, files_.size());
            }
            std::size_t end = std::min(first + readChunk, files_.size());
            read.clear();
            for (std::size_t index = first; index < end; ++index) {
                if (stop_.stop_requested())
                    return;
                Slot& slot = read.emplace_back(Slot{true, std::nullopt, nullptr});
                try {
                    const PendingFile& file = files_[index];
                    auto track =
                        reader_(file.file, platform::dateFromSecondsSince1970(file.modifiedSeconds));
                    std::string key = track ? MusicDatabase::songKey(track->artist, track->title) : "";
                    slot.read = Read{std::move(track), std::move(key)};
                } catch (...) {
                    slot.error = std::current_exception();
                }
            }
            bool wanted;
            {
                std::lock_guard lock(mutex_);
                for (std::size_t index = first; index < end; ++index)
                    slots_[index] = std::move(read[index - first]);
                wanted = wanted_ >= first && wanted_ < end;
            }
            if (wanted)
                ready_.notify_one();
        }
    }

    const MusicSyncer::TrackReader& reader_;
    const std::vector<PendingFile>& files_;
    std::mutex mutex_;              // guards slots_, next_, taken_ and wanted_
    std::condition_variable ready_; // the taker waits for its file
    std::condition_variable room_;  // readers wait for the taker to catch up
    std::vector<Slot> slots_;
    std::size_t next_ = 0;   // the first file no reader has taken on
    std::size_t taken_ = 0;  // files handed out so far
    std::size_t wanted_ = 0; // the file the taker waits for
    std::stop_token stop_;
    std::stop_callback<std::function<void()>> onStop_;
    std::vector<std::jthread> threads_;
};

// Writes batches of tracks on a thread of its own, one after the other in the order given, so
// the pass goes on reading while the database stores what it has read.
class BatchWriter {
public:
    explicit BatchWriter(MusicDatabase& database)
        : database_(database), thread_([this](std::stop_token stop) { writeBatches(std::move(stop)); }) {}
    // Waits for the batch being written; batches not yet started are dropped.
    ~BatchWriter() {
        {
            std::lock_guard lock(mutex_);
            waiting_.clear();
            thread_.request_stop(); // under the lock: the writer looks at it there
        }
        changed_.notify_all();
        thread_.join();
    }
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    struct Batch {
        std::vector<Track> tracks;
        std::vector<std::string> songKeys;
    };

    // Queues a batch; waits while `batchesAhead` are already waiting.
    void write(Batch batch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waiting_.size() < batchesAhead; });
        waiting_.push_back(std::move(batch));
        changed_.notify_all();
    }
    // Returns once every queued batch is written.
    void finish() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waiting_.empty() && !writing_; });
    }

private:
    void writeBatches(std::stop_token stop) {
        platform::setCurrentThreadName("ZR track writer");
        for (;;) {
            Batch batch;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop.stop_requested() || !waiting_.empty(); });
                if (waiting_.empty())
                    return;
                batch = std::move(waiting_.front());
                waiting_.pop_front();
                writing_ = true;
            }
            changed_.notify_all();
            database_.upsert(batch.tracks, batch.songKeys);
            {
                std::lock_guard lock(mutex_);
                writing_ = false;
            }
            changed_.notify_all();
        }
    }

    MusicDatabase& database_;
    std::mutex mutex_; // guards waiting_ and writing_
    std::condition_variable changed_;
    std::deque<Batch> waiting_;
    bool writing_ = false;
    std::jthread thread_;
};

} // namespace

// ---- Syncer

MusicSyncer::MusicSyncer(std::shared_ptr<MusicDatabase> database, MusicLibraryStore reader)
    : MusicSyncer(std::move(database), [reader = std::move(reader)](const fs::path& file, Date modified) {
          return reader.readAudioTrack(file, modified);
      }) {}

MusicSyncer::MusicSyncer(std::shared_ptr<MusicDatabase> database, TrackReader reader)
    : database_(std::move(database)), reader_(std::move(reader)) {}

std::optional<MusicSyncer::Result> MusicSyncer::sync(const std::vector<fs::path>& folders,
                                                     std::stop_token stop) {
    {
        std::lock_guard lock(mutex_);
        if (running_)
            return std::nullopt;
        running_ = true;
    }
    struct EndOfPass {
        MusicSyncer& syncer;
        ~EndOfPass() {
            std::lock_guard lock(syncer.mutex_);
            syncer.running_ = false;
        }
    } endOfPass{*this};

    auto stamps = database_->fileStamps();
    auto sameStamp = [](double modified, std::int64_t size, double otherModified, std::int64_t otherSize) {
        return std::abs(modified - otherModified) < 1.0 && size == otherSize;
    };

    // Which files are new or changed.
    std::unordered_set<std::string> seen;
    seen.reserve(stamps.size());
    std::vector<PendingFile> pending;
    std::vector<std::string> presentRoots;
    std::vector<std::string> keptInside; // unreadable folders inside present ones
    EmptyFolders emptyFolders;
    for (const fs::path& folder : folders) {
        std::error_code error;
        if (!fs::exists(folder, error))
            continue;
        FolderListing listing = listFolder(folder, LeftoverCopies::remove);
        std::string root = insidePrefix(folder.string());
        // A folder that cannot be listed counts as missing.
        if (!listing.listed)
            continue;
        presentRoots.push_back(root);
        keptInside.insert(keptInside.end(), listing.unreadableFolders.begin(),
                          listing.unreadableFolders.end());
        emptyFolders.addListing(listing, root);

        for (ListedFile& file : listing.files) {
            if (stop.stop_requested())
                return std::nullopt;
            if (!seen.insert(file.path).second)
                continue;
            auto stamp = stamps.find(file.path);
            bool stored = stamp != stamps.end();
            bool lookAtSound = false;
            if (stored && sameStamp(stamp->second.modified, stamp->second.size, file.modified, file.size)) {
                if (stamp->second.duration > 0 || lengthsLookedAt_.contains(file.path))
                    continue;
                lookAtSound = true;
            }
            if (auto known = withoutSound_.find(file.path); !stored && known != withoutSound_.end() &&
                                                             sameStamp(known->second.modified, known->second.size,
                                                                       file.modified, file.size))
                continue;
            pending.push_back({fs::path(std::move(file.path)), file.modified, file.size, stored, false, lookAtSound});
        }
    }

    // Which stored files are gone: their folder is there and lists them no more, or they lie
    // outside every music folder.
    for (const auto& [path, stamp] : stamps)
        emptyFolders.noteTrack(path, stamp.added);
    emptyFolders.decide();
    std::vector<std::string> removals;
    for (const auto& [path, stamp] : stamps) {
        if (seen.contains(path) || isInsideAny(path, keptInside) || emptyFolders.keeps(path))
            continue;
        if (isInsideAny(path, presentRoots)) {
            removals.push_back(path);
            continue;
        }
        bool underRequestedFolder = std::any_of(folders.begin(), folders.end(), [&](const fs::path& folder) {
            return path.starts_with(folder.string());
        });
        if (!underRequestedFolder)
            removals.push_back(path);
    }
    VanishedFiles vanished;
    for (const std::string& path : removals)
        vanished.add(path, stamps.at(path).modified, stamps.at(path).size);
    for (PendingFile& file : pending)
        file.mayHaveMoved = !file.stored && vanished.mayHaveMovedTo(file.modifiedSeconds, file.size);

    // Read them on several threads; one writer stores them in order, in batches.
    Result result;
    std::vector<std::string> withoutSound; // stored tracks whose files hold no sound
    if (!pending.empty()) {
        ParallelTrackReader tracks(reader_, pending, stop);
        std::unordered_map<std::string, Track> storedTracks;
        if (std::any_of(pending.begin(), pending.end(),
                        [](const PendingFile& file) { return file.stored || file.mayHaveMoved; }))
            for (Track& track : database_->allTracks())
                storedTracks.insert_or_assign(track.path, std::move(track));
        auto storedTrack = [&](const std::string& path) -> const Track* {
            auto found = storedTracks.find(path);
            return found == storedTracks.end() ? nullptr : &found->second;
        };
        BatchWriter writer(*database_);
        BatchWriter::Batch batch;
        for (std::size_t index = 0; index < pending.size(); ++index) {
            auto read = tracks.take(index);
            if (!read)
                return std::nullopt;
            const PendingFile& file = pending[index];
            if (!read->track) {
                withoutSound_.insert_or_assign(file.file.string(), Stamp{file.modifiedSeconds, file.size});
                if (file.stored)
                    withoutSound.push_back(file.file.string());
                continue;
            }
            if (file.lookAtSound) {
                lengthsLookedAt_.insert(file.file.string());
                continue; // it holds sound: its stored track stays as it is
            }
            Track& track = *read->track;
            if (const Track* previous = storedTrack(track.path)) {
                carryOver(*previous, track);
                ++result.changed;
            } else if (auto from = file.mayHaveMoved
                                       ? vanished.claim(track, file.modifiedSeconds, file.size, storedTrack)
                                       : std::nullopt) {
                carryOver(*storedTrack(*from), track);
                result.moves.push_back({*from, track.path});
                ++result.changed;
            } else {
                ++result.added;
            }
            batch.tracks.push_back(std::move(track));
            batch.songKeys.push_back(std::move(read->songKey));
            if (batch.tracks.size() == batchSize) {
                writer.write(std::move(batch));
                batch = {};
            }
        }
        if (stop.stop_requested())
            return std::nullopt;
        if (!batch.tracks.empty())
            writer.write(std::move(batch));
        writer.finish();
    }
    // What went out of the folders is forgotten; a file that comes back is new.
    std::erase_if(withoutSound_, [&](const auto& entry) { return !seen.contains(entry.first); });
    std::erase_if(lengthsLookedAt_, [&](const std::string& path) { return !seen.contains(path); });

    result.removed = std::int64_t(removals.size() - result.moves.size() + withoutSound.size());
    removals.insert(removals.end(), withoutSound.begin(), withoutSound.end());
    database_->deletePaths(removals);
    result.total = database_->count();
    return result;
}

} // namespace ZazidEvoz

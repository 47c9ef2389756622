#include "MusicSync.hpp"

#include "ZazidEvoz/platform/Inotify.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/Threads.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <deque>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <system_error>
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

bool isHiddenName(std::string_view name) {
    return name.starts_with('.');
}

bool hasAudioExtension(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return false;
    std::string extension(name.substr(dot + 1));
    bool ascii = std::all_of(extension.begin(), extension.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii)
        extension = text::lowercased(extension);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return MusicLibraryStore::audioExtensions().contains(extension);
}

// The folder's path with one "/" at the end: a prefix of exactly the paths inside it.
std::string insidePrefix(const std::string& folder) {
    return folder.ends_with('/') ? folder : folder + '/';
}

bool isInsideAny(const std::string& path, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& prefix) { return path.starts_with(prefix); });
}

double modificationSeconds(const struct stat& info) {
    return double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
}

struct ListedFile {
    std::string path;
    double modified = 0; // seconds since 1970, when listed
    std::int64_t size = 0;
};

// What listing one music folder found.
struct FolderListing {
    bool listed = false;           // false: the folder itself could not be opened
    std::vector<ListedFile> files; // by name, depth first
    // Folders inside it (as inside prefixes) that could not be opened, or that hold no audio
    // file: neither says the files stored under them are gone.
    std::vector<std::string> unreadableFolders;
    std::vector<std::string> emptyFolders;
};

// What a listing does with the hidden copies that tag edits and lyrics embeddings leave when
// their process dies.
enum class LeftoverCopies { keep, remove };

// A copy older than this belongs to no edit that is still copying: edits hold their copy's lock
// too, and this is what the listing waits for besides.
constexpr std::chrono::minutes leftoverCopyAge{5};

class FolderLister {
public:
    FolderLister(FolderListing& listing, LeftoverCopies leftovers) : listing_(listing), leftovers_(leftovers) {}

    // Adds the audio files of `folder` to the listing, depth first and by name within a
    // folder; false when the folder cannot be opened.
    bool list(const std::string& folder) {
        std::vector<Entry> entries;
        bool holdsLeftovers = false;
        if (!read(folder, entries, holdsLeftovers))
            return false;
        if (holdsLeftovers && leftovers_ == LeftoverCopies::remove)
            platform::removeLeftovers(folder, platform::EntryKind::file, TagEditor::isTemporaryOutputName,
                                      leftoverCopyAge);
        std::string prefix = insidePrefix(folder);
        for (Entry& entry : entries) {
            if (entry.kind == Entry::Kind::file) {
                listing_.files.push_back({prefix + entry.name, entry.modified, entry.size});
                continue;
            }
            std::string inside = prefix + entry.name;
            std::size_t before = listing_.files.size();
            if (!list(inside))
                listing_.unreadableFolders.push_back(insidePrefix(inside));
            else if (listing_.files.size() == before)
                listing_.emptyFolders.push_back(insidePrefix(inside));
        }
        return true;
    }

private:
    struct Entry {
        enum class Kind { file, folder };
        std::string name;
        Kind kind = Kind::file;
        double modified = 0;
        std::int64_t size = 0;
    };

    // The folder's entries worth a look, by name: audio files with their attributes (a link
    // counts as the file it points to) and folders (links to folders are not followed, so
    // there are no loops). The folder is closed before anything inside it is opened.
    // `holdsLeftovers` tells whether a hidden name is an edit's copy.
    static bool read(const std::string& folder, std::vector<Entry>& entries, bool& holdsLeftovers) {
        DIR* directory = ::opendir(folder.c_str());
        if (!directory)
            return false;
        int fd = ::dirfd(directory);
        for (;;) {
            errno = 0;
            const dirent* item = ::readdir(directory);
            if (!item)
                break;
            std::string_view name = item->d_name;
            if (isHiddenName(name)) {
                holdsLeftovers = holdsLeftovers || TagEditor::isTemporaryOutputName(name);
                continue;
            }
            unsigned char type = item->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN) {
                if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
            }
            if (type == DT_DIR) {
                entries.push_back({std::string(name), Entry::Kind::folder});
                continue;
            }
            if ((type != DT_REG && type != DT_LNK) || !hasAudioExtension(name))
                continue;
            if (::fstatat(fd, item->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
                continue;
            entries.push_back({std::string(name), Entry::Kind::file, modificationSeconds(info),
                               std::int64_t(info.st_size)});
        }
        // A listing cut short by an error (a failing network share) would read as files gone.
        bool complete = errno == 0;
        ::closedir(directory);
        if (!complete)
            return false;
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return true;
    }

    FolderListing& listing_;
    LeftoverCopies leftovers_;
};

FolderListing listFolder(const fs::path& folder, LeftoverCopies leftovers) {
    FolderListing listing;
    listing.listed = FolderLister(listing, leftovers).list(folder.string());
    return listing;
}

// Folders that list no audio file (music folders included) keep the tracks stored below them
// only while they look like the mount point of a drive that is away: not modified after the
// second in which the last of those tracks joined the library (music.json keeps whole
// seconds). A folder the user emptied was modified when its last file went. A track answers to
// the deepest such folder above it, so an emptied album inside an old mount point still loses
// its tracks.
class EmptyFolders {
public:
    // The empty folders a listing of the music folder `root` (an inside prefix) found.
    void addListing(const FolderListing& listing, const std::string& root) {
        for (const std::string& inside : listing.emptyFolders)
            folders_.try_emplace(inside);
        if (listing.listed && listing.files.empty())
            folders_.try_emplace(root);
    }

    // Call for every stored track, then decide().
    void noteTrack(const std::string& path, double addedSeconds) {
        if (Folder* folder = holder(path))
            folder->latestAdded = std::max(folder->latestAdded.value_or(addedSeconds), addedSeconds);
    }

    void decide() {
        for (auto& [prefix, folder] : folders_) {
            struct stat info {};
            folder.keepsTracks = folder.latestAdded && ::stat(prefix.c_str(), &info) == 0 &&
                                 modificationSeconds(info) < std::floor(*folder.latestAdded) + 1.0;
        }
    }

    bool keeps(const std::string& path) {
        const Folder* folder = holder(path);
        return folder && folder->keepsTracks;
    }

private:
    struct Folder {
        std::optional<double> latestAdded; // of the stored tracks it holds
        bool keepsTracks = false;
    };

    Folder* holder(const std::string& path) {
        if (folders_.empty())
            return nullptr;
        for (auto slash = path.rfind('/'); slash != std::string::npos && slash > 0;
             slash = path.rfind('/', slash - 1)) {
            if (auto found = folders_.find(path.substr(0, slash + 1)); found != folders_.end())
                return &found->second;
        }
        return nullptr;
    }

    std::unordered_map<std::string, Folder> folders_;
};

// The user's own data of a track whose file was read again.
void carryOver(const Track& stored, Track& fresh) {
    fresh.added = stored.added;
    fresh.playCount = stored.playCount;
    fresh.lastPlayed = stored.lastPlayed;
    fresh.rating = stored.rating;
    if (stored.sourceURL)
        fresh.sourceURL = stored.sourceURL;
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
            threads_.emplace_back([this] { readFiles(); });
    }

    ~ParallelTrackReader() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wakeEveryone();
        for (std::thread& thread : threads_)
            thread.join();
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

    void readFiles() {
        platform::setCurrentThreadName("ZR track reader");
        std::vector<Slot> read;
        for (;;) {
            std::size_t first;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] {
                    return closing_ || stop_.stop_requested() || next_ >= files_.size() ||
                           next_ + readChunk <= taken_ + readAhead;
                });
                if (closing_ || stop_.stop_requested() || next_ >= files_.size())
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
    std::mutex mutex_;              // guards slots_, next_, taken_, wanted_ and closing_
    std::condition_variable ready_; // the taker waits for its file
    std::condition_variable room_;  // readers wait for the taker to catch up
    std::vector<Slot> slots_;
    std::size_t next_ = 0;   // the first file no reader has taken on
    std::size_t taken_ = 0;  // files handed out so far
    std::size_t wanted_ = 0; // the file the taker waits for
    bool closing_ = false;
    std::stop_token stop_;
    std::stop_callback<std::function<void()>> onStop_;
    std::vector<std::thread> threads_;
};

// Writes batches of tracks on a thread of its own, one after the other in the order given, so
// the pass goes on reading while the database stores what it has read.
class BatchWriter {
public:
    explicit BatchWriter(MusicDatabase& database)
        : database_(database), thread_([this] { writeBatches(); }) {}
    // Waits for the batch being written; batches not yet started are dropped.
    ~BatchWriter() {
        {
            std::lock_guard lock(mutex_);
            waiting_.clear();
            closing_ = true;
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
    void writeBatches() {
        platform::setCurrentThreadName("ZR track writer");
        for (;;) {
            Batch batch;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
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
    std::mutex mutex_; // guards waiting_, writing_ and closing_
    std::condition_variable changed_;
    std::deque<Batch> waiting_;
    bool writing_ = false;
    bool closing_ = false;
    std::thread thread_;
};

} // namespace

// ---- Listing

MusicLibraryStore::AudioFileListing MusicLibraryStore::listAudioFiles(const fs::path& folder) {
    FolderListing found = listFolder(folder, LeftoverCopies::keep);
    AudioFileListing listing;
    listing.listed = found.listed;
    listing.files.reserve(found.files.size());
    for (ListedFile& file : found.files)
        listing.files.emplace_back(std::move(file.path));
    for (const std::string& prefix : found.unreadableFolders)
        listing.unreadableFolders.emplace_back(prefix.substr(0, prefix.size() - 1));
    return listing;
}

std::vector<fs::path> MusicLibraryStore::audioFiles(const fs::path& folder) {
    return listAudioFiles(folder).files;
}

// ---- Rescan of the JSON library

std::vector<Track> MusicLibraryStore::rescan(const std::vector<Track>& tracks,
                                             const std::vector<fs::path>& folders) const {
    std::vector<PathMove> moves;
    return rescan(tracks, folders, moves);
}

std::vector<Track> MusicLibraryStore::rescan(const std::vector<Track>& tracks, const std::vector<fs::path>& folders,
                                             std::vector<PathMove>& moves) const {
    std::unordered_map<std::string, const Track*> byPath;
    for (const Track& track : tracks)
        byPath.try_emplace(track.path, &track);

    std::unordered_set<std::string> seen;
    std::vector<Track> result;
    auto keepTracksInside = [&](const std::string& prefix) {
        for (const Track& track : tracks)
            if (track.path.starts_with(prefix) && seen.insert(track.path).second)
                result.push_back(*byPath.at(track.path));
    };
    // Files new to the library, by their place in the result, with what was listed of them.
    struct NewFile {
        std::size_t row;
        double modified;
        std::int64_t size;
    };
    std::vector<NewFile> newFiles;

    std::vector<FolderListing> listings;
    EmptyFolders emptyFolders;
    for (const fs::path& folder : folders) {
        listings.push_back(listFolder(folder, LeftoverCopies::remove));
        emptyFolders.addListing(listings.back(), insidePrefix(folder.string()));
    }
    for (const Track& track : tracks)
        emptyFolders.noteTrack(track.path, platform::secondsSince1970(track.added));
    emptyFolders.decide();

    for (std::size_t index = 0; index < folders.size(); ++index) {
        const FolderListing& listing = listings[index];
        std::string prefix = insidePrefix(folders[index].string());
        // An unreadable folder says nothing about its files: keep them.
        if (!listing.listed) {
            keepTracksInside(prefix);
            continue;
        }
        for (const ListedFile& file : listing.files) {
            if (!seen.insert(file.path).second)
                continue;
            Date modified = platform::dateFromSecondsSince1970(file.modified);
            auto stored = byPath.find(file.path);
            if (stored != byPath.end() &&
                std::abs(file.modified - platform::secondsSince1970(stored->second->fileModified)) < 1.0) {
                // A track without a length may be a file listed before files without sound
                // were left out.
                if (stored->second->duration > 0 || readAudioTrack(file.path, modified))
                    result.push_back(*stored->second);
                continue;
            }
            std::optional<Track> fresh = readAudioTrack(file.path, modified);
            if (!fresh)
                continue;
            if (stored != byPath.end())
                carryOver(*stored->second, *fresh);
            else
                newFiles.push_back({result.size(), file.modified, file.size});
            result.push_back(std::move(*fresh));
        }
        // The same holds for folders inside it; empty ones keep their tracks while they look unmounted.
        for (const std::string& inside : listing.unreadableFolders)
            keepTracksInside(inside);
        for (const Track& track : tracks)
            if (track.path.starts_with(prefix) && emptyFolders.keeps(track.path) &&
                seen.insert(track.path).second)
                result.push_back(track);
    }

    // New files that are vanished ones moved keep what the user gave them.
    VanishedFiles vanished;
    for (const auto& [path, track] : byPath)
        if (!seen.contains(path) && track->fileSize)
            vanished.add(path, platform::secondsSince1970(track->fileModified), *track->fileSize);
    auto storedTrack = [&](const std::string& path) -> const Track* {
        auto found = byPath.find(path);
        return found == byPath.end() ? nullptr : found->second;
    };
    for (const NewFile& file : newFiles) {
        Track& fresh = result[file.row];
        if (!vanished.mayHaveMovedTo(file.modified, file.size))
            continue;
        if (auto from = vanished.claim(fresh, file.modified, file.size, storedTrack)) {
            carryOver(*byPath.at(*from), fresh);
            moves.push_back({*from, fresh.path});
        }
    }
    return result;
}

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

// ---- Folder watcher

FolderWatcher::FolderWatcher(std::function<void(std::vector<PathMove>)> onChange, std::chrono::milliseconds debounce)
    : onChange_(std::move(onChange)), debounce_(debounce), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wakeFd_)
        throw std::system_error(errno, std::system_category(), "eventfd");
    thread_ = std::thread([this] { run(); });
}

FolderWatcher::FolderWatcher(std::function<void()> onChange, std::chrono::milliseconds debounce)
    : FolderWatcher([onChange = std::move(onChange)](std::vector<PathMove>) { onChange(); }, debounce) {}

FolderWatcher::~FolderWatcher() {
    submit({{}, true});
    thread_.join();
}

void FolderWatcher::watch(const std::vector<fs::path>& folders) {
    submit({folders, false});
}

void FolderWatcher::stop() {
    submit({{}, false});
}

void FolderWatcher::submit(Command command) {
    std::unique_lock lock(mutex_);
    bool quit = command.quit;
    commands_.push_back(std::move(command));
    std::uint64_t ticket = ++submitted_;
    std::uint64_t one = 1;
    platform::writeAll(wakeFd_.get(), &one, sizeof one);
    if (!quit)
        appliedChanged_.wait(lock, [&] { return applied_ >= ticket; });
}

void FolderWatcher::takeMoves() {
    if (!tree_)
        return;
    for (auto& rename : tree_->takeRenames())
        moves_.push_back({rename.from.string(), rename.to.string()});
}

bool FolderWatcher::apply(const Command& command) {
    // What changed before this command still counts; nothing of the old folders after it.
    bool changed = tree_ && tree_->readEvents();
    takeMoves();
    tree_.reset();
    if (command.quit || command.folders.empty())
        return changed;
    try {
        tree_ = std::make_unique<platform::InotifyTreeWatch>();
        for (const fs::path& folder : command.folders)
            tree_->addTree(folder);
    } catch (const std::system_error&) {
        // Without inotify the watcher delivers nothing; the periodic rescan still runs.
        tree_.reset();
    }
    return changed;
}

void FolderWatcher::run() {
    platform::setCurrentThreadName("ZR folder watch");
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    for (;;) {
        pollfd descriptors[2] = {{wakeFd_.get(), POLLIN, 0}, {tree_ ? tree_->fd() : -1, POLLIN, 0}};
        int timeout = -1;
        if (deadline) {
            auto remaining = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = int(std::max<std::int64_t>(0, remaining.count()));
        }
        int ready = ::poll(descriptors, 2, timeout);
        if (ready < 0) {
            // Only a shortage of memory gets here; the thread must live on to answer commands.
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }

        if (ready > 0 && (descriptors[0].revents & POLLIN)) {
            std::uint64_t count = 0;
            platform::readRetrying(wakeFd_.get(), &count, sizeof count);
            std::vector<Command> commands;
            {
                std::lock_guard lock(mutex_);
                commands.swap(commands_);
            }
            bool quit = false;
            for (const Command& command : commands) {
                if (apply(command))
                    deadline = Clock::now() + debounce_;
                quit = quit || command.quit;
            }
            {
                std::lock_guard lock(mutex_);
                applied_ += commands.size();
            }
            appliedChanged_.notify_all();
            if (quit)
                return;
            // The descriptor polled above may be gone now: poll again before reading events.
            continue;
        }
        if (ready > 0 && tree_ && (descriptors[1].revents & POLLIN) && tree_->readEvents()) {
            takeMoves();
            deadline = Clock::now() + debounce_;
        }
        if (deadline && Clock::now() >= *deadline) {
            deadline.reset();
            onChange_(std::exchange(moves_, {}));
        }
    }
}

} // namespace ZazidEvoz
